#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/desktop.h"
#include "platform/sdl/settings_file.h"

#ifndef VORLIX_INSTALLED_DATA_DIR
#error "VORLIX_INSTALLED_DATA_DIR must name the installed data directory"
#endif

namespace vorlix::platform {

namespace {

// Copies text into buffer; the length, or 0 when it does not fit.
std::uint32_t Answer(const char* text, std::size_t length, char* buffer, std::uint32_t size) {
    if (buffer == nullptr || length == 0 || length >= size) return 0;
    std::memcpy(buffer, text, length);
    buffer[length] = 0;
    return static_cast<std::uint32_t>(length);
}

// Creates every missing directory of path (which it edits in place and restores).
bool MakeDirectories(char* path) {
    for (char* slash = std::strchr(path + 1, '/');; slash = std::strchr(slash + 1, '/')) {
        if (slash != nullptr) *slash = 0;
        bool made = ::mkdir(path, 0700) == 0 || errno == EEXIST;
        if (slash == nullptr) return made;
        *slash = '/';
        if (!made) return false;
    }
}

}  // namespace

// $variable/leaf, or $HOME/fallback/leaf when the variable is unset or not absolute, as the
// XDG base directory conventions say; created when missing.
std::uint32_t UserDirectory(const char* variable, const char* fallback, char* buffer,
                            std::uint32_t size) {
    char path[1024];
    const char* base = std::getenv(variable);
    int written;
    if (base != nullptr && base[0] == '/') {
        written = std::snprintf(path, sizeof path, "%s/vorlix", base);
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || home[0] != '/') return 0;
        written = std::snprintf(path, sizeof path, "%s/%s/vorlix", home, fallback);
    }
    if (written <= 0 || static_cast<std::size_t>(written) >= sizeof path) return 0;
    if (!MakeDirectories(path)) return 0;
    return Answer(path, static_cast<std::size_t>(written), buffer, size);
}

std::uint32_t LogDirectory(char* buffer, std::uint32_t size) {
    return UserDirectory("XDG_STATE_HOME", ".local/state", buffer, size);
}

// The running program's path, links resolved; false when it cannot be read or is too long.
bool ProgramPath(char (&path)[1024]) {
    ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof path - 1) return false;
    path[length] = 0;
    return path[0] == '/';
}

// The directory of the running program: in a build tree the glyph file is built beside it.
std::uint32_t DataDirectory(char* buffer, std::uint32_t size) {
    char path[1024];
    if (!ProgramPath(path)) return 0;
    char* slash = std::strrchr(path, '/');
    std::size_t directory = slash == path ? 1 : static_cast<std::size_t>(slash - path);
    return Answer(path, directory, buffer, size);
}

// share/vorlix in the folder above the program's own (/usr/bin/vorlix: /usr/share/vorlix), so
// that an install tree works wherever it was unpacked or installed to.
std::uint32_t PrefixDataDirectory(char* buffer, std::uint32_t size) {
    char path[1024];
    if (!ProgramPath(path)) return 0;
    *std::strrchr(path, '/') = 0;
    char* slash = std::strrchr(path, '/');
    if (slash == nullptr) return 0;
    char prefixed[1024 + sizeof "/share/vorlix"];
    int written = std::snprintf(prefixed, sizeof prefixed, "%.*s/share/vorlix",
                                static_cast<int>(slash - path), path);
    if (written <= 0) return 0;
    return Answer(prefixed, static_cast<std::size_t>(written), buffer, size);
}

std::uint32_t FallbackDataDirectory(char* buffer, std::uint32_t size) {
    const char* installed = VORLIX_INSTALLED_DATA_DIR;
    return Answer(installed, std::strlen(installed), buffer, size);
}

}  // namespace vorlix::platform

namespace vorlix::sdl {

std::uint32_t ConfigDirectory(char* buffer, std::uint32_t size) {
    return platform::UserDirectory("XDG_CONFIG_HOME", ".config", buffer, size);
}

}  // namespace vorlix::sdl
