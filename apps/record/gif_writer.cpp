#include "gif_writer.h"

#include <fcntl.h>
#include <gif_lib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vorlix::record {

namespace {

std::string GifError(int code) {
    const char* text = GifErrorString(code);
    return text != nullptr ? text : "unknown GIF error";
}

// The Netscape extension that makes viewers loop the animation for ever.
bool PutLoopExtension(GifFileType* gif) {
    static const GifByteType application[] = {'N', 'E', 'T', 'S', 'C', 'A',
                                              'P', 'E', '2', '.', '0'};
    static const GifByteType loop[] = {1, 0, 0};
    return EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
           EGifPutExtensionBlock(gif, sizeof application, application) == GIF_OK &&
           EGifPutExtensionBlock(gif, sizeof loop, loop) == GIF_OK &&
           EGifPutExtensionTrailer(gif) == GIF_OK;
}

}  // namespace

GifWriter::~GifWriter() {
    if (gif_ != nullptr) EGifCloseFile(gif_, nullptr);
}

bool GifWriter::Open(const std::string& path, std::int32_t width, std::int32_t height,
                     const RainPalette& palette, std::string& error) {
    // Opened here rather than by giflib, which makes the file readable by its owner only.
    const int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (descriptor < 0) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    int code = 0;
    gif_ = EGifOpenFileHandle(descriptor, &code);
    if (gif_ == nullptr) {
        close(descriptor);
        error = "cannot write " + path + ": " + GifError(code);
        return false;
    }
    width_ = width;
    height_ = height;
    previous_.assign(static_cast<std::size_t>(width) * height, 0);
    row_.resize(static_cast<std::size_t>(width));

    GifColorType colours[256] = {};
    for (int i = 0; i < 256; ++i) {
        colours[i] =
            GifColorType{palette.rgb[i * 3], palette.rgb[i * 3 + 1], palette.rgb[i * 3 + 2]};
    }
    ColorMapObject* map = GifMakeMapObject(256, colours);
    EGifSetGifVersion(gif_, true);
    const bool started = map != nullptr &&
                         EGifPutScreenDesc(gif_, width, height, 8, 0, map) == GIF_OK &&
                         PutLoopExtension(gif_);
    GifFreeMapObject(map);
    if (!started) error = "cannot write " + path + ": " + GifError(gif_->Error);
    return started;
}

bool GifWriter::PutRectangle(const std::uint8_t* indices, std::int32_t left, std::int32_t top,
                             std::int32_t right, std::int32_t bottom, bool transparent) {
    const std::int32_t width = right - left;
    if (EGifPutImageDesc(gif_, left, top, width, bottom - top, false, nullptr) != GIF_OK) {
        return false;
    }
    for (std::int32_t y = top; y < bottom; ++y) {
        const std::size_t at = static_cast<std::size_t>(y) * width_ + left;
        for (std::int32_t x = 0; x < width; ++x) {
            const std::uint8_t index = indices[at + x];
            row_[x] = transparent && index == previous_[at + x] ? TransparentIndex : index;
        }
        if (EGifPutLine(gif_, row_.data(), width) != GIF_OK) return false;
    }
    return true;
}

bool GifWriter::AddFrame(const std::uint8_t* indices, int delay, std::string& error) {
    // The rectangle around what changed; a still frame keeps one pixel to carry its delay.
    std::int32_t left = width_, top = height_, right = 0, bottom = 0;
    for (std::int32_t y = 0; y < height_; ++y) {
        const std::size_t row = static_cast<std::size_t>(y) * width_;
        for (std::int32_t x = 0; x < width_; ++x) {
            if (frames_ > 0 && indices[row + x] == previous_[row + x]) continue;
            left = std::min(left, x);
            right = std::max(right, x + 1);
            top = std::min(top, y);
            bottom = y + 1;
        }
    }
    if (right == 0) {
        left = top = 0;
        right = bottom = 1;
    }
    const bool transparent = frames_ > 0;
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_DO_NOT;
    control.UserInputFlag = false;
    control.DelayTime = delay;
    control.TransparentColor = transparent ? TransparentIndex : NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    const std::size_t length = EGifGCBToExtension(&control, extension);
    if (EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) !=
            GIF_OK ||
        !PutRectangle(indices, left, top, right, bottom, transparent)) {
        error = "cannot write the GIF: " + GifError(gif_->Error);
        return false;
    }
    std::memcpy(previous_.data(), indices, previous_.size());
    ++frames_;
    return true;
}

bool GifWriter::Close(std::string& error) {
    int code = 0;
    const int result = EGifCloseFile(gif_, &code);
    gif_ = nullptr;
    if (result == GIF_OK) return true;
    error = "cannot finish the GIF: " + GifError(code);
    return false;
}

}  // namespace vorlix::record
