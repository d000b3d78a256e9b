#pragma once
// Handles and message parameters shared by the core and every host. Their sizes match Win32's
// so the Windows host can pass its HWND, WPARAM and LPARAM values through unchanged.
#include <cstdint>

namespace vorlix {

using WindowHandle = std::uintptr_t;  // 0: no window
using MessageId = std::uint32_t;
using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using LResult = std::intptr_t;

using WindowProc = LResult (*)(WindowHandle, MessageId, WParam, LParam);
using DialogProc = LResult (*)(WindowHandle, MessageId, WParam, LParam);

struct ScreenPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

struct ScreenRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

constexpr std::uint32_t LowWord(std::uintptr_t value) { return value & 0xFFFFu; }
constexpr std::uint32_t HighWord(std::uintptr_t value) { return (value >> 16) & 0xFFFFu; }
constexpr LParam MakeLParam(std::uint32_t low, std::uint32_t high) {
    return static_cast<LParam>((low & 0xFFFFu) | ((high & 0xFFFFu) << 16));
}

}  // namespace vorlix
