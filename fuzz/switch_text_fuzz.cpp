// The Windows command line: the program name is skipped, then the switch is read. The input
// is the whole command line as GetCommandLine gives it.
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <string>

#include "saver/framework.h"
#include "saver/switch_text.h"

namespace {

using namespace vorlix;

// The leading decimal digits as a window handle, 0 when there are none or they do not fit.
WindowHandle ExpectedHandle(const char* text) {
    const char* end = text;
    while (*end >= '0' && *end <= '9') ++end;
    WindowHandle value = 0;
    auto [stop, error] = std::from_chars(text, end, value);
    return error == std::errc() && stop == end ? value : 0;
}

void ExpectSound(const SwitchRequest& request) {
    switch (request.mode) {
        case SaverMode::FullScreen:
        case SaverMode::Invalid:
            if (request.window != 0 || request.foregroundFallback) std::abort();
            break;
        case SaverMode::Preview:
            if (request.foregroundFallback) std::abort();
            break;
        case SaverMode::Configure:
        case SaverMode::ChangePassword:
            break;
        default:
            std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    const char* whole = line.c_str();
    const char* switchText = SwitchText(whole);
    if (switchText < whole || switchText > whole + std::strlen(whole)) std::abort();
    ExpectSound(ParseSwitch(switchText));
    // The Linux host hands its switches over without a program name.
    ExpectSound(ParseSwitch(whole));
    for (const char* at = whole; *at != 0; ++at)
        if (ParseWindowHandle(at) != ExpectedHandle(at)) std::abort();
    return 0;
}
