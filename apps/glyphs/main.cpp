// vorlix-glyphs: builds the default glyph set from its text art, turns PNG sheets into glyph
// files and glyph files into PNG contact sheets.
#include <cstdio>
#include <string>

#include "command_line.h"
#include "glyph_art.h"
#include "glyph_file.h"
#include "glyph_render.h"
#include "glyph_sheet.h"
#include "png_image.h"

namespace vorlix::glyphtool {
namespace {

constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;

bool Build(const CommandLine& line, std::string& error) {
    GlyphArt art;
    GlyphFile file;
    if (!ReadGlyphArt(line.input, art, error)) return false;
    if (!RenderGlyphSet(art, file, error)) {
        error = line.input + ": " + error;
        return false;
    }
    return WriteGlyphFile(line.output, file, error);
}

bool FromPng(const CommandLine& line, std::string& error) {
    Image sheet;
    GlyphFile file;
    if (!ReadPngImage(line.input, SheetMetadataKey, sheet, error)) return false;
    if (!SplitSheet(sheet, line.request, file, error)) {
        error = line.input + ": " + error;
        return false;
    }
    if (file.frames.size() < static_cast<std::size_t>(GlyphSetFrames))
        std::fprintf(stderr, "vorlix-glyphs: warning: %zu frames; the screen saver needs %d\n",
                     file.frames.size(), GlyphSetFrames);
    return WriteGlyphFile(line.output, file, error);
}

bool Sheet(const CommandLine& line, std::string& error) {
    GlyphFile file;
    Image sheet;
    if (!ReadGlyphFile(line.input, file, error)) return false;
    if (!BuildSheet(file, line.layout, sheet, error)) {
        error = line.input + ": " + error;
        return false;
    }
    return WritePngImage(line.output, sheet, error);
}

int Run(int argc, const char* const* argv) {
    CommandLine line;
    std::string error;
    if (!ParseCommandLine(argc, argv, line, error)) {
        std::fprintf(stderr, "vorlix-glyphs: %s\n\n%s", error.c_str(), UsageText);
        return ExitUsage;
    }
    bool ok = true;
    switch (line.command) {
        case Command::Help: std::fputs(UsageText, stdout); return 0;
        case Command::Build: ok = Build(line, error); break;
        case Command::FromPng: ok = FromPng(line, error); break;
        case Command::Sheet: ok = Sheet(line, error); break;
    }
    if (ok) return 0;
    std::fprintf(stderr, "vorlix-glyphs: %s\n", error.c_str());
    return ExitFailed;
}

}  // namespace
}  // namespace vorlix::glyphtool

int main(int argc, char** argv) { return vorlix::glyphtool::Run(argc, argv); }
