#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "glyphs/graphics_loader.h"

namespace vorlix {

namespace {

constexpr std::uint32_t TgaHeaderSize = 18;
constexpr std::uint8_t TgaTrueColour = 2;
constexpr std::int32_t TgaMaxSide = 0xFFFF;

struct TgaHeader {
    std::int32_t width;
    std::int32_t height;
    std::int32_t bitsPerPixel;
};

bool ReadTgaHeader(BinaryFile& file, TgaHeader& header) {
    std::uint8_t bytes[TgaHeaderSize] = {};
    if (file.Read(bytes, TgaHeaderSize) != FileOk) return false;
    header = {bytes[12] | bytes[13] << 8, bytes[14] | bytes[15] << 8, bytes[16]};
    return header.bitsPerPixel == 16 || header.bitsPerPixel == 24;
}

// A 5-5-5 file pixel in the loader's layout: for 5-6-5, red and green move up one bit and
// the new lowest green bit stays 0.
std::uint16_t FromFile555(std::uint16_t p, PixelFormat format) {
    if (format == Rgb555) return p;
    return static_cast<std::uint16_t>(((p >> 5) << 6) | (p & 0x1F));
}

// Back to 8 bits per channel; a channel that is not zero gets its freed low bits set, so
// full intensity comes back as 255.
void ToFilePixel(std::uint16_t p, PixelFormat format, std::uint8_t* bgr) {
    auto widen = [](unsigned value, unsigned bits) {
        const unsigned shifted = value << (8 - bits);
        return static_cast<std::uint8_t>(shifted == 0 ? 0 : shifted | ((1u << (8 - bits)) - 1));
    };
    bgr[0] = widen(p & 0x1F, 5);
    if (format == Rgb555) {
        bgr[1] = widen((p >> 5) & 0x1F, 5);
        bgr[2] = widen((p >> 10) & 0x1F, 5);
        return;
    }
    bgr[1] = widen((p >> 5) & 0x3F, 6);
    bgr[2] = widen((p >> 11) & 0x1F, 5);
}

void WriteLittle16(std::uint8_t* at, std::int32_t value) {
    at[0] = static_cast<std::uint8_t>(value & 0xFF);
    at[1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

}  // namespace

bool GraphicsLoader::ReadPictureRows(BinaryFile& file, std::int32_t width, std::int32_t height,
                                     std::int32_t bitsPerPixel) {
    const std::uint32_t rowBytes = static_cast<std::uint32_t>(width * (bitsPerPixel / 8));
    std::unique_ptr<std::uint8_t[]> row(new (std::nothrow) std::uint8_t[rowBytes]());
    if (!row) return false;
    // Rows are stored bottom row first.
    for (std::int32_t j = height - 1; j >= 0; --j) {
        if (file.Read(row.get(), rowBytes) != FileOk) return false;
        std::uint16_t* target = ScratchPad + static_cast<std::size_t>(j) * width;
        if (bitsPerPixel == 24) {
            ConvertRow(target, row.get(), width);
            continue;
        }
        for (std::int32_t i = 0; i < width; ++i) {
            const auto p = static_cast<std::uint16_t>(row[2 * i] | row[2 * i + 1] << 8);
            target[i] = FromFile555(p, pixelFormat);
        }
    }
    return true;
}

Picture* GraphicsLoader::PictureFromScratchPad(std::int32_t width, std::int32_t height,
                                               bool compress) {
    const auto pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    std::uint16_t* data = nullptr;
    if (compress) {
        // 16-bit files run no row conversion, so the key is set here for them.
        ColorKey = MagentaKey();
        data = EncodeFrame(ScratchPad, width, height);
    } else {
        data = new (std::nothrow) std::uint16_t[pixels];
        if (data != nullptr) std::memcpy(data, ScratchPad, pixels * sizeof(std::uint16_t));
    }
    if (data == nullptr) return nullptr;
    auto* picture = new (std::nothrow) Picture(width, height, compress ? 1 : 0, data);
    if (picture == nullptr) delete[] data;
    return picture;
}

void GraphicsLoader::CopyScratchPadInto(std::int32_t width, std::int32_t height,
                                        const SurfaceView& target) const {
    const std::int32_t rows = std::min(height, target.height);
    const std::int32_t columns = std::min(width, target.width);
    if (columns <= 0) return;
    for (std::int32_t r = 0; r < rows; ++r) {
        std::memcpy(target.pixels + static_cast<std::int64_t>(r) * target.pitch,
                    ScratchPad + static_cast<std::size_t>(r) * width,
                    static_cast<std::size_t>(columns) * sizeof(std::uint16_t));
    }
}

Picture* GraphicsLoader::LoadPicture(String& path, bool compress, bool withMap) {
    BinaryFile file(path, FileMode::Read);
    TgaHeader header{};
    if (file.Status() != FileOk || !ReadTgaHeader(file, header)) return nullptr;
    if (!FitsScratchPad(header.width, header.height)) return nullptr;
    if (!ReadPictureRows(file, header.width, header.height, header.bitsPerPixel)) return nullptr;

    std::unique_ptr<std::uint8_t[]> map;
    if (withMap) {
        path.CutExtension();
        path.Append(".map");
        BinaryFile side(path, FileMode::Read);
        if (side.Status() != FileOk) return nullptr;
        const auto mapBytes = static_cast<std::uint32_t>(header.width * header.height);
        map.reset(new (std::nothrow) std::uint8_t[mapBytes]());
        if (!map || side.Read(map.get(), mapBytes) != FileOk) return nullptr;
    }
    Picture* picture = PictureFromScratchPad(header.width, header.height, compress);
    if (picture != nullptr && map) {
        picture->map = map.release();
        picture->hasMap = 1;
    }
    return picture;
}

bool GraphicsLoader::LoadPictureInto(const String& path, const SurfaceView& target) {
    if (target.pixels == nullptr) return false;
    BinaryFile file(path, FileMode::Read);
    TgaHeader header{};
    if (file.Status() != FileOk || !ReadTgaHeader(file, header)) return false;
    if (!FitsScratchPad(header.width, header.height)) return false;
    if (!ReadPictureRows(file, header.width, header.height, header.bitsPerPixel)) return false;
    CopyScratchPadInto(header.width, header.height, target);
    return true;
}

Picture* GraphicsLoader::ReadPicture(BinaryFile& stream, std::int32_t width,
                                     std::int32_t height, bool compress) {
    if (stream.Status() != FileOk || !FitsScratchPad(width, height)) return nullptr;
    if (!ReadPictureRows(stream, width, height, 24)) return nullptr;
    return PictureFromScratchPad(width, height, compress);
}

bool GraphicsLoader::ReadPictureInto(BinaryFile& stream, std::int32_t width, std::int32_t height,
                                     const SurfaceView& target) {
    if (target.pixels == nullptr) return false;
    if (stream.Status() != FileOk || !FitsScratchPad(width, height)) return false;
    if (!ReadPictureRows(stream, width, height, 24)) return false;
    CopyScratchPadInto(width, height, target);
    return true;
}

bool GraphicsLoader::SavePicture(const String& path, const SurfaceView& source) {
    if (source.pixels == nullptr || source.width <= 0 || source.height <= 0) return false;
    if (source.width > TgaMaxSide || source.height > TgaMaxSide) return false;
    const auto rowBytes = static_cast<std::uint32_t>(source.width) * 3;
    std::unique_ptr<std::uint8_t[]> row(new (std::nothrow) std::uint8_t[rowBytes]);
    if (!row) return false;

    BinaryFile file(path, FileMode::Write);
    if (file.Status() != FileOk) return false;
    std::uint8_t header[TgaHeaderSize] = {};
    header[2] = TgaTrueColour;
    WriteLittle16(header + 12, source.width);
    WriteLittle16(header + 14, source.height);
    header[16] = 24;
    if (file.Write(header, TgaHeaderSize) != FileOk) return false;
    for (std::int32_t r = source.height - 1; r >= 0; --r) {
        const std::uint16_t* pixels = source.pixels + static_cast<std::int64_t>(r) * source.pitch;
        for (std::int32_t i = 0; i < source.width; ++i) {
            ToFilePixel(pixels[i], pixelFormat, row.get() + 3 * i);
        }
        if (file.Write(row.get(), rowBytes) != FileOk) return false;
    }
    return true;
}

}  // namespace vorlix
