#pragma once
// Ends the process at once when the X server stops answering or goes away: a screen saver
// that cannot reach its screen must not stay behind, frozen over it.
namespace vorlix::sdl {

constexpr int ExitWindowThreadStuck = 3;
constexpr int ExitXServerLost = 4;
// The longest an abrupt end takes: its last words may meet a full pipe or a stalled disk.
constexpr unsigned AbruptEndBoundSeconds = 2;

// Says line on stderr, logs it when the log is free, closes the log and leaves with code,
// without running any other cleanup: the other threads may be stuck inside X, or in the log.
// Never blocks for longer than the bound. A second caller waits for the first one's end.
[[noreturn]] void EndAbruptly(const char* line, int code);

// Xlib's handler for a lost connection (process-wide, for SDL's, GTK's and our own
// connections), and writes to a closed connection that fail instead of raising SIGPIPE.
// Called again after GTK starts, since GTK puts in a handler of its own.
void CatchXServerLoss();

}  // namespace vorlix::sdl
