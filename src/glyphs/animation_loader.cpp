#include <cstring>
#include <memory>
#include <new>

#include "diagnostics/debug_log.h"
#include "glyphs/graphics_loader.h"

namespace vorlix {

namespace {

constexpr std::uint32_t HeaderSize = 12;
constexpr std::uint8_t SupportedVersion = 2;

struct GlyphHeader {
    std::int32_t version;
    std::int32_t frameCount;
    std::int32_t width;
    std::int32_t height;
    bool hasMaps;
};

GlyphHeader ParseHeader(const std::uint8_t* bytes) {
    return {bytes[4], bytes[5], bytes[6] | bytes[7] << 8, bytes[8] | bytes[9] << 8,
            bytes[10] != 0};
}

void LogLine(const char* text) { LogMessage(text, LOG_ERROR); }

// Bytes from the stream's position to its end, or -1 when the stream cannot tell (a device,
// or a file too large for the stream's positions). The position is left where it was.
std::int64_t BytesLeft(BinaryFile& file) {
    const std::int32_t here = file.SeekFromCurrent(0);
    if (here < 0) return -1;
    const std::int32_t end = file.SeekFromEnd(0);
    if (file.SeekFromStart(here) != here || end < here) return -1;
    return end - here;
}

void LogLine(const char* text, std::int32_t number) {
    String line(text);
    line.Append(number);
    LogMessage(line, LOG_ERROR);
}

void LogSizeLine(const char* text, const GlyphHeader& header, const char* tail) {
    String line(text);
    line.Append(header.width).Append("x").Append(header.height).Append(tail);
    LogMessage(line, LOG_ERROR);
}

// Refuses what neither the Animation's slots nor the ScratchPad can hold.
bool HeaderFits(const GlyphHeader& header, std::int32_t capacity) {
    if (header.frameCount > MaxAnimationFrames) {
        String line("[GraphicsLoader::LoadAnimation] Too many frames in animation file, found ");
        line.Append(header.frameCount).Append(" (at most 100)");
        LogMessage(line, LOG_ERROR);
        return false;
    }
    if (header.width == 0 || header.height == 0) {
        LogSizeLine("[GraphicsLoader::LoadAnimation] Empty frame in animation file, found ",
                    header, "");
        return false;
    }
    if (static_cast<std::int64_t>(header.width) * header.height > capacity) {
        LogSizeLine("[GraphicsLoader::LoadAnimation] Frame too large in animation file, found ",
                    header, " (at most 480000 pixels)");
        return false;
    }
    return true;
}

}  // namespace

Animation* GraphicsLoader::LoadAnimation(const String& path, bool compress) {
    if (ScratchPad == nullptr) {
        LogLine("[GraphicsLoader::LoadAnimation] NULL pointer detected in ScratchPad");
        return nullptr;
    }
    BinaryFile file(path, FileMode::Read);
    if (file.Status() != FileOk) return nullptr;
    return LoadFrames(file, compress, false);
}

Animation* GraphicsLoader::LoadAnimationFromStream(BinaryFile& stream, bool compress) {
    // Checked here too: without a ScratchPad there is nowhere to convert a frame to.
    if (ScratchPad == nullptr) {
        LogLine("[GraphicsLoader::LoadAnimation] NULL pointer detected in ScratchPad");
        return nullptr;
    }
    if (stream.Status() != FileOk) return nullptr;
    return LoadFrames(stream, compress, true);
}

Animation* GraphicsLoader::LoadFrames(BinaryFile& file, bool compress, bool bottomRowFirst) {
    // Every read of any other stream fails, starting with the header's.
    if (file.Mode() != FileMode::Read) return nullptr;
    std::int64_t left = BytesLeft(file);
    std::uint8_t bytes[HeaderSize] = {};
    if (ReadTracked(file, bytes, HeaderSize, left) != FileOk) return nullptr;
    const GlyphHeader header = ParseHeader(bytes);
    if (header.version != SupportedVersion) {
        LogLine("[GraphicsLoader::LoadAnimation] Wrong file format version, found ",
                header.version);
        return nullptr;
    }
    if (!HeaderFits(header, capacity)) return nullptr;

    const bool encode = compress && !header.hasMaps;
    const auto rowBytes = static_cast<std::size_t>(header.width + 1) * 3;
    std::unique_ptr<std::uint8_t[]> row(new (std::nothrow) std::uint8_t[rowBytes]());
    std::unique_ptr<Animation> animation(new (std::nothrow) Animation(
        header.width, header.height, header.frameCount, encode ? 1 : 0));
    if (!row || !animation) {
        LogLine("[GraphicsLoader::LoadAnimation] Not enough memory to load the animation");
        return nullptr;
    }
    const auto mapBytes = static_cast<std::uint32_t>(header.width * header.height);
    for (std::int32_t i = 0; i < header.frameCount; ++i) {
        if (!ReadFrameRows(file, left, row.get(), header.width, header.height, bottomRowFirst)) {
            return nullptr;
        }
        if (!StoreFrame(*animation, i, encode)) return nullptr;
        if (!header.hasMaps) continue;
        animation->hasMaps = 1;
        animation->maps[i] = new (std::nothrow) std::uint8_t[mapBytes]();
        if (animation->maps[i] == nullptr) {
            LogLine("[GraphicsLoader::LoadAnimation] Not enough memory for the map of frame ", i);
            return nullptr;
        }
        if (ReadTracked(file, animation->maps[i], mapBytes, left) != FileOk) {
            LogLine("[GraphicsLoader::LoadAnimation] Unable to read transparecy map");
            return nullptr;
        }
    }
    return animation.release();
}

// A read at the end of a file delivers nothing and succeeds, so once the bytes are known to be
// used up the reads are left out: a short file whose header promises 100 tall frames costs no
// more system calls than it has bytes to give. left is -1 when the size is not known.
FileResult GraphicsLoader::ReadTracked(BinaryFile& file, void* buffer, std::uint32_t count,
                                       std::int64_t& left) {
    if (left == 0) return FileOk;
    const FileResult result = file.Read(buffer, count);
    if (left > 0) left = left > count ? left - count : 0;
    return result;
}

bool GraphicsLoader::ReadFrameRows(BinaryFile& file, std::int64_t& left, std::uint8_t* row,
                                   std::int32_t width, std::int32_t height, bool bottomRowFirst) {
    const auto rowBytes = static_cast<std::uint32_t>(width) * 3;
    for (std::int32_t j = 0; j < height; ++j) {
        // A file that ends early reads short without an error: the rest of the row keeps what
        // the buffer held before.
        if (ReadTracked(file, row, rowBytes, left) != FileOk) {
            LogLine("[GraphicsLoader::LoadAnimation] Unable to read source file");
            return false;
        }
        const std::int32_t target = bottomRowFirst ? height - 1 - j : j;
        ConvertRow(ScratchPad + static_cast<std::size_t>(target) * width, row, width);
    }
    return true;
}

bool GraphicsLoader::StoreFrame(Animation& animation, std::int32_t index, bool encode) {
    const std::int32_t width = animation.width;
    const std::int32_t height = animation.height;
    if (encode) {
        animation.frames[index] = EncodeFrame(ScratchPad, width, height);
        if (animation.frames[index] != nullptr) return true;
        LogLine("[GraphicsLoader::LoadAnimation] Corrupt animation file, unable to LLE compress "
                "frame ",
                index);
        return false;
    }
    const auto pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    animation.frames[index] = new (std::nothrow) std::uint16_t[pixels];
    if (animation.frames[index] == nullptr) {
        LogLine("[GraphicsLoader::LoadAnimation] Not enough memory for frame ", index);
        return false;
    }
    std::memcpy(animation.frames[index], ScratchPad, pixels * sizeof(std::uint16_t));
    return true;
}

}  // namespace vorlix
