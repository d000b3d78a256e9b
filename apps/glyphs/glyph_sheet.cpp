#include "glyph_sheet.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <sstream>

namespace vorlix::glyphtool {

const char* const SheetMetadataKey = "Vorlix glyphs";

namespace {

struct SheetMetadata {
    bool present = false;
    int width = 0;
    int height = 0;
    int frames = 0;
    int scale = 1;
    GlyphFile header;  // tag, tail and map flag only
};

std::string FormatMetadata(const GlyphFile& file, int scale) {
    char tag[9];
    std::snprintf(tag, sizeof tag, "%02x%02x%02x%02x", file.tag[0], file.tag[1], file.tag[2],
                  file.tag[3]);
    return "frames=" + std::to_string(file.frames.size()) + " width=" +
           std::to_string(file.width) + " height=" + std::to_string(file.height) +
           " scale=" + std::to_string(scale) + " mapflag=" + std::to_string(file.mapFlag) +
           " tag=" + tag + " tail=" + std::to_string(file.tail);
}

bool ParseNumber(const std::string& text, int base, long long limit, long long& value) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text) {
        const bool digit = base == 16 ? std::isxdigit(static_cast<unsigned char>(c)) != 0
                                      : std::isdigit(static_cast<unsigned char>(c)) != 0;
        if (!digit) return false;
    }
    value = std::strtoll(text.c_str(), nullptr, base);
    return value <= limit;
}

bool ParseMetadataWord(const std::string& key, const std::string& value, SheetMetadata& meta) {
    long long n = 0;
    if (key == "tag") {
        if (value.size() != 8 || !ParseNumber(value, 16, 0xFFFFFFFFLL, n)) return false;
        for (int i = 0; i < 4; ++i)
            meta.header.tag[static_cast<std::size_t>(i)] =
                static_cast<std::uint8_t>(n >> (24 - 8 * i));
        return true;
    }
    const bool isScale = key == "scale";
    const long long limit = key == "width" || key == "height" ? 0xFFFF : isScale ? MaxSheetScale : 255;
    if (!ParseNumber(value, 10, limit, n) || (isScale && n == 0)) return false;
    const int v = static_cast<int>(n);
    if (key == "frames") meta.frames = v;
    if (key == "width") meta.width = v;
    if (key == "height") meta.height = v;
    if (isScale) meta.scale = v;
    if (key == "mapflag") meta.header.mapFlag = static_cast<std::uint8_t>(v);
    if (key == "tail") meta.header.tail = static_cast<std::uint8_t>(v);
    return true;
}

bool ParseMetadata(const std::string& text, SheetMetadata& meta, std::string& error) {
    static const char* const keys[] = {"tag", "frames", "width", "height",
                                       "scale", "mapflag", "tail"};
    std::istringstream words(text);
    std::string word;
    while (words >> word) {
        const std::size_t eq = word.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = word.substr(0, eq);
        if (std::find(std::begin(keys), std::end(keys), key) == std::end(keys))
            continue;  // later versions may add keys
        if (!ParseMetadataWord(key, word.substr(eq + 1), meta)) {
            error = "bad sheet metadata '" + word + "'";
            return false;
        }
        meta.present = true;
    }
    return true;
}

void PutCell(const GlyphFile& file, std::size_t index, const SheetLayout& layout,
             std::size_t columns, Image& sheet) {
    const std::size_t s = static_cast<std::size_t>(layout.scale);
    const std::size_t left = (index % columns) * file.width * s;
    const std::size_t top = (index / columns) * file.height * s;
    const std::size_t channels = sheet.Channels();
    const GlyphFrame& frame = file.frames[index];
    for (std::size_t y = 0; y < file.height * s; ++y) {
        std::uint8_t* out = sheet.pixels.data() + ((top + y) * sheet.width + left) * channels;
        for (std::size_t x = 0; x < file.width * s; ++x, out += channels) {
            const std::size_t p = (y / s) * file.width + x / s;
            out[0] = frame.bgr[p * 3 + 2];
            out[1] = frame.bgr[p * 3 + 1];
            out[2] = frame.bgr[p * 3];
            if (channels == 4) out[3] = frame.map[p];
        }
    }
}

std::uint8_t OverBlack(std::uint8_t value, std::uint8_t alpha) {
    return static_cast<std::uint8_t>((value * alpha + 127) / 255);
}

void TakeCell(const Image& sheet, std::size_t index, std::size_t columns, int scale,
              GlyphFile& file) {
    const std::size_t s = static_cast<std::size_t>(scale);
    const std::size_t left = (index % columns) * file.width * s;
    const std::size_t top = (index / columns) * file.height * s;
    GlyphFrame frame;
    frame.bgr.resize(file.FramePixels() * 3);
    if (file.HasMaps()) frame.map.resize(file.FramePixels());
    for (std::size_t y = 0; y < file.height; ++y) {
        for (std::size_t x = 0; x < file.width; ++x) {
            const std::uint8_t* in =
                sheet.pixels.data() + ((top + y * s) * sheet.width + left + x * s) * 4;
            const std::size_t p = y * file.width + x;
            const std::uint8_t a = file.HasMaps() ? 0xFF : in[3];
            frame.bgr[p * 3] = OverBlack(in[2], a);
            frame.bgr[p * 3 + 1] = OverBlack(in[1], a);
            frame.bgr[p * 3 + 2] = OverBlack(in[0], a);
            if (file.HasMaps()) frame.map[p] = in[3];
        }
    }
    file.frames.push_back(std::move(frame));
}

std::string Size(std::size_t w, std::size_t h) {
    return std::to_string(w) + "x" + std::to_string(h);
}

}  // namespace

bool BuildSheet(const GlyphFile& file, const SheetLayout& layout, Image& sheet,
                std::string& error) {
    if (file.frames.empty()) {
        error = "the glyph file has no frames";
        return false;
    }
    if (layout.columns < 1 || layout.scale < 1 || layout.scale > MaxSheetScale) {
        error = "bad sheet layout";
        return false;
    }
    const std::size_t count = file.frames.size();
    const std::size_t columns = std::min<std::size_t>(static_cast<std::size_t>(layout.columns), count);
    const std::size_t rows = (count + columns - 1) / columns;
    const std::size_t s = static_cast<std::size_t>(layout.scale);
    Image out;
    const std::size_t width = columns * file.width * s, height = rows * file.height * s;
    if (width * height > MaxImagePixels) {
        error = "the sheet would be too large (" + Size(width, height) + "); lower the scale";
        return false;
    }
    out.width = static_cast<std::uint32_t>(width);
    out.height = static_cast<std::uint32_t>(height);
    out.alpha = file.HasMaps();
    out.pixels.assign(width * height * out.Channels(), 0);
    out.metadataKey = SheetMetadataKey;
    out.metadata = FormatMetadata(file, layout.scale);
    for (std::size_t i = 0; i < count; ++i) PutCell(file, i, layout, columns, out);
    sheet = std::move(out);
    return true;
}

bool SplitSheet(const Image& sheet, const SheetRequest& request, GlyphFile& file,
                std::string& error) {
    if (!sheet.alpha || sheet.pixels.size() != std::size_t{sheet.width} * sheet.height * 4) {
        error = "internal: the sheet must be decoded as RGBA";
        return false;
    }
    SheetMetadata meta;
    if (!ParseMetadata(sheet.metadata, meta, error)) return false;
    const int width = request.cellWidth ? request.cellWidth : meta.width;
    const int height = request.cellHeight ? request.cellHeight : meta.height;
    const int scale = request.scale ? request.scale : meta.scale;
    if (width == 0 || height == 0) {
        error = "the sheet does not say its cell size; give --cell WIDTHxHEIGHT";
        return false;
    }
    if (!CheckGlyphGeometry(static_cast<std::size_t>(width), static_cast<std::size_t>(height), 0,
                            error))
        return false;
    const std::size_t cellW = static_cast<std::size_t>(width) * scale;
    const std::size_t cellH = static_cast<std::size_t>(height) * scale;
    if (sheet.width % cellW != 0 || sheet.height % cellH != 0) {
        error = "wrong sheet size " + Size(sheet.width, sheet.height) +
                ": not a whole number of " + Size(cellW, cellH) + " cells";
        return false;
    }
    const std::size_t columns = sheet.width / cellW;
    const std::size_t cells = columns * (sheet.height / cellH);
    const std::size_t frames = request.frames   ? static_cast<std::size_t>(request.frames)
                               : meta.present ? static_cast<std::size_t>(meta.frames)
                                              : cells;
    if (frames == 0) {
        error = "the sheet holds no frames";
        return false;
    }
    if (frames > cells) {
        error = "wrong sheet size " + Size(sheet.width, sheet.height) + ": it holds " +
                std::to_string(cells) + " cells, not " + std::to_string(frames) + " frames";
        return false;
    }
    if (!CheckGlyphGeometry(static_cast<std::size_t>(width), static_cast<std::size_t>(height),
                            frames, error)) {
        if (!request.frames && !meta.present) error += "; give --frames";
        return false;
    }
    GlyphFile out;
    if (meta.present) out = meta.header;
    if (request.maps && !out.HasMaps()) out.mapFlag = 1;
    out.width = static_cast<std::uint16_t>(width);
    out.height = static_cast<std::uint16_t>(height);
    for (std::size_t i = 0; i < frames; ++i) TakeCell(sheet, i, columns, scale, out);
    file = std::move(out);
    return true;
}

}  // namespace vorlix::glyphtool
