#pragma once
// The screen-saver framework: command line, mode dispatch, the saver window's routing.
#include "platform/types.h"

namespace vorlix {

// The switch text of a full command line: the program name and the blanks after it removed.
const char* SwitchText(const char* commandLine);
// Runs the mode the switch text names and returns the process's exit code.
int RunModeDispatcher(const char* switchText);

LResult SaverWindowProc(WindowHandle window, MessageId message, WParam w, LParam l);
// The program's own window procedure.
LResult ScreenSaverProc(WindowHandle window, MessageId message, WParam w, LParam l);

}  // namespace vorlix
