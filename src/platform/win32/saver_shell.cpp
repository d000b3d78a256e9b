#include "platform/saver_shell.h"

#include <windows.h>

#include "platform/win32/handles.h"

namespace vorlix::platform {

namespace {
constexpr char SaverClassName[] = "WindowsScreenSaverClass";
constexpr char RunningSaverTitle[] = "Screen Saver";
constexpr WORD ClassIcon = 100;
constexpr UINT ClassStyles = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
constexpr DWORD FullScreenStyle = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr DWORD PreviewStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;

// Win32 calls these with its own handle types; they hand the values on unchanged. One saver
// window class and one modal dialog exist per process, so one procedure of each is held.
WindowProc SaverProcedure = nullptr;
DialogProc DialogProcedure = nullptr;

LRESULT CALLBACK SaverClassProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (SaverProcedure == nullptr) return DefWindowProcA(window, message, w, l);
    return SaverProcedure(FromHwnd(window), message, w, l);
}

INT_PTR CALLBACK DialogTemplateProc(HWND dialog, UINT message, WPARAM w, LPARAM l) {
    if (DialogProcedure == nullptr) return FALSE;
    return DialogProcedure(FromHwnd(dialog), message, w, l);
}

HINSTANCE Module() {
    return GetModuleHandleA(nullptr);
}
}  // namespace

bool IsWin9xFamily() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof(version);  // 148
    if (!GetVersionExA(&version)) return false;
    return version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

bool RegisterSaverClass(WindowProc procedure) {
    SaverProcedure = procedure;
    WNDCLASSA windowClass{};
    windowClass.style = ClassStyles;
    windowClass.lpfnWndProc = SaverClassProc;
    windowClass.hInstance = Module();
    windowClass.hIcon = LoadIconA(Module(), MAKEINTRESOURCEA(ClassIcon));
    windowClass.hCursor = nullptr;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = SaverClassName;
    return RegisterClassA(&windowClass) != 0;
}

WindowHandle CreateSaverWindow(const SaverWindowLayout& layout) {
    HWND window = CreateWindowExA(
        layout.fullScreen ? WS_EX_TOPMOST : 0, SaverClassName, layout.title,
        layout.fullScreen ? FullScreenStyle : PreviewStyle, layout.bounds.left, layout.bounds.top,
        layout.bounds.right - layout.bounds.left, layout.bounds.bottom - layout.bounds.top,
        ToHwnd(layout.parent), nullptr, Module(), nullptr);
    return FromHwnd(window);
}

WindowHandle FindRunningSaver() {
    return FromHwnd(FindWindowA(SaverClassName, RunningSaverTitle));
}

int RunMessageLoop() {
    MSG msg{};
    for (;;) {
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(msg.wParam);
        if (got == -1) return -1;  // no more messages can come: stop rather than spin
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

ScreenRect ScreenClipBox() {
    RECT box{};
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) return ScreenRect{};
    GetClipBox(screen, &box);
    ReleaseDC(nullptr, screen);
    return FromRect(box);
}

std::uint32_t RegisterNamedMessage(const char* name) {
    return RegisterWindowMessageA(name);
}

void SetScreenSaverRunning(bool running) {
    BOOL previous = FALSE;
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, running ? TRUE : FALSE, &previous, 0);
}

int RunModalDialog(int templateId, WindowHandle owner, DialogProc procedure) {
    DialogProcedure = procedure;
    INT_PTR result = DialogBoxParamA(Module(), MAKEINTRESOURCEA(templateId), ToHwnd(owner),
                                     DialogTemplateProc, 0);
    return static_cast<int>(result);
}

LibraryHandle LoadNamedLibrary(const char* name) {
    return reinterpret_cast<LibraryHandle>(LoadLibraryA(name));
}

LibraryHandle LoadedModule(const char* name) {
    return reinterpret_cast<LibraryHandle>(GetModuleHandleA(name));
}

void* LibraryFunction(LibraryHandle library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(library), name));
}

void FreeNamedLibrary(LibraryHandle library) {
    FreeLibrary(reinterpret_cast<HMODULE>(library));
}

}  // namespace vorlix::platform
