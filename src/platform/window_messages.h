#pragma once
// Window messages, commands and flags with their Win32 numbers. Every host delivers input to
// the core as these messages, so the core handles it the same way everywhere. When the
// Windows headers are already in, their macros carry the same values and these are skipped.
#include <cstdint>

namespace vorlix {

#ifndef _WINUSER_
constexpr std::uint32_t WM_NULL = 0x0000;
constexpr std::uint32_t WM_CREATE = 0x0001;
constexpr std::uint32_t WM_DESTROY = 0x0002;
constexpr std::uint32_t WM_SIZE = 0x0005;
constexpr std::uint32_t WM_ACTIVATE = 0x0006;
constexpr std::uint32_t WM_ENABLE = 0x000A;
constexpr std::uint32_t WM_SETTEXT = 0x000C;
constexpr std::uint32_t WM_PAINT = 0x000F;
constexpr std::uint32_t WM_CLOSE = 0x0010;
constexpr std::uint32_t WM_QUIT = 0x0012;
constexpr std::uint32_t WM_SHOWWINDOW = 0x0018;
constexpr std::uint32_t WM_ACTIVATEAPP = 0x001C;
constexpr std::uint32_t WM_SETCURSOR = 0x0020;
constexpr std::uint32_t WM_POWER = 0x0048;
constexpr std::uint32_t WM_HELP = 0x0053;
constexpr std::uint32_t WM_DISPLAYCHANGE = 0x007E;
constexpr std::uint32_t WM_CONTEXTMENU = 0x007B;
constexpr std::uint32_t WM_KEYDOWN = 0x0100;
constexpr std::uint32_t WM_KEYUP = 0x0101;
constexpr std::uint32_t WM_CHAR = 0x0102;
constexpr std::uint32_t WM_SYSKEYDOWN = 0x0104;
constexpr std::uint32_t WM_INITDIALOG = 0x0110;
constexpr std::uint32_t WM_COMMAND = 0x0111;
constexpr std::uint32_t WM_SYSCOMMAND = 0x0112;
constexpr std::uint32_t WM_TIMER = 0x0113;
constexpr std::uint32_t WM_MOUSEMOVE = 0x0200;
constexpr std::uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr std::uint32_t WM_LBUTTONUP = 0x0202;
constexpr std::uint32_t WM_RBUTTONDOWN = 0x0204;
constexpr std::uint32_t WM_MBUTTONDOWN = 0x0207;
constexpr std::uint32_t WM_MOUSEWHEEL = 0x020A;
constexpr std::uint32_t WM_XBUTTONDOWN = 0x020B;
constexpr std::uint32_t WM_POWERBROADCAST = 0x0218;
constexpr std::uint32_t WM_APP = 0x8000;

constexpr std::uint32_t WA_INACTIVE = 0;
constexpr std::uint32_t WA_ACTIVE = 1;
constexpr std::uint32_t WA_CLICKACTIVE = 2;

constexpr std::uint32_t SC_NEXTWINDOW = 0xF040;
constexpr std::uint32_t SC_PREVWINDOW = 0xF050;
constexpr std::uint32_t SC_SCREENSAVE = 0xF140;
constexpr std::uint32_t SC_MONITORPOWER = 0xF170;

constexpr std::uint32_t PWR_CRITICALRESUME = 3;

constexpr std::uint32_t MB_OK = 0x00000000;
constexpr std::uint32_t MB_ICONERROR = 0x00000010;
constexpr std::uint32_t MB_ICONEXCLAMATION = 0x00000030;
constexpr std::uint32_t MB_TASKMODAL = 0x00002000;
constexpr std::uint32_t MB_SETFOREGROUND = 0x00010000;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
#endif

#ifndef _WINREG_
constexpr std::uint32_t REG_SZ = 1;
constexpr std::uint32_t REG_DWORD = 4;
#endif

// Private message that runs the password check; the same number as WM_APP.
constexpr std::uint32_t SCRM_VERIFYPW = 0x8000;

}  // namespace vorlix
