// Desktop services in the browser: a page has one canvas and no windows, messages, cursor
// or threads of the core's kind. The clock is the page's; the log lives in memory.
#include <emscripten.h>

#include <cstring>

#include "platform/desktop.h"

namespace vorlix::platform {

namespace {

// The in-memory folder for the log and for glyph files dropped onto the page.
constexpr char PageDirectory[] = "/tmp";

std::uint32_t CopyDirectory(char* buffer, std::uint32_t size) {
    const std::uint32_t length = static_cast<std::uint32_t>(std::strlen(PageDirectory));
    if (buffer == nullptr || size <= length) return 0;
    std::memcpy(buffer, PageDirectory, length + 1);
    return length;
}

}  // namespace

std::uint32_t TickCount() { return static_cast<std::uint32_t>(emscripten_get_now()); }
std::uint32_t MultimediaTime() { return TickCount(); }
// The page's one thread must never block: the browser paces it instead.
void SleepMilliseconds(std::uint32_t) {}
bool StartThread(void (*)()) { return false; }

bool PostWindowMessage(WindowHandle, MessageId, WParam, LParam) { return false; }
LResult SendWindowMessage(WindowHandle, MessageId, WParam, LParam) { return 0; }
bool RemovePendingMessage(WindowHandle, MessageId) { return false; }
LResult DefaultWindowProc(WindowHandle, MessageId, WParam, LParam) { return 0; }
void PostQuit(int) {}

WindowHandle ParentWindow(WindowHandle) { return 0; }
bool WindowRect(WindowHandle, ScreenRect&) { return false; }
bool ClientRect(WindowHandle, ScreenRect&) { return false; }
bool ClientToScreen(WindowHandle, ScreenPoint&) { return false; }
bool IsWindowHandle(WindowHandle) { return false; }
WindowHandle ForegroundWindow() { return 0; }
void BringToForeground(WindowHandle) {}
int WindowTitle(WindowHandle, char* buffer, int size) {
    if (buffer != nullptr && size > 0) buffer[0] = '\0';
    return 0;
}

bool CursorPosition(ScreenPoint&) { return false; }
void ShowCursor(bool) {}
void HideCursorImage() {}

// The page shows its own line instead of a box.
int ShowMessageBox(WindowHandle, const char*, const char*, std::uint32_t) { return 0; }

std::uint32_t LogDirectory(char* buffer, std::uint32_t size) { return CopyDirectory(buffer, size); }
std::uint32_t DataDirectory(char* buffer, std::uint32_t size) { return CopyDirectory(buffer, size); }
std::uint32_t PrefixDataDirectory(char*, std::uint32_t) { return 0; }
std::uint32_t FallbackDataDirectory(char* buffer, std::uint32_t size) {
    return CopyDirectory(buffer, size);
}

}  // namespace vorlix::platform
