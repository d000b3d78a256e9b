// The Windows 95/98/Me password verifier and the system's screen-saver running flag.
#include "platform/registry.h"
#include "platform/saver_shell.h"
#include "saver/framework.h"
#include "saver/saver_state.h"

namespace vorlix {

std::uintptr_t VerifierLibrary = 0;

namespace {

bool PasswordInUse(platform::RegistryKey key) {
    std::uint8_t bytes[4] = {};
    std::uint32_t size = sizeof bytes;
    if (!platform::QueryRegistryValue(key, "ScreenSaveUsePassword", bytes, size)) return false;
    // Only the bytes the store returned count; the rest of the buffer is undefined.
    for (std::uint32_t i = 0; i < size && i < sizeof bytes; ++i)
        if (bytes[i] != 0) return true;
    return false;
}

void LoadVerifierLibrary() {
    VerifierLibrary = platform::LoadNamedLibrary("PASSWORD.CPL");
    if (VerifierLibrary == 0) return;
    VerifyProc = reinterpret_cast<PasswordVerifier>(
        platform::LibraryFunction(VerifierLibrary, "VerifyScreenSavePwd"));
    if (VerifyProc != nullptr)
        SetSaverRunning(true);
    else
        UnloadPasswordVerifier();
}

}  // namespace

void LoadPasswordVerifier() {
    if (!IsWin9x) return;
    if (VerifierLibrary != 0) UnloadPasswordVerifier();
    platform::RegistryKey key = 0;
    if (!platform::OpenRegistryKey(platform::RegistryRoot::CurrentUser, "Control Panel\\Desktop",
                                   false, key))
        return;
    if (PasswordInUse(key)) LoadVerifierLibrary();
    platform::CloseRegistryKey(key);
}

void UnloadPasswordVerifier() {
    if (!IsWin9x || VerifierLibrary == 0) return;
    platform::FreeNamedLibrary(VerifierLibrary);
    VerifierLibrary = 0;
    if (VerifyProc == nullptr) return;
    VerifyProc = nullptr;
    SetSaverRunning(false);
}

void SetSaverRunning(bool on) {
    if (IsWin9x) platform::SetScreenSaverRunning(on);
}

}  // namespace vorlix
