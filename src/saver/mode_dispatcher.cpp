// The process's modes: the dispatcher, the saver window's life, the dialog and the
// password change.
#include "platform/desktop.h"
#include "platform/saver_shell.h"
#include "saver/framework.h"
#include "saver/saver_state.h"
#include "saver/switch_text.h"
#include "settings/config_dialog.h"

namespace vorlix {

WindowHandle SaverWindowHandle = 0;

namespace {

constexpr int InvalidRequest = -1;

WindowHandle ExistingWindowOr(WindowHandle window, WindowHandle fallback) {
    if (window != 0 && platform::IsWindowHandle(window)) return window;
    return fallback;
}

int RunRequest(const SwitchRequest& request) {
    switch (request.mode) {
    case SaverMode::Configure:
        if (!request.foregroundFallback) return ShowConfigDialog(0);
        return ShowConfigDialog(ExistingWindowOr(request.window, platform::ForegroundWindow()));
    case SaverMode::FullScreen:
        return RunSaver(0);
    case SaverMode::Preview:
        if (ExistingWindowOr(request.window, 0) == 0) return InvalidRequest;
        return RunSaver(request.window);
    case SaverMode::ChangePassword:
        if (!IsWin9x) return InvalidRequest;
        ChangePassword(ExistingWindowOr(request.window, platform::ForegroundWindow()));
        return 0;
    case SaverMode::Invalid:
        break;
    }
    return InvalidRequest;
}

// The window for the mode; false when another full-screen saver runs already and was brought
// to the front instead.
bool DescribeWindow(WindowHandle parent, platform::SaverWindowLayout& layout) {
    layout.parent = parent;
    if (parent != 0) {
        ScreenRect client;
        platform::ClientRect(parent, client);
        layout.bounds = ScreenRect{0, 0, client.right - client.left, client.bottom - client.top};
        layout.title = "Preview";
        layout.fullScreen = false;
        IsPreview = true;
        return true;
    }
    layout.bounds = platform::ScreenClipBox();
    layout.title = "Screen Saver";
    layout.fullScreen = true;
    WindowHandle running = platform::FindRunningSaver();
    if (running != 0 && platform::IsWindowHandle(running)) {
        platform::BringToForeground(running);
        return false;
    }
    LoadPasswordVerifier();
    return true;
}

}  // namespace

int RunModeDispatcher(const char* switchText) {
    IsWin9x = platform::IsWin9xFamily();
    return RunRequest(ParseSwitch(switchText));
}

int RunSaver(WindowHandle parent) {
    platform::SaverWindowLayout layout;
    if (!DescribeWindow(parent, layout)) return 0;
    AutoPlayMessage = IsWin9x ? platform::RegisterNamedMessage("QueryCancelAutoPlay") : 0;
    SaverWindowHandle = 0;
    if (platform::RegisterSaverClass(SaverWindowProc))
        SaverWindowHandle = platform::CreateSaverWindow(layout);
    int exitCode = RunSaverFailed;
    if (SaverWindowHandle != 0) {
        if (layout.fullScreen) platform::BringToForeground(SaverWindowHandle);
        exitCode = platform::RunMessageLoop();
    }
    UnloadPasswordVerifier();
    return exitCode;
}

int ShowConfigDialog(WindowHandle owner) {
    return platform::RunModalDialog(ConfigDialogTemplate, owner, ScreenSaverConfigureDialog);
}

void ChangePassword(WindowHandle owner) {
    platform::LibraryHandle library = platform::LoadNamedLibrary("MPR.DLL");
    if (library == 0) return;
    auto change = reinterpret_cast<PasswordChanger>(
        platform::LibraryFunction(library, "PwdChangePasswordA"));
    if (change != nullptr) change("SCRSAVE", owner, 0, nullptr);
    platform::FreeNamedLibrary(library);
}

}  // namespace vorlix
