#pragma once
// Loads glyph animations and TGA pictures, converting 24-bit pixels into the display's
// 16-bit layout through a scratch frame.
#include <cstdint>

#include "glyphs/animation.h"
#include "glyphs/binary_file.h"
#include "glyphs/pixel_format.h"
#include "glyphs/surface_view.h"
#include "support/string.h"

namespace vorlix {

std::uint16_t PackRgb555(const std::uint8_t* bgr);
std::uint16_t PackRgb565(const std::uint8_t* bgr);

class GraphicsLoader {
public:
    static constexpr std::int32_t ScratchCapacity = 480000;

    GraphicsLoader();
    ~GraphicsLoader();
    GraphicsLoader(const GraphicsLoader&) = delete;
    GraphicsLoader& operator=(const GraphicsLoader&) = delete;

    void SetPixelFormat(PixelFormat format);
    void ConvertRow(std::uint16_t* destination, const std::uint8_t* source, std::int32_t count);
    // A new LLE frame owned by the caller (delete[]), or null when memory ran out.
    std::uint16_t* EncodeFrame(const std::uint16_t* source, std::int32_t width,
                               std::int32_t height);

    // New Animation owned by the caller, or null; failures are logged at LOG_ERROR. Headers
    // with more than 100 frames, an empty frame or a frame larger than the ScratchPad are
    // refused. The stream form reads each frame's rows bottom row first and leaves the stream
    // open where it stopped.
    Animation* LoadAnimation(const String& path, bool compress);
    Animation* LoadAnimationFromStream(BinaryFile& stream, bool compress);

    // TGA pictures of 16 or 24 bits per pixel, rows bottom first. With a map, path is changed
    // to the side file's name (extension replaced by ".map"). The Read forms take headerless
    // 24-bit rows, bottom row first. Pictures larger than the ScratchPad are refused; the Into
    // forms write only what fits in the target.
    Picture* LoadPicture(String& path, bool compress, bool withMap);
    bool LoadPictureInto(const String& path, const SurfaceView& target);
    Picture* ReadPicture(BinaryFile& stream, std::int32_t width, std::int32_t height,
                         bool compress);
    bool ReadPictureInto(BinaryFile& stream, std::int32_t width, std::int32_t height,
                         const SurfaceView& target);
    bool SavePicture(const String& path, const SurfaceView& source);

    std::uint16_t* ScratchPad = nullptr;
    std::int32_t capacity = 0;
    std::uint16_t ColorKey = 0;
    PixelFormat pixelFormat = Rgb565;

private:
    Animation* LoadFrames(BinaryFile& file, bool compress, bool bottomRowFirst);
    static FileResult ReadTracked(BinaryFile& file, void* buffer, std::uint32_t count,
                                  std::int64_t& left);
    bool ReadFrameRows(BinaryFile& file, std::int64_t& left, std::uint8_t* row,
                       std::int32_t width, std::int32_t height, bool bottomRowFirst);
    bool StoreFrame(Animation& animation, std::int32_t index, bool encode);
    bool FitsScratchPad(std::int64_t width, std::int64_t height) const;
    bool ReadPictureRows(BinaryFile& file, std::int32_t width, std::int32_t height,
                         std::int32_t bitsPerPixel);
    Picture* PictureFromScratchPad(std::int32_t width, std::int32_t height, bool compress);
    void CopyScratchPadInto(std::int32_t width, std::int32_t height,
                            const SurfaceView& target) const;
    std::uint16_t MagentaKey() const;
};

}  // namespace vorlix
