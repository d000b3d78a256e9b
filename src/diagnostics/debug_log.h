#pragma once
// The debug log: one plain-text file per saver window in the log directory, and the most
// severe message since the last report, shown to the user when start-up fails.
#include <cstdint>

#include "platform/types.h"
#include "support/string.h"

namespace vorlix {

using LogLevel = std::uint32_t;
constexpr LogLevel LOG_SPAM = 0;
constexpr LogLevel LOG_GOSSIP = 1;
constexpr LogLevel LOG_INFO = 2;
constexpr LogLevel LOG_WARNING = 3;
constexpr LogLevel LOG_ERROR = 4;
constexpr LogLevel LOG_PANIC = 5;

bool InitErrorMsg(bool fullScreen);
void LogMessage(const char* text, LogLevel level);
void LogMessage(const String& text, LogLevel level);
void ShowErrorMsg(WindowHandle owner);
void StopErrorMsg();
// For a process about to end on the spot, perhaps while another thread is stuck in the middle
// of a line: logs text, then the closing line, and closes the log, but only when nobody holds
// the log at this moment. False, with nothing written, when someone does.
bool LogAndStopIfFree(const char* text, LogLevel level);

// The retained error, for tests and diagnostics.
String LastErrorText();
LogLevel LastErrorLevel();

}  // namespace vorlix
