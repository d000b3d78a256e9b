#pragma once
// Test helpers: a private temporary directory, byte-exact files, glyph and TGA files built
// from plain pixel lists, and a log session whose file can be read back.
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "diagnostics/debug_log.h"
#include "platform/headless/directories.h"

namespace vorlix::glyph_tests {

using Bytes = std::vector<std::uint8_t>;

class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vorlix_glyphs_XXXXXX");
        path_ = mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
    }
    ~TempDir() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

inline Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void PutLittle16(Bytes& bytes, unsigned value) {
    bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

inline void PutBgr(Bytes& bytes, std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
    bytes.push_back(blue);
    bytes.push_back(green);
    bytes.push_back(red);
}

// The 12-byte glyph file header; bytes 0 ... 3 and 11 carry junk on purpose.
inline Bytes GlyphHeader(unsigned version, unsigned frames, unsigned width, unsigned height,
                         bool maps) {
    Bytes bytes = {0xDE, 0xAD, 0xBE, 0xEF, static_cast<std::uint8_t>(version),
                   static_cast<std::uint8_t>(frames)};
    PutLittle16(bytes, width);
    PutLittle16(bytes, height);
    bytes.push_back(maps ? 1 : 0);
    bytes.push_back(0x5A);
    return bytes;
}

// Pixel (frame, column, row) of the generated glyph files: every value tells where it is.
inline void PutGeneratedPixel(Bytes& bytes, unsigned frame, unsigned column, unsigned row) {
    PutBgr(bytes, static_cast<std::uint8_t>(column * 8), static_cast<std::uint8_t>(row * 8),
           static_cast<std::uint8_t>(frame * 8));
}

// A whole glyph file with generated pixels and, with maps, map byte (frame + row + column).
inline Bytes GlyphFile(unsigned frames, unsigned width, unsigned height, bool maps) {
    Bytes bytes = GlyphHeader(2, frames, width, height, maps);
    for (unsigned f = 0; f < frames; ++f) {
        for (unsigned r = 0; r < height; ++r) {
            for (unsigned c = 0; c < width; ++c) PutGeneratedPixel(bytes, f, c, r);
        }
        if (!maps) continue;
        for (unsigned r = 0; r < height; ++r) {
            for (unsigned c = 0; c < width; ++c) {
                bytes.push_back(static_cast<std::uint8_t>(f + r + c));
            }
        }
    }
    return bytes;
}

// Opens the debug log in a directory for the life of the object; Lines() closes it and
// returns what was written after the start line.
class LogSession {
public:
    explicit LogSession(const TempDir& dir) : dir_(dir) {
        headless::SetDirectories(dir.Path().c_str(), dir.Path().c_str(), dir.Path().c_str());
        InitErrorMsg(true);
    }
    ~LogSession() {
        StopErrorMsg();
        headless::ResetDirectories();
    }
    LogSession(const LogSession&) = delete;
    LogSession& operator=(const LogSession&) = delete;

    std::vector<std::string> Lines() {
        StopErrorMsg();
        const Bytes bytes = ReadBytes(dir_.File("vorlix_fs.log"));
        std::vector<std::string> lines;
        std::string line;
        for (std::uint8_t b : bytes) {
            if (b != '\n') {
                line.push_back(static_cast<char>(b));
                continue;
            }
            lines.push_back(line);
            line.clear();
        }
        // Drop the start line, its blank line and the closing lines.
        std::vector<std::string> middle;
        for (const std::string& l : lines) {
            if (l.find("DEBUG SESSION") != std::string::npos || l == "LOG_INFO: " || l.empty()) {
                continue;
            }
            middle.push_back(l);
        }
        return middle;
    }

private:
    const TempDir& dir_;
};

}  // namespace vorlix::glyph_tests
