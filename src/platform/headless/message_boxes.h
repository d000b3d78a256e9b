#pragma once
// Message boxes of the headless desktop: every box is recorded, none waits, and each answers
// with a scripted button (IDOK unless told otherwise; 0 stands for a box that cannot appear).
#include <cstdint>
#include <string>
#include <vector>

#include "platform/types.h"

namespace vorlix::headless {

struct MessageBoxRecord {
    WindowHandle owner = 0;
    std::string text;
    std::string caption;
    std::uint32_t style = 0;
};

// The answer of every box from now on, once the queued answers are used up.
void SetMessageBoxAnswer(int answer);
// The answer of the next box only; queued answers are used oldest first.
void QueueMessageBoxAnswer(int answer);

std::vector<MessageBoxRecord> RecordedMessageBoxes();
// Forgets the record and the queued answers; the answer returns to IDOK.
void ResetMessageBoxes();

}  // namespace vorlix::headless
