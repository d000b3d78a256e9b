#include "saver/screen_saver_proc.h"

#include <cstdlib>

#include "diagnostics/debug_log.h"
#include "diagnostics/message_names.h"
#include "platform/desktop.h"
#include "platform/window_messages.h"
#include "rain/thread_flags.h"
#include "saver/default_saver_proc.h"
#include "saver/framework.h"
#include "support/string.h"

namespace vorlix {

std::uint8_t CursorCaptured = 0;
ScreenPoint StartCursorPos;
std::uint8_t TrapFirstClose = 1;

namespace {

constexpr std::int64_t MouseMoveSlack = 3;

void SetDrawActive(bool active, const char* activatedLine, const char* deactivatedLine) {
    DrawActive.store(active ? 1 : 0);
    LogMessage(active ? activatedLine : deactivatedLine, LOG_INFO);
}

LResult FilterClose(WindowHandle window, WParam w, LParam l) {
    LogMessage("[STATE] WM_CLOSE detected", LOG_GOSSIP);
    if (TrapFirstClose != 0) {
        TrapFirstClose = 0;
        LogMessage("[STATE] Trapped WM_CLOSE message (NT bugfix)", LOG_INFO);
        return 0;
    }
    DrawActive.store(0);
    if (WindowObjects.display != nullptr) WindowObjects.display->FlipToGdi();
    return DefaultSaverProc(window, WM_CLOSE, w, l);
}

bool ModeChangedBeforeFirstFrame() {
    return WindowObjects.display != nullptr && WindowObjects.display->DisplayModeChanged() &&
           FramePresented.load() == 0;
}

LResult FilterMouseMove(WindowHandle window, WParam w, LParam l) {
    if (ModeChangedBeforeFirstFrame()) {
        LogMessage("[WM_MOUSEMOVE] Trapped message", LOG_INFO);
        return 0;
    }
    ScreenPoint now;
    if (!platform::CursorPosition(now)) return 0;
    if (CursorCaptured == 0) {
        StartCursorPos = now;
        CursorCaptured = 1;
        return 0;
    }
    std::int64_t dx = std::llabs(static_cast<std::int64_t>(now.x) - StartCursorPos.x);
    std::int64_t dy = std::llabs(static_cast<std::int64_t>(now.y) - StartCursorPos.y);
    if (dx + dy <= MouseMoveSlack) return 0;
    return DefaultSaverProc(window, WM_MOUSEMOVE, w, l);
}

void NoteMonitorPower(WParam w) {
    if (w != SC_MONITORPOWER || MonitorOff.load() != 0) return;
    LogMessage("[STATE] SC_MONITORPOWER: Monitor shutdown detected", LOG_INFO);
    DrawActive.store(0);
    MonitorOff.store(1);
}

}  // namespace

LResult ScreenSaverProc(WindowHandle window, MessageId message, WParam w, LParam l) {
    switch (message) {
    case WM_CREATE:
        return CreateSaverObjects(window);
    case WM_DESTROY:
        return DestroySaverObjects(window, w, l);
    case WM_ACTIVATE: {
        std::uint32_t state = LowWord(w);
        SetDrawActive(state == WA_ACTIVE || state == WA_CLICKACTIVE,
                      "[STATE] WM_ACTIVE: Activated", "[STATE] WM_ACTIVE: Deactivated");
        break;
    }
    case WM_ENABLE:
        SetDrawActive(w != 0, "[STATE] WM_ENABLE: Activated", "[STATE] WM_ENABLE: Deactivated");
        break;
    case WM_ACTIVATEAPP:
        SetDrawActive(w != 0, "[STATE] WM_ACTIVATEAPP: Activated",
                      "[STATE] WM_ACTIVATEAPP: Deactivated");
        break;
    case WM_CLOSE:
        return FilterClose(window, w, l);
    case WM_SYSCOMMAND:
        NoteMonitorPower(w);
        break;
    case WM_MOUSEMOVE:
        return FilterMouseMove(window, w, l);
    case WM_SIZE:
        ResizeSaverObjects(window, static_cast<std::int32_t>(LowWord(static_cast<WParam>(l))),
                           static_cast<std::int32_t>(HighWord(static_cast<WParam>(l))));
        break;
    case WM_DISPLAYCHANGE:
        FollowMonitorChange(window);
        break;
    case SCRM_VERIFYPW:
        LogMessage("[SCRM_VERIFYPW] Message detected", LOG_INFO);
        break;
    default:
        break;
    }
    return DefaultSaverProc(window, message, w, l);
}

std::int32_t EnumChildProc(WindowHandle window, LParam) {
    if (window == 0) return 0;
    platform::WindowTitle(window, SharedTitleBuffer, sizeof SharedTitleBuffer);
    String line("[EnumChildProc] Found window title ");
    line.Append(SharedTitleBuffer);
    LogMessage(line, LOG_INFO);
    return 1;
}

}  // namespace vorlix
