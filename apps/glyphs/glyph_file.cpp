#include "glyph_file.h"

#include "file_bytes.h"

namespace vorlix::glyphtool {
namespace {

std::size_t FrameBytes(std::size_t pixels, bool maps) { return pixels * 3 + (maps ? pixels : 0); }

std::uint16_t ReadU16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

void PutU16(std::uint8_t* p, std::uint16_t value) {
    p[0] = static_cast<std::uint8_t>(value & 0xFF);
    p[1] = static_cast<std::uint8_t>(value >> 8);
}

// Largest file a valid header can describe.
constexpr std::size_t MaxGlyphFileBytes = GlyphHeaderSize + MaxGlyphFrames * MaxFramePixels * 4;

}  // namespace

bool CheckGlyphGeometry(std::size_t width, std::size_t height, std::size_t frames,
                        std::string& error) {
    if (width == 0 || height == 0) {
        error = "frame size " + std::to_string(width) + "x" + std::to_string(height) +
                " is empty";
        return false;
    }
    if (width > 0xFFFF || height > 0xFFFF || width * height > MaxFramePixels) {
        error = "frame size " + std::to_string(width) + "x" + std::to_string(height) +
                " is too large (at most " + std::to_string(MaxFramePixels) + " pixels)";
        return false;
    }
    if (frames > MaxGlyphFrames) {
        error = std::to_string(frames) + " frames are too many (at most " +
                std::to_string(MaxGlyphFrames) + ")";
        return false;
    }
    return true;
}

bool ParseGlyphFile(const std::vector<std::uint8_t>& bytes, GlyphFile& file, std::string& error) {
    if (bytes.size() < GlyphHeaderSize) {
        error = "truncated header (" + std::to_string(bytes.size()) + " of " +
                std::to_string(GlyphHeaderSize) + " bytes)";
        return false;
    }
    const std::uint8_t* h = bytes.data();
    if (h[4] != GlyphFileVersion) {
        error = "wrong file format version " + std::to_string(h[4]) + " (expected " +
                std::to_string(GlyphFileVersion) + ")";
        return false;
    }
    GlyphFile parsed;
    parsed.tag = {h[0], h[1], h[2], h[3]};
    parsed.width = ReadU16(h + 6);
    parsed.height = ReadU16(h + 8);
    parsed.mapFlag = h[10];
    parsed.tail = h[11];
    const std::size_t count = h[5];
    if (!CheckGlyphGeometry(parsed.width, parsed.height, count, error)) return false;

    const std::size_t pixels = parsed.FramePixels();
    const std::size_t frameBytes = FrameBytes(pixels, parsed.HasMaps());
    const std::size_t needed = GlyphHeaderSize + count * frameBytes;
    if (bytes.size() < needed) {
        error = "truncated: " + std::to_string(count) + " frames need " + std::to_string(needed) +
                " bytes, the file has " + std::to_string(bytes.size());
        return false;
    }
    parsed.frames.resize(count);
    const std::uint8_t* p = bytes.data() + GlyphHeaderSize;
    for (GlyphFrame& frame : parsed.frames) {
        frame.bgr.assign(p, p + pixels * 3);
        p += pixels * 3;
        if (!parsed.HasMaps()) continue;
        frame.map.assign(p, p + pixels);
        p += pixels;
    }
    file = std::move(parsed);
    return true;
}

bool SerializeGlyphFile(const GlyphFile& file, std::vector<std::uint8_t>& bytes,
                        std::string& error) {
    if (!CheckGlyphGeometry(file.width, file.height, file.frames.size(), error)) return false;
    const std::size_t pixels = file.FramePixels();
    for (std::size_t i = 0; i < file.frames.size(); ++i) {
        const GlyphFrame& frame = file.frames[i];
        const bool mapOk = file.HasMaps() ? frame.map.size() == pixels : frame.map.empty();
        if (frame.bgr.size() != pixels * 3 || !mapOk) {
            error = "frame " + std::to_string(i) + " does not match the frame size";
            return false;
        }
    }
    bytes.assign(GlyphHeaderSize, 0);
    std::uint8_t* h = bytes.data();
    for (std::size_t i = 0; i < 4; ++i) h[i] = file.tag[i];
    h[4] = GlyphFileVersion;
    h[5] = static_cast<std::uint8_t>(file.frames.size());
    PutU16(h + 6, file.width);
    PutU16(h + 8, file.height);
    h[10] = file.mapFlag;
    h[11] = file.tail;
    bytes.reserve(GlyphHeaderSize + file.frames.size() * FrameBytes(pixels, file.HasMaps()));
    for (const GlyphFrame& frame : file.frames) {
        bytes.insert(bytes.end(), frame.bgr.begin(), frame.bgr.end());
        bytes.insert(bytes.end(), frame.map.begin(), frame.map.end());
    }
    return true;
}

bool ReadGlyphFile(const std::string& path, GlyphFile& file, std::string& error) {
    std::vector<std::uint8_t> bytes;
    // Trailing bytes are allowed, so read a little more than the largest valid file.
    if (!ReadFileBytes(path, MaxGlyphFileBytes + (1u << 20), bytes, error)) return false;
    if (ParseGlyphFile(bytes, file, error)) return true;
    error = path + ": " + error;
    return false;
}

bool WriteGlyphFile(const std::string& path, const GlyphFile& file, std::string& error) {
    std::vector<std::uint8_t> bytes;
    if (!SerializeGlyphFile(file, bytes, error)) {
        error = path + ": " + error;
        return false;
    }
    return WriteFileBytes(path, bytes, error);
}

}  // namespace vorlix::glyphtool
