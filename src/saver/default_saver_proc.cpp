#include "saver/default_saver_proc.h"

#include <cstdlib>

#include "platform/desktop.h"
#include "platform/window_messages.h"
#include "saver/saver_state.h"

namespace vorlix {

namespace {

constexpr std::int64_t MouseMoveThreshold = 4;
constexpr std::uint32_t RecheckDelay = 200;
constexpr int PendingTimersRemoved = 2;

void RequestClose(WindowHandle window) { platform::PostWindowMessage(window, WM_CLOSE, 0, 0); }

bool MovedFarEnough() {
    ScreenPoint now;
    if (!platform::CursorPosition(now)) return false;
    std::int64_t dx = std::llabs(static_cast<std::int64_t>(now.x) - LastCursorPos.x);
    std::int64_t dy = std::llabs(static_cast<std::int64_t>(now.y) - LastCursorPos.y);
    if (dx + dy <= MouseMoveThreshold) return false;
    LastCursorPos = now;
    return true;
}

// True when the message was answered without default handling.
bool ApplyInputRule(WindowHandle window, MessageId message, WParam w, LResult& answer) {
    switch (message) {
    case WM_SHOWWINDOW:
        if (w != 0) platform::HideCursorImage();
        return false;
    case WM_ACTIVATEAPP:
        if (w == 0) RequestClose(window);
        return false;
    case WM_SETCURSOR:
        platform::HideCursorImage();
        answer = 1;
        return true;
    case WM_POWER:
        if (w == PWR_CRITICALRESUME) RequestClose(window);
        return false;
    case WM_POWERBROADCAST:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
    case WM_MOUSEWHEEL:
        RequestClose(window);
        return false;
    case WM_MOUSEMOVE:
        if (MovedFarEnough()) RequestClose(window);
        return false;
    default:
        return false;
    }
}

// The full-screen rules; true when the message was answered.
bool FullScreenRules(WindowHandle window, MessageId message, WParam w, LResult& answer) {
    if (message == WM_CLOSE && IsWin9x && VerifyPassword(window) == 0) {
        platform::CursorPosition(LastCursorPos);
        answer = 0;
        return true;
    }
    if (message == SCRM_VERIFYPW && IsWin9x) {
        answer = VerifyProc ? VerifyProc(window) : 1;
        return true;
    }
    if (InPasswordCheck) return false;
    return ApplyInputRule(window, message, w, answer);
}

}  // namespace

LResult DefaultSaverProc(WindowHandle window, MessageId message, WParam w, LParam l) {
    if (!IsPreview && !IsClosing) {
        LResult answer = 0;
        if (FullScreenRules(window, message, w, answer)) return answer;
    }
    if (AutoPlayMessage != 0 && message == AutoPlayMessage) {
        RequestClose(window);
        return VerifyProc ? 1 : 0;
    }
    return platform::DefaultWindowProc(window, message, w, l);
}

LResult VerifyPassword(WindowHandle window) {
    if (InPasswordCheck || IsClosing) return 0;
    if (VerifyProc == nullptr) {
        IsClosing = true;
        return 1;
    }
    std::uint32_t now = platform::TickCount();
    if (LastCheckTick != NeverChecked && now - LastCheckTick < RecheckDelay) return IsClosing;
    InPasswordCheck = true;
    for (int i = 0; i < PendingTimersRemoved; ++i) platform::RemovePendingMessage(window, WM_TIMER);
    IsClosing = platform::SendWindowMessage(window, SCRM_VERIFYPW, 0, 0) != 0;
    InPasswordCheck = false;
    if (!IsClosing) platform::HideCursorImage();
    LastCheckTick = platform::TickCount();
    return IsClosing;
}

}  // namespace vorlix
