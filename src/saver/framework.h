#pragma once
// The screen-saver framework: command line, mode dispatch, the saver window's routing.
#include <cstdint>

#include "platform/types.h"

namespace vorlix {

// The switch text of a full command line: the program name and the blanks after it removed.
const char* SwitchText(const char* commandLine);
// Runs the mode the switch text names and returns the process's exit code.
int RunModeDispatcher(const char* switchText);

LResult SaverWindowProc(WindowHandle window, MessageId message, WParam w, LParam l);
// The program's own window procedure.
LResult ScreenSaverProc(WindowHandle window, MessageId message, WParam w, LParam l);

// The modes. RunSaver returns the quit message's code, or RunSaverFailed when the window
// could not be made.
constexpr int RunSaverFailed = 1;
int RunSaver(WindowHandle parent);
int ShowConfigDialog(WindowHandle owner);
void ChangePassword(WindowHandle owner);

// The Windows 95/98/Me password verifier and the system's screen-saver running flag.
void LoadPasswordVerifier();
void UnloadPasswordVerifier();
void SetSaverRunning(bool on);

// Run-time library entries, by their system signatures.
using PasswordChanger = std::uint32_t (*)(const char* provider, WindowHandle owner,
                                          std::uint32_t reserved, void* reserved2);
using ContextAssociator = std::uintptr_t (*)(WindowHandle window, std::uintptr_t context);

// The framework's process-wide state, for tests and diagnostics.
extern std::uintptr_t VerifierLibrary;  // "PASSWORD.CPL", or 0
struct ImeState {
    std::uintptr_t library = 0;  // "IMM32.DLL", only when the process had it loaded
    ContextAssociator associate = nullptr;
    std::uintptr_t context = 0;  // detached from the saver window
};
extern ImeState Ime;
extern WindowHandle SaverWindowHandle;

}  // namespace vorlix
