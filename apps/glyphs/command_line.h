#pragma once
// The tool's command line: a command, two paths and a few options.
#include <string>

#include "glyph_sheet.h"

namespace vorlix::glyphtool {

enum class Command { Help, Build, FromPng, Sheet };

struct CommandLine {
    Command command = Command::Help;
    std::string input;
    std::string output;
    SheetRequest request;  // from-png
    SheetLayout layout;    // sheet
};

extern const char* const UsageText;

bool ParseCommandLine(int argc, const char* const* argv, CommandLine& line, std::string& error);

}  // namespace vorlix::glyphtool
