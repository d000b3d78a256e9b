#pragma once
// Conversions between the seam's integer handles and Win32's pointer handles.
#include <windows.h>

#include "platform/types.h"

namespace vorlix::platform {

inline HWND ToHwnd(WindowHandle window) {
    return reinterpret_cast<HWND>(window);
}
inline WindowHandle FromHwnd(HWND window) {
    return reinterpret_cast<WindowHandle>(window);
}

inline RECT ToRect(const ScreenRect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}
inline ScreenRect FromRect(const RECT& r) {
    return ScreenRect{r.left, r.top, r.right, r.bottom};
}

}  // namespace vorlix::platform
