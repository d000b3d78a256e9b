#include "glyph_art.h"

#include <sstream>

#include "file_bytes.h"
#include "glyph_file.h"

namespace vorlix::glyphtool {
namespace {

constexpr std::size_t MaxArtBytes = 16u << 20;

struct ArtParser {
    const std::string& source;
    GlyphArt art;
    int lineNumber = 0;
    GlyphShape* open = nullptr;  // the glyph whose rows are being read
    int rowsRead = 0;

    bool Fail(std::string& error, const std::string& what) const {
        error = source + ":" + std::to_string(lineNumber) + ": " + what;
        return false;
    }

    bool Cell(std::istringstream& words, std::string& error) {
        if (art.width != 0) return Fail(error, "a second 'cell' line");
        long width = 0, height = 0;
        std::string extra;
        if (!(words >> width >> height) || (words >> extra))
            return Fail(error, "expected 'cell <width> <height>'");
        std::string why;
        if (width <= 0 || height <= 0 || !CheckGlyphGeometry(static_cast<std::size_t>(width),
                                                             static_cast<std::size_t>(height),
                                                             0, why))
            return Fail(error, "bad cell size: " + (why.empty() ? "not positive" : why));
        art.width = static_cast<int>(width);
        art.height = static_cast<int>(height);
        return true;
    }

    bool Glyph(std::istringstream& words, std::string& error) {
        if (art.width == 0) return Fail(error, "'glyph' before the 'cell' line");
        std::string name, extra;
        if (!(words >> name) || (words >> extra)) return Fail(error, "expected 'glyph <name>'");
        if (art.shapes.size() >= MaxGlyphFrames) return Fail(error, "too many glyphs");
        art.shapes.push_back({name, {}});
        open = &art.shapes.back();
        open->ink.reserve(static_cast<std::size_t>(art.width) * art.height);
        rowsRead = 0;
        return true;
    }

    bool Row(const std::string& line, std::string& error) {
        if (static_cast<int>(line.size()) != art.width)
            return Fail(error, "row has " + std::to_string(line.size()) + " pixels, expected " +
                                   std::to_string(art.width));
        for (char c : line) {
            switch (c) {
                case '.': open->ink.push_back(InkNone); break;
                case '+': open->ink.push_back(InkHalf); break;
                case '#': open->ink.push_back(InkFull); break;
                default: return Fail(error, std::string("unknown pixel '") + c + "'");
            }
        }
        if (++rowsRead == art.height) open = nullptr;
        return true;
    }

    bool Line(const std::string& line, std::string& error) {
        ++lineNumber;
        if (open != nullptr) return Row(line, error);
        if (line.empty() || line[0] == ';') return true;
        std::istringstream words(line);
        std::string keyword;
        words >> keyword;
        if (keyword.empty()) return true;
        if (keyword == "cell") return Cell(words, error);
        if (keyword == "glyph") return Glyph(words, error);
        return Fail(error, "expected 'cell' or 'glyph', found '" + keyword + "'");
    }
};

}  // namespace

bool ParseGlyphArt(const std::string& text, const std::string& sourceName, GlyphArt& art,
                   std::string& error) {
    ArtParser parser{sourceName, {}};
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!parser.Line(line, error)) return false;
    }
    if (parser.open != nullptr)
        return parser.Fail(error, "glyph '" + parser.open->name + "' has " +
                                      std::to_string(parser.rowsRead) + " rows, expected " +
                                      std::to_string(parser.art.height));
    if (parser.art.width == 0) {
        error = sourceName + ": no 'cell' line";
        return false;
    }
    art = std::move(parser.art);
    return true;
}

bool ReadGlyphArt(const std::string& path, GlyphArt& art, std::string& error) {
    std::vector<std::uint8_t> bytes;
    if (!ReadFileBytes(path, MaxArtBytes, bytes, error)) return false;
    return ParseGlyphArt(std::string(bytes.begin(), bytes.end()), path, art, error);
}

}  // namespace vorlix::glyphtool
