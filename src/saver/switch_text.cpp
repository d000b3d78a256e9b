#include "saver/switch_text.h"

#include <cstdint>
#include <limits>

#include "saver/framework.h"

namespace vorlix {

namespace {

bool IsSwitchFiller(char c) { return c == ' ' || c == '-' || c == '/'; }

const char* SkipBlanks(const char* text) {
    while (*text == ' ') ++text;
    return text;
}

}  // namespace

const char* SwitchText(const char* commandLine) {
    if (commandLine == nullptr) return "";
    const char* at = commandLine;
    if (*at == '"') {
        ++at;
        while (*at != '\0' && *at != '"') ++at;
        if (*at == '"') ++at;
    } else {
        while (static_cast<unsigned char>(*at) > ' ') ++at;
    }
    while (*at != '\0' && static_cast<unsigned char>(*at) <= ' ') ++at;
    return at;
}

WindowHandle ParseWindowHandle(const char* text) {
    constexpr WindowHandle limit = std::numeric_limits<WindowHandle>::max();
    WindowHandle value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        WindowHandle digit = static_cast<WindowHandle>(*text - '0');
        if (value > (limit - digit) / 10) return 0;
        value = value * 10 + digit;
    }
    return value;
}

SwitchRequest ParseSwitch(const char* switchText) {
    const char* at = switchText ? switchText : "";
    while (IsSwitchFiller(*at)) ++at;
    SwitchRequest request;
    switch (*at) {
    case '\0':
        request.mode = SaverMode::Configure;
        break;
    case 'S':
    case 's':
        request.mode = SaverMode::FullScreen;
        break;
    case 'P':
    case 'p':
    case 'L':
    case 'l':
        request.mode = SaverMode::Preview;
        request.window = ParseWindowHandle(SkipBlanks(at + 1));
        break;
    case 'C':
    case 'c':
        request.mode = SaverMode::Configure;
        request.foregroundFallback = true;
        if (at[1] == ':') request.window = ParseWindowHandle(at + 2);
        break;
    case 'A':
    case 'a':
        request.mode = SaverMode::ChangePassword;
        request.foregroundFallback = true;
        request.window = ParseWindowHandle(SkipBlanks(at + 1));
        break;
    default:
        request.mode = SaverMode::Invalid;
        break;
    }
    return request;
}

}  // namespace vorlix
