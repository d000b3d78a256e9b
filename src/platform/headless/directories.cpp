#include "platform/headless/directories.h"

#include <cstring>
#include <mutex>
#include <optional>
#include <string>

#include "platform/desktop.h"

namespace vorlix::headless {

namespace {

struct Directories {
    std::mutex lock;
    std::optional<std::string> log{"."};
    std::optional<std::string> data{"."};
    std::optional<std::string> prefix;
    std::optional<std::string> fallback{"."};
};

Directories& State() {
    static Directories state;
    return state;
}

std::optional<std::string> Optional(const char* text) {
    if (text == nullptr) return std::nullopt;
    return std::string(text);
}

// Like the desktop's own query: the length written, or 0 when unset or the buffer is too small.
std::uint32_t Report(std::optional<std::string> Directories::*which, char* buffer,
                     std::uint32_t size) {
    Directories& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    const std::optional<std::string>& directory = state.*which;
    if (!directory || buffer == nullptr || directory->size() >= size) return 0;
    std::memcpy(buffer, directory->c_str(), directory->size() + 1);
    return static_cast<std::uint32_t>(directory->size());
}

}  // namespace

void SetDirectories(const char* log, const char* data, const char* fallback) {
    Directories& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    state.log = Optional(log);
    state.data = Optional(data);
    state.fallback = Optional(fallback);
}

void SetPrefixDataDirectory(const char* prefix) {
    Directories& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    state.prefix = Optional(prefix);
}

void ResetDirectories() {
    SetDirectories(".", ".", ".");
    SetPrefixDataDirectory(nullptr);
}

}  // namespace vorlix::headless

namespace vorlix::platform {

using headless::Directories;

std::uint32_t LogDirectory(char* buffer, std::uint32_t size) {
    return headless::Report(&Directories::log, buffer, size);
}

std::uint32_t DataDirectory(char* buffer, std::uint32_t size) {
    return headless::Report(&Directories::data, buffer, size);
}

std::uint32_t PrefixDataDirectory(char* buffer, std::uint32_t size) {
    return headless::Report(&Directories::prefix, buffer, size);
}

std::uint32_t FallbackDataDirectory(char* buffer, std::uint32_t size) {
    return headless::Report(&Directories::fallback, buffer, size);
}

}  // namespace vorlix::platform
