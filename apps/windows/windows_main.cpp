// Process entry of vorlix.scr.
#include <windows.h>
#include <mmsystem.h>

#include <cstdlib>

#include "glyphs/processor_path.h"
#include "rain/redraw_mode.h"
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
    // The draw thread sleeps until each frame's deadline; at the default timer resolution of
    // about 15.6 ms those sleeps would stretch the 30 ms frames to 31-47 ms.
    timeBeginPeriod(1);
    vorlix::ChooseRedrawMode(
        vorlix::RedrawModeFromEnvironment(std::getenv(vorlix::FullRedrawVariable)));
    vorlix::ChooseProcessorPath(
        vorlix::ProcessorPathFromEnvironment(std::getenv(vorlix::ProcessorPathVariable)));
    const char* switchText = vorlix::SwitchText(GetCommandLineA());
    const int exitCode = vorlix::RunModeDispatcher(switchText);
    timeEndPeriod(1);
    ExitProcess(static_cast<UINT>(exitCode));
}
