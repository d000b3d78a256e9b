#include "command_line.h"

#include <cctype>
#include <cstring>

#include "saver/switch_text.h"

namespace vorlix::linuxhost {

namespace {

// XScreenSaver passes its options with one dash or two.
bool IsOption(const char* argument, const char* name) {
    if (argument[0] != '-') return false;
    const char* rest = argument[1] == '-' ? argument + 2 : argument + 1;
    return std::strcmp(rest, name) == 0;
}

bool ParseSetting(const char* text, std::uint32_t& value) {
    if (text == nullptr || *text == 0) return false;
    std::uint64_t number = 0;
    for (const char* c = text; *c != 0; ++c) {
        if (*c < '0' || *c > '9') return false;
        number = number * 10 + static_cast<std::uint64_t>(*c - '0');
        if (number > 0xFFFFFFFFu) number = 0xFFFFFFFFu + std::uint64_t{1};
    }
    // Above 32 bits is above any range: keep it large, so clamping takes the maximum.
    value = number > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(number);
    return true;
}

// A Windows switch: a slash or dash, one letter, then digits, after a colon or not (/s, -c:42,
// /p); or the number that follows one (/p 42).
bool LooksLikeWindowsSwitch(const char* argument) {
    const char* at = argument;
    if (*at == '/' || *at == '-') {
        ++at;
        if (!std::isalpha(static_cast<unsigned char>(*at))) return false;
        ++at;
        if (*at == ':') ++at;
    }
    for (; *at != 0; ++at)
        if (!std::isdigit(static_cast<unsigned char>(*at))) return false;
    return at != argument;
}

std::string Unknown(const char* argument) { return std::string("unknown option: ") + argument; }

}  // namespace

bool ParseWindowId(const char* text, std::uint64_t& id) {
    if (text == nullptr || *text == 0) return false;
    int base = 10;
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text += 2;
        if (*text == 0) return false;
    }
    std::uint64_t value = 0;
    for (; *text != 0; ++text) {
        int digit;
        char c = *text;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else return false;
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
        if (value > 0xFFFFFFFFu) return false;
    }
    if (value == 0) return false;
    id = value;
    return true;
}

RunRequest ParseCommandLine(int argc, const char* const* argv) {
    RunRequest request;
    std::string windowsSwitches;
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
        if (IsOption(argument, "help") || std::strcmp(argument, "-h") == 0) {
            request.showHelp = true;
        } else if (IsOption(argument, "root")) {
            request.wantsRoot = true;
        } else if (IsOption(argument, "window-id")) {
            if (!ParseWindowId(next, request.windowId)) {
                request.error = "--window-id needs a window id, decimal or 0x hexadecimal";
                return request;
            }
            ++i;
        } else if (IsOption(argument, "density")) {
            if (!ParseSetting(next, request.density)) {
                request.error = "--density needs a number from 0 to 400";
                return request;
            }
            request.hasDensity = true;
            ++i;
        } else if (IsOption(argument, "highlight")) {
            if (!ParseSetting(next, request.highlight)) {
                request.error = "--highlight needs a number from 0 to 100";
                return request;
            }
            request.hasHighlight = true;
            ++i;
        } else if (IsOption(argument, "zoom")) {
            if (!ParseSetting(next, request.zoom) || request.zoom < 1 || request.zoom > 4) {
                request.error = "--zoom needs a glyph zoom from 1 to 4";
                return request;
            }
            request.hasZoom = true;
            ++i;
        } else if (!LooksLikeWindowsSwitch(argument)) {
            request.error = Unknown(argument);
            return request;
        } else {
            if (!windowsSwitches.empty()) windowsSwitches += ' ';
            windowsSwitches += argument;
        }
    }
    if (!windowsSwitches.empty() &&
        ParseSwitch(windowsSwitches.c_str()).mode == SaverMode::Invalid) {
        request.error = Unknown(windowsSwitches.c_str());
        return request;
    }
    bool intoWindow = request.wantsRoot || request.windowId != 0;
    if (request.wantsRoot && request.windowId != 0) {
        request.error = "--root and --window-id cannot be used together";
    } else if (intoWindow && !windowsSwitches.empty()) {
        request.error = "--root and --window-id take no other switch";
    } else if (intoWindow) {
        request.switchText = request.windowId != 0 ? "/p " + std::to_string(request.windowId) : "";
    } else {
        request.switchText = windowsSwitches;
    }
    return request;
}

const char* UsageText() {
    return "usage: vorlix [/s | /p ID | /c]\n"
           "       vorlix [/s | /p ID | --root | --window-id ID] [--density N] [--highlight N]\n"
           "              [--zoom N]\n"
           "\n"
           "  /s               run full screen until a key, a click or a mouse move\n"
           "  /p ID, /l ID     draw into the X window with decimal id ID\n"
           "  /c, no switch    open the settings dialog\n"
           "  --window-id ID   draw into the X window ID (decimal or 0x hexadecimal)\n"
           "  --root           draw into $XSCREENSAVER_WINDOW, or the root window\n"
           "  --density N      falling streams for this run, 0 to 400\n"
           "  --highlight N    percentage of highlighted glyphs for this run, 0 to 100\n"
           "  --zoom N         glyph zoom for this run, 1 to 4 (with Desktop size, and in\n"
           "                   a window)\n";
}

}  // namespace vorlix::linuxhost
