#pragma once
// The Linux program's command line in the core's terms: the Windows switches pass through as
// switch text; XScreenSaver's options become the preview switch with a window id, and
// one-run settings. Anything else is refused as an unknown option.
#include <cstdint>
#include <string>

namespace vorlix::linuxhost {

struct RunRequest {
    std::string switchText;        // what the mode dispatcher reads
    bool wantsRoot = false;        // --root: the window is found once the display is open
    std::uint64_t windowId = 0;    // --window-id
    bool hasDensity = false;
    std::uint32_t density = 0;
    bool hasHighlight = false;
    std::uint32_t highlight = 0;
    bool hasZoom = false;
    std::uint32_t zoom = 0;        // --zoom, 1 to 4
    bool showHelp = false;
    std::string error;             // set when the command line cannot be used
};

RunRequest ParseCommandLine(int argc, const char* const* argv);

// Decimal, or hexadecimal after 0x; false for anything else, 0 or more than 32 bits.
bool ParseWindowId(const char* text, std::uint64_t& id);

const char* UsageText();

}  // namespace vorlix::linuxhost
