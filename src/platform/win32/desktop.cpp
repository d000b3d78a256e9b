#include "platform/desktop.h"

#include <windows.h>
// After windows.h, which they need.
#include <mmsystem.h>
#include <process.h>

#include "platform/win32/handles.h"

namespace vorlix::platform {

std::uint32_t TickCount() {
    return GetTickCount();
}
std::uint32_t MultimediaTime() {
    return timeGetTime();
}
void SleepMilliseconds(std::uint32_t ms) {
    Sleep(ms);
}

namespace {
void __cdecl ThreadEntry(void* entry) {
    reinterpret_cast<void (*)()>(entry)();
}
}  // namespace

bool StartThread(void (*entry)()) {
    return _beginthread(ThreadEntry, 0, reinterpret_cast<void*>(entry)) !=
           static_cast<uintptr_t>(-1);
}

bool PostWindowMessage(WindowHandle window, MessageId message, WParam w, LParam l) {
    return PostMessageA(ToHwnd(window), message, w, l) != 0;
}

LResult SendWindowMessage(WindowHandle window, MessageId message, WParam w, LParam l) {
    return SendMessageA(ToHwnd(window), message, w, l);
}

bool RemovePendingMessage(WindowHandle window, MessageId message) {
    MSG msg;
    return PeekMessageA(&msg, ToHwnd(window), message, message, PM_REMOVE | PM_NOYIELD) != 0;
}

LResult DefaultWindowProc(WindowHandle window, MessageId message, WParam w, LParam l) {
    return DefWindowProcA(ToHwnd(window), message, w, l);
}

void PostQuit(int exitCode) {
    PostQuitMessage(exitCode);
}

WindowHandle ParentWindow(WindowHandle window) {
    return FromHwnd(GetParent(ToHwnd(window)));
}

bool WindowRect(WindowHandle window, ScreenRect& rect) {
    RECT r;
    if (!GetWindowRect(ToHwnd(window), &r)) return false;
    rect = FromRect(r);
    return true;
}

bool ClientRect(WindowHandle window, ScreenRect& rect) {
    RECT r;
    if (!GetClientRect(ToHwnd(window), &r)) return false;
    rect = FromRect(r);
    return true;
}

bool ClientToScreen(WindowHandle window, ScreenPoint& point) {
    POINT p{point.x, point.y};
    if (!::ClientToScreen(ToHwnd(window), &p)) return false;
    point = ScreenPoint{p.x, p.y};
    return true;
}

bool IsWindowHandle(WindowHandle window) {
    return IsWindow(ToHwnd(window)) != 0;
}
WindowHandle ForegroundWindow() {
    return FromHwnd(GetForegroundWindow());
}
void BringToForeground(WindowHandle window) {
    SetForegroundWindow(ToHwnd(window));
}

int WindowTitle(WindowHandle window, char* buffer, int size) {
    return GetWindowTextA(ToHwnd(window), buffer, size);
}

bool CursorPosition(ScreenPoint& point) {
    POINT p;
    if (!GetCursorPos(&p)) return false;
    point = ScreenPoint{p.x, p.y};
    return true;
}

void ShowCursor(bool show) {
    ::ShowCursor(show ? TRUE : FALSE);
}
void HideCursorImage() {
    SetCursor(nullptr);
}

int ShowMessageBox(WindowHandle owner, const char* text, const char* caption, std::uint32_t style) {
    return MessageBoxA(ToHwnd(owner), text, caption, style);
}

namespace {
// The API answers the needed size, terminator included, when the buffer is too small.
std::uint32_t Fitted(UINT length, std::uint32_t size) {
    return length < size ? length : 0;
}
}  // namespace

std::uint32_t LogDirectory(char* buffer, std::uint32_t size) {
    return Fitted(GetWindowsDirectoryA(buffer, size), size);
}

std::uint32_t DataDirectory(char* buffer, std::uint32_t size) {
    return Fitted(GetWindowsDirectoryA(buffer, size), size);
}

// The module lives in the Windows directory; there is no install tree to look into.
std::uint32_t PrefixDataDirectory(char*, std::uint32_t) {
    return 0;
}

std::uint32_t FallbackDataDirectory(char* buffer, std::uint32_t size) {
    return Fitted(GetSystemDirectoryA(buffer, size), size);
}

}  // namespace vorlix::platform
