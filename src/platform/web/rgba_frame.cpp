#include "platform/web/rgba_frame.h"

#include <algorithm>
#include <new>

#include "glyphs/glyph_images.h"

namespace vorlix::web {

namespace {

// XRGB to the canvas's bytes R, G, B, A, read as one little-endian word.
std::uint32_t CanvasPixel(std::uint32_t xrgb) {
    const std::uint32_t red = (xrgb >> 16) & 0xFF;
    const std::uint32_t green = (xrgb >> 8) & 0xFF;
    const std::uint32_t blue = xrgb & 0xFF;
    return 0xFF000000u | (blue << 16) | (green << 8) | red;
}

}  // namespace

RgbaFrame::RgbaFrame() {
    for (const PixelFormat format : {Rgb555, Rgb565}) {
        std::vector<std::uint32_t>& table = tables_[format];
        table.resize(65536);
        for (std::uint32_t value = 0; value < 65536; ++value)
            table[value] = CanvasPixel(WidenPixel(static_cast<std::uint16_t>(value), format));
    }
}

bool RgbaFrame::Resize(std::int32_t width, std::int32_t height) {
    width_ = 0;
    height_ = 0;
    bandCount_ = 0;
    pixels_.reset();
    bands_.reset();
    taken_.reset();
    if (width <= 0 || height <= 0) return false;
    const std::size_t area = static_cast<std::size_t>(width) * height;
    const std::int32_t bands = (height + BandHeight - 1) / BandHeight;
    pixels_.reset(new (std::nothrow) std::uint32_t[area]);
    bands_.reset(new (std::nothrow) ScreenRect[static_cast<std::size_t>(bands)]);
    taken_.reset(new (std::nothrow) std::int32_t[static_cast<std::size_t>(bands) * 4]);
    if (!pixels_ || !bands_ || !taken_) {
        pixels_.reset();
        bands_.reset();
        taken_.reset();
        return false;
    }
    std::fill_n(pixels_.get(), area, CanvasPixel(0));
    width_ = width;
    height_ = height;
    bandCount_ = bands;
    MarkAll();
    return true;
}

void RgbaFrame::MarkAll() {
    for (std::int32_t band = 0; band < bandCount_; ++band) {
        const std::int32_t top = band * BandHeight;
        bands_[band] = ScreenRect{0, top, width_, std::min(top + BandHeight, height_)};
    }
}

void RgbaFrame::ConvertRect(const std::uint16_t* picture, std::int32_t pitch,
                            const ScreenRect& rect) {
    const std::int32_t left = std::max(rect.left, 0);
    const std::int32_t right = std::min(rect.right, width_);
    const std::int32_t top = std::max(rect.top, 0);
    const std::int32_t bottom = std::min(rect.bottom, height_);
    if (left >= right || top >= bottom) return;
    for (std::int32_t y = top; y < bottom; ++y) {
        const std::uint16_t* from = picture + static_cast<std::ptrdiff_t>(y) * pitch;
        std::uint32_t* to = pixels_.get() + static_cast<std::ptrdiff_t>(y) * width_;
        for (std::int32_t x = left; x < right; ++x) to[x] = table_[from[x]];
    }
    for (std::int32_t band = top / BandHeight; band * BandHeight < bottom; ++band) {
        ScreenRect& marked = bands_[band];
        const std::int32_t bandTop = std::max(top, band * BandHeight);
        const std::int32_t bandBottom = std::min(bottom, (band + 1) * BandHeight);
        if (marked.right <= marked.left) {
            marked = ScreenRect{left, bandTop, right, bandBottom};
            continue;
        }
        marked = ScreenRect{std::min(marked.left, left), std::min(marked.top, bandTop),
                            std::max(marked.right, right), std::max(marked.bottom, bandBottom)};
    }
}

void RgbaFrame::Convert(const std::uint16_t* picture, std::int32_t pitch, PixelFormat format,
                        const platform::ChangedArea* changes) {
    table_ = tables_[format].data();
    if (changes == nullptr || changes->whole) {
        ConvertRect(picture, pitch, ScreenRect{0, 0, width_, height_});
        return;
    }
    for (std::int32_t i = 0; i < changes->count; ++i) ConvertRect(picture, pitch, changes->rects[i]);
}

const std::int32_t* RgbaFrame::TakeBands(std::int32_t& rectCount) {
    rectCount = 0;
    ScreenRect joined{};
    std::int64_t inside = 0;  // changed pixels' bands' area within joined
    const auto hand = [&] {
        if (joined.right <= joined.left) return;
        std::int32_t* out = taken_.get() + static_cast<std::ptrdiff_t>(rectCount) * 4;
        out[0] = joined.left;
        out[1] = joined.top;
        out[2] = joined.right;
        out[3] = joined.bottom;
        ++rectCount;
        joined = ScreenRect{};
    };
    for (std::int32_t i = 0; i < bandCount_; ++i) {
        ScreenRect& band = bands_[i];
        if (band.right <= band.left) {
            hand();
            continue;
        }
        const std::int64_t area =
            static_cast<std::int64_t>(band.right - band.left) * (band.bottom - band.top);
        const ScreenRect both{std::min(joined.left, band.left), joined.top,
                              std::max(joined.right, band.right), band.bottom};
        const std::int64_t bothArea =
            static_cast<std::int64_t>(both.right - both.left) * (both.bottom - both.top);
        const bool joins = joined.right > joined.left && joined.bottom == band.top &&
                           bothArea - inside - area <= JoinSlack;
        if (joins) {
            joined = both;
            inside += area;
        } else {
            hand();
            joined = band;
            inside = area;
        }
        band = ScreenRect{};
    }
    hand();
    return taken_.get();
}

}  // namespace vorlix::web
