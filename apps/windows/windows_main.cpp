// Process entry of vorlix.scr.
#include <windows.h>

#include "saver/framework.h"

namespace {

// A fault that escapes every mode must not leave the system believing a saver still runs:
// clear the running flag, then let the process end.
LONG WINAPI LastChanceFilter(EXCEPTION_POINTERS*) {
    vorlix::SetSaverRunning(false);
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    SetUnhandledExceptionFilter(LastChanceFilter);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    const char* switchText = vorlix::SwitchText(GetCommandLineA());
    ExitProcess(static_cast<UINT>(vorlix::RunModeDispatcher(switchText)));
}
