#include "record_options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace vorlix::record {

namespace {

bool ParseUnsigned(const char* text, std::uint32_t low, std::uint32_t high, std::uint32_t& value) {
    if (text == nullptr || *text < '0' || *text > '9') return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long parsed = std::strtoull(text, &end, 10);
    if (errno != 0 || *end != '\0' || parsed < low || parsed > high) return false;
    value = static_cast<std::uint32_t>(parsed);
    return true;
}

bool ParseResolution(const char* text, RecordOptions& options) {
    const char* cross = std::strchr(text, 'x');
    if (cross == nullptr) return false;
    const std::string width(text, cross);
    std::uint32_t w = 0;
    std::uint32_t h = 0;
    if (!ParseUnsigned(width.c_str(), 1, MaxWidth, w)) return false;
    if (!ParseUnsigned(cross + 1, 1, MaxHeight, h)) return false;
    options.width = static_cast<std::int32_t>(w);
    options.height = static_cast<std::int32_t>(h);
    return true;
}

bool ParseSeconds(const char* text, double& seconds) {
    if (text == nullptr || *text == '\0') return false;
    errno = 0;
    char* end = nullptr;
    const double parsed = std::strtod(text, &end);
    if (errno != 0 || *end != '\0' || !(parsed > 0.0) || parsed > MaxSeconds) return false;
    seconds = parsed;
    return true;
}

// Options that take a value: the value, or null (with the reason set) when it is missing or bad.
bool ParseValued(const std::string& name, const char* value, RecordOptions& options,
                 std::string& error) {
    bool good = false;
    if (name == "--resolution") {
        good = ParseResolution(value, options);
        if (!good) error = "--resolution wants WIDTHxHEIGHT, at most 3840x2400";
    } else if (name == "--density") {
        good = ParseUnsigned(value, 0, 400, options.density);
        if (!good) error = "--density wants a number of streams from 0 to 400";
    } else if (name == "--highlight") {
        good = ParseUnsigned(value, 0, 100, options.highlight);
        if (!good) error = "--highlight wants a percentage from 0 to 100";
    } else if (name == "--seconds") {
        good = ParseSeconds(value, options.seconds);
        if (!good) error = "--seconds wants a number above 0, at most 3600";
    } else if (name == "--seed") {
        good = ParseUnsigned(value, 0, 0xFFFFFFFFu, options.seed);
        if (!good) error = "--seed wants a number from 0 to 4294967295";
    } else if (name == "--output") {
        good = *value != '\0';
        options.output = value;
        if (!good) error = "--output wants a file name";
    } else if (name == "--glyphs") {
        good = *value != '\0';
        options.glyphs = value;
        if (!good) error = "--glyphs wants a glyph file";
    } else if (name == "--frames") {
        good = *value != '\0';
        options.framesDirectory = value;
        if (!good) error = "--frames wants a directory";
    }
    return good;
}

bool TakesValue(const std::string& name) {
    static const char* const names[] = {"--resolution", "--density", "--highlight", "--seconds",
                                        "--seed",       "--output",  "--glyphs",    "--frames"};
    for (const char* known : names) {
        if (name == known) return true;
    }
    return false;
}

}  // namespace

bool ParseRecordOptions(int argc, const char* const* argv, RecordOptions& options,
                        std::string& error) {
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        const char* value = nullptr;
        const std::size_t equals = name.find('=');
        if (name.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = argv[i] + equals + 1;
            name.resize(equals);
        }
        if (name == "--help" || name == "-h") {
            options.help = true;
            continue;
        }
        if (name == "--real-time" && value == nullptr) {
            options.realTime = true;
            continue;
        }
        if (!TakesValue(name)) {
            error = "unknown option: " + std::string(argv[i]);
            return false;
        }
        if (value == nullptr) {
            if (i + 1 >= argc) {
                error = name + " needs a value";
                return false;
            }
            value = argv[++i];
        }
        if (!ParseValued(name, value, options, error)) return false;
    }
    return true;
}

const char* RecordUsage() {
    return "Usage: vorlix-record [options]\n"
           "Records the falling glyphs of the saver on a memory display as an animated GIF.\n"
           "\n"
           "  --resolution WxH   picture size (default 800x600, at most 3840x2400)\n"
           "  --density N        number of streams, 0 to 400 (default 300)\n"
           "  --highlight N      percentage of highlighted glyph changes, 0 to 100 (default 8)\n"
           "  --seconds S        length of the recording, at most 3600 (default 3)\n"
           "  --seed N           start of the random sequence (default 1)\n"
           "  --output FILE      the GIF to write (default vorlix.gif)\n"
           "  --glyphs FILE      glyph file (default: glyph2.ani beside the program)\n"
           "  --frames DIR       also write every frame as a PNG into DIR\n"
           "  --real-time        run on the real clock instead of as fast as possible\n"
           "  --help             this text\n";
}

}  // namespace vorlix::record
