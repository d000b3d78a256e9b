#pragma once
// The process-wide saver state shared by the framework and the default saver procedure.
// Main thread only.
#include <cstdint>

#include "platform/types.h"

namespace vorlix {

// VerifyScreenSavePwd: nonzero when the password is right.
using PasswordVerifier = std::int32_t (*)(WindowHandle window);

constexpr std::uint32_t NeverChecked = 0xFFFFFFFFu;

extern bool IsWin9x;
extern bool IsPreview;
extern bool IsClosing;
extern bool InPasswordCheck;
extern std::uint32_t LastCheckTick;  // NeverChecked until the first check ends
extern ScreenPoint LastCursorPos;
extern MessageId AutoPlayMessage;    // "QueryCancelAutoPlay", or 0
extern PasswordVerifier VerifyProc;  // none: no password is asked for

}  // namespace vorlix
