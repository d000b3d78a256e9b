#pragma once
// What the screen-saver framework needs of the window system: the saver window class, its
// window and message loop, the configuration dialog, and the optional system libraries that
// the Windows 95/98/Me family uses for passwords.
#include <cstdint>

#include "platform/types.h"

namespace vorlix::platform {

bool IsWin9xFamily();  // GetVersionExA reports VER_PLATFORM_WIN32_WINDOWS

struct SaverWindowLayout {
    WindowHandle parent = 0;  // 0: full screen
    const char* title = "";
    bool fullScreen = true;   // WS_POPUP | WS_VISIBLE | ... with WS_EX_TOPMOST, else WS_CHILD
    ScreenRect bounds;        // left, top and size as right - left, bottom - top
};

// "WindowsScreenSaverClass" with the given procedure, icon 100 and a black background.
bool RegisterSaverClass(WindowProc procedure);
// Creates the window; WM_CREATE reaches the procedure before this returns. 0 on failure.
WindowHandle CreateSaverWindow(const SaverWindowLayout& layout);
// The full-screen saver window of another process, or 0.
WindowHandle FindRunningSaver();
// Runs the message loop until the quit message and returns its exit code.
int RunMessageLoop();
ScreenRect ScreenClipBox();  // clip box of the whole-screen device context
std::uint32_t RegisterNamedMessage(const char* name);
void SetScreenSaverRunning(bool running);  // SPI_SETSCREENSAVERRUNNING

// Runs dialog template templateId modally with procedure; returns its EndDialog result.
int RunModalDialog(int templateId, WindowHandle owner, DialogProc procedure);

// Libraries looked up by name at run time. 0: none.
using LibraryHandle = std::uintptr_t;
LibraryHandle LoadNamedLibrary(const char* name);      // LoadLibraryA
LibraryHandle LoadedModule(const char* name);          // GetModuleHandleA, never loads
void* LibraryFunction(LibraryHandle library, const char* name);
void FreeNamedLibrary(LibraryHandle library);

}  // namespace vorlix::platform
