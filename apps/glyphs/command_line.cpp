#include "command_line.h"

#include <cctype>
#include <cstdlib>
#include <vector>

#include "glyph_file.h"

namespace vorlix::glyphtool {

const char* const UsageText =
    "Usage: vorlix-glyphs COMMAND ARGUMENTS\n"
    "\n"
    "  build ART OUT.ani\n"
    "      Build a glyph file from text art: 27 shapes, rendered highlighted (frames 0-26)\n"
    "      and normal (27-53), then the blank cell (54).\n"
    "  from-png SHEET.png OUT.ani [--cell WxH] [--frames N] [--scale N] [--maps]\n"
    "      Build a glyph file from a PNG sheet: equally sized cells, left to right and top\n"
    "      to bottom, no gaps. A sheet written by 'sheet' needs no options; for any other,\n"
    "      give --cell (and --frames if the grid has more cells than frames). --scale N\n"
    "      reads a sheet enlarged N times; --maps takes per-frame maps from the alpha\n"
    "      channel (otherwise alpha is composited over black).\n"
    "  sheet IN.ani OUT.png [--columns N] [--scale N]\n"
    "      Write every frame of a glyph file as a PNG contact sheet (default 27 columns,\n"
    "      scale 1), readable again by 'from-png'.\n"
    "  --help\n"
    "      Show this text.\n";

namespace {

bool ParseCount(const std::string& text, int low, int high, int& value) {
    if (text.empty() || text.size() > 6) return false;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    const long n = std::strtol(text.c_str(), nullptr, 10);
    if (n < low || n > high) return false;
    value = static_cast<int>(n);
    return true;
}

bool ParseCell(const std::string& text, SheetRequest& request) {
    const std::size_t x = text.find('x');
    if (x == std::string::npos) return false;
    return ParseCount(text.substr(0, x), 1, 0xFFFF, request.cellWidth) &&
           ParseCount(text.substr(x + 1), 1, 0xFFFF, request.cellHeight);
}

// Options take their value as the next argument.
bool ParseOption(const std::string& name, const std::string& value, CommandLine& line) {
    const bool fromPng = line.command == Command::FromPng;
    if (name == "--scale")
        return ParseCount(value, 1, MaxSheetScale,
                          fromPng ? line.request.scale : line.layout.scale);
    if (fromPng && name == "--cell") return ParseCell(value, line.request);
    if (fromPng && name == "--frames")
        return ParseCount(value, 1, static_cast<int>(MaxGlyphFrames), line.request.frames);
    if (!fromPng && name == "--columns") return ParseCount(value, 1, 255, line.layout.columns);
    return false;
}

bool ParseCommand(const std::string& word, Command& command) {
    if (word == "build") command = Command::Build;
    else if (word == "from-png") command = Command::FromPng;
    else if (word == "sheet") command = Command::Sheet;
    else return false;
    return true;
}

}  // namespace

bool ParseCommandLine(int argc, const char* const* argv, CommandLine& line, std::string& error) {
    std::vector<std::string> args(argv + 1, argv + argc);
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            line.command = Command::Help;
            return true;
        }
    }
    if (args.empty() || !ParseCommand(args[0], line.command)) {
        error = args.empty() ? "no command given" : "unknown command '" + args[0] + "'";
        return false;
    }
    std::vector<std::string> paths;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            paths.push_back(arg);
            continue;
        }
        if (line.command == Command::FromPng && arg == "--maps") {
            line.request.maps = true;
            continue;
        }
        const bool hasValue = i + 1 < args.size();
        if (!hasValue || !ParseOption(arg, args[i + 1], line)) {
            error = hasValue ? "bad option " + arg + " " + args[i + 1]
                             : "unknown option or missing value: " + arg;
            return false;
        }
        ++i;
    }
    if (paths.size() != 2) {
        error = args[0] + " takes two paths, " + std::to_string(paths.size()) + " given";
        return false;
    }
    line.input = paths[0];
    line.output = paths[1];
    return true;
}

}  // namespace vorlix::glyphtool
