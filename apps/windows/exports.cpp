// The module's exported entry points, under their plain names, for tools that look them up.
#include <windows.h>

#include "rain/draw_thread.h"
#include "saver/framework.h"
#include "settings/config_dialog.h"

extern "C" {

__declspec(dllexport) LRESULT CALLBACK
    ScreenSaverProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    return vorlix::ScreenSaverProc(reinterpret_cast<vorlix::WindowHandle>(window), message, w, l);
}

__declspec(dllexport) BOOL CALLBACK
    ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM w, LPARAM l) {
    return vorlix::ScreenSaverConfigureDialog(reinterpret_cast<vorlix::WindowHandle>(dialog),
                                              message, w, l) != 0;
}

__declspec(dllexport) void __cdecl DrawVorlix(void*) {
    vorlix::DrawVorlix();
}

}  // extern "C"
