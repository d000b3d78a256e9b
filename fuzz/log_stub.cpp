// The fuzz build runs with the log closed, where LogMessage writes nothing; this stands in for
// the debug log so the fuzz build needs no host.
#include "diagnostics/debug_log.h"

namespace vorlix {

void LogMessage(const char*, LogLevel) {}
void LogMessage(const String&, LogLevel) {}

}  // namespace vorlix
