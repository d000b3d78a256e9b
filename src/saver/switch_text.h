#pragma once
// The screen-saver command line's grammar, free of any platform: what the switch asks for.
#include "platform/types.h"

namespace vorlix {

enum class SaverMode { Configure, FullScreen, Preview, ChangePassword, Invalid };

struct SwitchRequest {
    SaverMode mode = SaverMode::Invalid;
    WindowHandle window = 0;  // the number given with the switch, 0 when none
    // A missing, zero or vanished window stands for the foreground window.
    bool foregroundFallback = false;
};

// Decimal digits from text on; 0 when no digit stands there or the number does not fit a
// window handle.
WindowHandle ParseWindowHandle(const char* text);
SwitchRequest ParseSwitch(const char* switchText);

}  // namespace vorlix
