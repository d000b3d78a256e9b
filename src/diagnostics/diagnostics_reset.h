#pragma once

namespace vorlix {

// The log and the shared title buffer back to what the process starts with: the log closed
// without its termination line, no retained error, an empty buffer.
void ResetDiagnosticsState();

}  // namespace vorlix
