#pragma once
// Desktop services the core needs: clocks, the draw thread's start, windows and their
// messages, the cursor, message boxes and the directories the saver reads and writes.
// Each host links exactly one implementation (win32, sdl or headless).
#include <cstdint>

#include "platform/types.h"

namespace vorlix::platform {

// Clocks, in milliseconds, wrapping at 2^32.
std::uint32_t TickCount();       // GetTickCount
std::uint32_t MultimediaTime();  // timeGetTime
void SleepMilliseconds(std::uint32_t ms);  // 0 yields the rest of the time slice

// Starts entry on a new thread of default stack size; no handle is kept.
bool StartThread(void (*entry)());

// Window messages.
bool PostWindowMessage(WindowHandle window, MessageId message, WParam w, LParam l);
LResult SendWindowMessage(WindowHandle window, MessageId message, WParam w, LParam l);
bool RemovePendingMessage(WindowHandle window, MessageId message);  // PeekMessage with PM_REMOVE
LResult DefaultWindowProc(WindowHandle window, MessageId message, WParam w, LParam l);
void PostQuit(int exitCode);

// Windows.
WindowHandle ParentWindow(WindowHandle window);  // 0 when it has none
bool WindowRect(WindowHandle window, ScreenRect& rect);
bool ClientRect(WindowHandle window, ScreenRect& rect);
bool ClientToScreen(WindowHandle window, ScreenPoint& point);
bool IsWindowHandle(WindowHandle window);
WindowHandle ForegroundWindow();
void BringToForeground(WindowHandle window);
int WindowTitle(WindowHandle window, char* buffer, int size);  // GetWindowTextA

// Cursor.
bool CursorPosition(ScreenPoint& point);
void ShowCursor(bool show);  // ShowCursor's display counter
void HideCursorImage();      // SetCursor(NULL)

// Returns the button pressed (IDOK ...), or 0 when the box could not be shown.
int ShowMessageBox(WindowHandle owner, const char* text, const char* caption, std::uint32_t style);

// Directories, written into buffer as zero-terminated text; the result is the text's length,
// 0 on failure. On Windows the log and the first data directory are the Windows directory and
// the fallback data directory is the system directory. The prefix data directory lies between
// them: the data folder of the tree the program was unpacked or installed into (on Linux
// ../share/vorlix beside the program's own folder; Windows has none and answers 0).
std::uint32_t LogDirectory(char* buffer, std::uint32_t size);
std::uint32_t DataDirectory(char* buffer, std::uint32_t size);
std::uint32_t PrefixDataDirectory(char* buffer, std::uint32_t size);
std::uint32_t FallbackDataDirectory(char* buffer, std::uint32_t size);

// Put between one of those directories and a file name: a backslash on Windows, always added
// even when the directory text already ends in one; a slash elsewhere.
#ifdef _WIN32
inline constexpr char PathSeparator[] = "\\";
#else
inline constexpr char PathSeparator[] = "/";
#endif

}  // namespace vorlix::platform
