#pragma once
// Cover windows in memory: each is a window of the headless window manager, so messages can be
// delivered to it, with its picture kept for the test to look at. Faults make a window, its
// picture or its drawing fail.
#include <cstdint>
#include <vector>

#include "platform/cover_window.h"

namespace vorlix::headless {

struct CoverState {
    WindowHandle handle = 0;
    platform::CoverLayout layout;
    bool hasPixels = false;
    bool black = false;   // LeaveBlack was called
    int shows = 0;        // pictures put on it
    int inkedPixels = 0;  // pixels not black in the picture last shown
};

void ResetCoverWindows();  // none offered, no faults, none recorded
void OfferCoverWindows(bool offered);
// The windows made from now on, counted from 0 in the order made: the window, its picture's
// memory or its drawing fails for the one numbered so.
void FailCoverWindow(int number);
void FailCoverPixels(int number);
void FailCoverShow(int number);
// The cover windows alive now, in the order made.
std::vector<CoverState> CoverWindows();

}  // namespace vorlix::headless
