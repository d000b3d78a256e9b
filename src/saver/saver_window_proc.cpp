// The framework's window procedure: what it filters before the program's own procedure.
#include "platform/desktop.h"
#include "platform/saver_shell.h"
#include "platform/window_messages.h"
#include "saver/framework.h"
#include "saver/saver_state.h"

namespace vorlix {

ImeState Ime;

namespace {

// The input method would otherwise pop up over the saver on a key press.
void DetachInputMethod(WindowHandle window) {
    Ime.library = platform::LoadedModule("IMM32.DLL");
    if (Ime.library == 0) return;
    Ime.associate = reinterpret_cast<ContextAssociator>(
        platform::LibraryFunction(Ime.library, "ImmAssociateContext"));
    if (Ime.associate != nullptr) Ime.context = Ime.associate(window, 0);
}

void ReattachInputMethod(WindowHandle window) {
    if (Ime.library != 0 && Ime.associate != nullptr && Ime.context != 0)
        Ime.associate(window, Ime.context);
}

LResult OnCreate(WindowHandle window, WParam w, LParam l) {
    DetachInputMethod(window);
    platform::CursorPosition(LastCursorPos);
    if (!IsPreview) platform::HideCursorImage();
    return ScreenSaverProc(window, WM_CREATE, w, l);
}

LResult OnDestroy(WindowHandle window, WParam w, LParam l) {
    ReattachInputMethod(window);
    platform::PostQuit(0);
    return ScreenSaverProc(window, WM_DESTROY, w, l);
}

// The preview's parent handles help itself.
LResult ForwardToParent(WindowHandle window, MessageId message, LParam l) {
    WindowHandle parent = platform::ParentWindow(window);
    if (parent != 0 && platform::IsWindowHandle(parent))
        platform::PostWindowMessage(parent, message, parent, l);
    return 1;
}

bool IsSwitchCommand(WParam w) {
    return w == SC_NEXTWINDOW || w == SC_PREVWINDOW || w == SC_SCREENSAVE;
}

bool IsInput(MessageId message) {
    return message == WM_KEYDOWN || message == WM_SYSKEYDOWN || message == WM_MOUSEMOVE ||
           message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN;
}

}  // namespace

LResult SaverWindowProc(WindowHandle window, MessageId message, WParam w, LParam l) {
    if (message == WM_CREATE) return OnCreate(window, w, l);
    if (message == WM_DESTROY) return OnDestroy(window, w, l);
    if (message == WM_SETTEXT) return 0;
    if (message == WM_PAINT) {
        if (IsClosing) return platform::DefaultWindowProc(window, message, w, l);
        if (!IsPreview) platform::HideCursorImage();
        return ScreenSaverProc(window, message, w, l);
    }
    if (message == WM_HELP || message == WM_CONTEXTMENU) {
        if (IsPreview) return ForwardToParent(window, message, l);
        return ScreenSaverProc(window, message, w, l);
    }
    if (message == WM_SYSCOMMAND && !IsPreview && IsSwitchCommand(w)) return 0;
    if (message == WM_TIMER) {
        if (IsClosing) return 0;
        platform::SleepMilliseconds(0);
        return ScreenSaverProc(window, message, w, l);
    }
    if (IsInput(message) && IsClosing) return platform::DefaultWindowProc(window, message, w, l);
    return ScreenSaverProc(window, message, w, l);
}

}  // namespace vorlix
