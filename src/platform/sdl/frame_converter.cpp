#include "platform/sdl/frame_converter.h"

#include <cstring>

#include "display/screen_plan.h"
#include "glyphs/pixel_format.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace vorlix::sdl {

namespace {

std::uint32_t LowestBit(std::uint32_t mask) {
    std::uint32_t shift = 0;
    while (shift < 32 && (mask & (1u << shift)) == 0) ++shift;
    return shift;
}

std::uint32_t BitCount(std::uint32_t mask) {
    std::uint32_t count = 0;
    for (; mask != 0; mask &= mask - 1) ++count;
    return count;
}

// An 8-bit channel into the mask's place, keeping its top bits.
std::uint32_t Place(std::uint32_t value8, std::uint32_t mask) {
    if (mask == 0) return 0;
    std::uint32_t bits = BitCount(mask);
    std::uint32_t value = bits >= 8 ? value8 << (bits - 8) : value8 >> (8 - bits);
    return (value << LowestBit(mask)) & mask;
}

inline std::uint32_t ExpandToXrgb(std::uint16_t pixel) { return WidenPixel(pixel, Rgb565); }

#ifdef __SSE2__
// Eight 5-6-5 pixels widened to XRGB as WidenPixel does: the first four in low, the next four
// in high.
inline void ExpandEight(__m128i p, __m128i& low, __m128i& high) {
    const __m128i lowFive = _mm_set1_epi16(0x1F);
    const __m128i lowSix = _mm_set1_epi16(0x3F);
    const __m128i alpha = _mm_set1_epi16(static_cast<short>(0xFF00));
    __m128i r = _mm_srli_epi16(p, 11);
    __m128i g = _mm_and_si128(_mm_srli_epi16(p, 5), lowSix);
    __m128i b = _mm_and_si128(p, lowFive);
    r = _mm_or_si128(_mm_slli_epi16(r, 3), _mm_srli_epi16(r, 2));
    g = _mm_or_si128(_mm_slli_epi16(g, 2), _mm_srli_epi16(g, 4));
    b = _mm_or_si128(_mm_slli_epi16(b, 3), _mm_srli_epi16(b, 2));
    __m128i gb = _mm_or_si128(_mm_slli_epi16(g, 8), b);  // bytes: blue, green
    __m128i ar = _mm_or_si128(alpha, r);                 // bytes: red, alpha
    low = _mm_unpacklo_epi16(gb, ar);
    high = _mm_unpackhi_epi16(gb, ar);
}

inline __m128i Load(const std::uint16_t* pixels) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels));
}
#endif

#ifdef __SSE2__
inline void EightToXrgb(const std::uint16_t* source, std::uint32_t* target) {
    __m128i low, high;
    ExpandEight(Load(source), low, high);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(target), low);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(target + 4), high);
}
#endif

// Rows of 32-bit pixels that do not overlap; four or more are copied in blocks of four, the
// last overlapping the one before it.
void CopyXrgb(const std::uint32_t* source, std::uint32_t* target, std::int32_t count) {
#ifdef __SSE2__
    if (count >= 4) {
        const auto copy = [&](std::int32_t at) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(target + at),
                             _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + at)));
        };
        std::int32_t i = 0;
        for (; i + 4 < count; i += 4) copy(i);
        copy(count - 4);
        return;
    }
#endif
    for (std::int32_t i = 0; i < count; ++i) target[i] = source[i];
}

// A row of eight pixels or more ends with a block that overlaps the one before it rather
// than a pixel-by-pixel tail: a cell 12 pixels wide is a block and a half.
void RowToXrgb(const std::uint16_t* source, std::uint32_t* target, std::int32_t count) {
    std::int32_t i = 0;
#ifdef __SSE2__
    if (count >= 8) {
        for (; i + 8 < count; i += 8) EightToXrgb(source + i, target + i);
        EightToXrgb(source + count - 8, target + count - 8);
        return;
    }
#endif
    for (; i < count; ++i) target[i] = ExpandToXrgb(source[i]);
}

void Store(std::uint8_t* target, std::uint32_t value, std::uint32_t bytesPerPixel) {
    switch (bytesPerPixel) {
    case 4: std::memcpy(target, &value, 4); break;
    case 3:
        target[0] = static_cast<std::uint8_t>(value);
        target[1] = static_cast<std::uint8_t>(value >> 8);
        target[2] = static_cast<std::uint8_t>(value >> 16);
        break;
    case 2: {
        std::uint16_t low = static_cast<std::uint16_t>(value);
        std::memcpy(target, &low, 2);
        break;
    }
    default: *target = static_cast<std::uint8_t>(value); break;
    }
}

// Nearest neighbour: target index t takes source index t * source / target.
void BuildMap(std::vector<std::int32_t>& map, std::int32_t target, std::int32_t source) {
    map.resize(static_cast<std::size_t>(target));
    for (std::int32_t t = 0; t < target; ++t)
        map[static_cast<std::size_t>(t)] = static_cast<std::int32_t>(
            static_cast<std::int64_t>(t) * source / target);
}

// The inverse of a nearest-neighbour map: for each source index s (and one past the last), the
// first target index whose source is s or later.
void BuildFirsts(std::vector<std::int32_t>& firsts, const std::vector<std::int32_t>& map,
                 std::int32_t source) {
    firsts.assign(static_cast<std::size_t>(source) + 1, static_cast<std::int32_t>(map.size()));
    for (std::size_t t = map.size(); t-- > 0;) firsts[static_cast<std::size_t>(map[t])] =
        static_cast<std::int32_t>(t);
    for (std::int32_t s = source - 1; s >= 0; --s) {
        const auto at = static_cast<std::size_t>(s);
        if (firsts[at] > firsts[at + 1]) firsts[at] = firsts[at + 1];
    }
}

}  // namespace

Placement FitInside(std::int32_t sourceWidth, std::int32_t sourceHeight, std::int32_t targetWidth,
                    std::int32_t targetHeight) {
    const ScreenRect fitted =
        vorlix::FitInside(sourceWidth, sourceHeight, targetWidth, targetHeight);
    return Placement{fitted.left, fitted.top, fitted.right - fitted.left,
                     fitted.bottom - fitted.top};
}

std::uint32_t ConvertPixel(std::uint16_t pixel, const TargetLayout& layout) {
    const std::uint32_t xrgb = WidenPixel(pixel, Rgb565);
    return Place((xrgb >> 16) & 0xFF, layout.red) | Place((xrgb >> 8) & 0xFF, layout.green) |
           Place(xrgb & 0xFF, layout.blue);
}

void FrameConverter::ChoosePath(const TargetLayout& layout) {
    if (layout.bytesPerPixel == 4 && layout.red == 0x00FF0000 && layout.green == 0x0000FF00 &&
        layout.blue == 0x000000FF) {
        path_ = Path::Xrgb8888;
    } else if (layout.bytesPerPixel == 2 && layout.red == 0xF800 && layout.green == 0x07E0 &&
               layout.blue == 0x001F) {
        path_ = Path::Rgb565;
    } else {
        path_ = Path::Table;
    }
    table_.clear();
    if (path_ != Path::Table) return;
    table_.resize(65536);
    for (std::uint32_t value = 0; value < 65536; ++value)
        table_[value] = ConvertPixel(static_cast<std::uint16_t>(value), layout);
}

bool FrameConverter::Configure(std::int32_t sourceWidth, std::int32_t sourceHeight,
                               const TargetLayout& layout, const Placement& placement) {
    if (sourceWidth <= 0 || sourceHeight <= 0 || placement.width <= 0 || placement.height <= 0)
        return false;
    if (layout.bytesPerPixel < 1 || layout.bytesPerPixel > 4) return false;
    bool sameLayout = layout_.bytesPerPixel == layout.bytesPerPixel &&
                      layout_.red == layout.red && layout_.green == layout.green &&
                      layout_.blue == layout.blue;
    if (!sameLayout || (path_ == Path::Table && table_.empty())) ChoosePath(layout);
    layout_ = layout;
    placement_ = placement;
    sourceWidth_ = sourceWidth;
    sourceHeight_ = sourceHeight;
    scaled_ = placement.width != sourceWidth || placement.height != sourceHeight;
    BuildMap(columns_, placement.width, sourceWidth);
    BuildMap(rows_, placement.height, sourceHeight);
    BuildFirsts(firstColumns_, columns_, sourceWidth);
    BuildFirsts(firstRows_, rows_, sourceHeight);
    widened_.resize(static_cast<std::size_t>(sourceWidth));
    return true;
}

bool FrameConverter::Matches(std::int32_t sourceWidth, std::int32_t sourceHeight,
                             const TargetLayout& layout, const Placement& placement) const {
    return sourceWidth == sourceWidth_ && sourceHeight == sourceHeight_ &&
           layout.bytesPerPixel == layout_.bytesPerPixel && layout.red == layout_.red &&
           layout.green == layout_.green && layout.blue == layout_.blue &&
           placement.x == placement_.x && placement.y == placement_.y &&
           placement.width == placement_.width && placement.height == placement_.height;
}

void FrameConverter::ConvertRow(const std::uint16_t* source, std::uint8_t* target,
                                std::int32_t count) const {
    switch (path_) {
    case Path::Xrgb8888:
        RowToXrgb(source, reinterpret_cast<std::uint32_t*>(target), count);
        return;
    case Path::Rgb565:
        std::memcpy(target, source, static_cast<std::size_t>(count) * 2);
        return;
    case Path::Table:
        for (std::int32_t i = 0; i < count; ++i, target += layout_.bytesPerPixel)
            Store(target, table_[source[i]], layout_.bytesPerPixel);
        return;
    }
}

void FrameConverter::ConvertSpanScaled(const std::uint16_t* source, std::uint8_t* target,
                                       std::int32_t first, std::int32_t end) const {
    const std::int32_t* column = columns_.data();
    switch (path_) {
    case Path::Xrgb8888: {
        auto* out = reinterpret_cast<std::uint32_t*>(target);
        for (std::int32_t i = first; i < end; ++i) out[i] = ExpandToXrgb(source[column[i]]);
        return;
    }
    case Path::Rgb565: {
        auto* out = reinterpret_cast<std::uint16_t*>(target);
        for (std::int32_t i = first; i < end; ++i) out[i] = source[column[i]];
        return;
    }
    case Path::Table:
        target += static_cast<std::ptrdiff_t>(first) * layout_.bytesPerPixel;
        for (std::int32_t i = first; i < end; ++i, target += layout_.bytesPerPixel)
            Store(target, table_[source[column[i]]], layout_.bytesPerPixel);
        return;
    }
}

bool FrameConverter::ClipToSource(std::int32_t& left, std::int32_t& top, std::int32_t& right,
                                  std::int32_t& bottom) const {
    left = left < 0 ? 0 : left;
    top = top < 0 ? 0 : top;
    right = right > sourceWidth_ ? sourceWidth_ : right;
    bottom = bottom > sourceHeight_ ? sourceHeight_ : bottom;
    return right > left && bottom > top;
}

Placement FrameConverter::ConvertArea(const std::uint16_t* source, std::int32_t sourcePitch,
                                      std::uint8_t* target, std::int32_t targetPitch,
                                      std::int32_t left, std::int32_t top, std::int32_t right,
                                      std::int32_t bottom) {
    if (!ClipToSource(left, top, right, bottom)) return Placement{};
    const std::int32_t firstColumn = firstColumns_[static_cast<std::size_t>(left)];
    const std::int32_t endColumn = firstColumns_[static_cast<std::size_t>(right)];
    const std::int32_t firstRow = firstRows_[static_cast<std::size_t>(top)];
    const std::int32_t endRow = firstRows_[static_cast<std::size_t>(bottom)];
    if (endColumn <= firstColumn || endRow <= firstRow) return Placement{};
    const std::uint32_t bytes = layout_.bytesPerPixel;
    std::uint8_t* origin = target + static_cast<std::ptrdiff_t>(placement_.y) * targetPitch +
                           static_cast<std::ptrdiff_t>(placement_.x) * bytes;
    const bool widen = scaled_ && path_ == Path::Xrgb8888;
    std::int32_t widenedRow = -1;
    for (std::int32_t y = firstRow; y < endRow; ++y) {
        std::uint8_t* row = origin + static_cast<std::ptrdiff_t>(y) * targetPitch;
        const std::int32_t sourceRow = rows_[static_cast<std::size_t>(y)];
        const std::uint16_t* in = source + static_cast<std::ptrdiff_t>(sourceRow) * sourcePitch;
        if (widen) {
            auto* out = reinterpret_cast<std::uint32_t*>(row);
            // A repeated source row copies the row above, four pixels a step: picking pixel by
            // pixel again costs more.
            if (sourceRow == widenedRow) {
                const auto* above = reinterpret_cast<const std::uint32_t*>(row - targetPitch);
                CopyXrgb(above + firstColumn, out + firstColumn, endColumn - firstColumn);
                continue;
            }
            // Widen the source pixels once, eight at a time, then pick them per target pixel.
            RowToXrgb(in + left, widened_.data(), right - left);
            widenedRow = sourceRow;
            const std::uint32_t* picked = widened_.data() - left;
            for (std::int32_t i = firstColumn; i < endColumn; ++i) out[i] = picked[columns_[i]];
            continue;
        }
        if (y > firstRow && sourceRow == rows_[static_cast<std::size_t>(y) - 1]) {
            const std::ptrdiff_t at = static_cast<std::ptrdiff_t>(firstColumn) * bytes;
            std::memcpy(row + at, row - targetPitch + at,
                        static_cast<std::size_t>(endColumn - firstColumn) * bytes);
            continue;
        }
        if (scaled_) {
            ConvertSpanScaled(in, row, firstColumn, endColumn);
        } else {
            ConvertRow(in + firstColumn, row + static_cast<std::ptrdiff_t>(firstColumn) * bytes,
                       endColumn - firstColumn);
        }
    }
    return Placement{placement_.x + firstColumn, placement_.y + firstRow, endColumn - firstColumn,
                     endRow - firstRow};
}

void FrameConverter::FetchArea(const std::uint16_t* source, std::int32_t sourcePitch,
                               const std::uint8_t* target, std::int32_t targetPitch,
                               std::int32_t left, std::int32_t top, std::int32_t right,
                               std::int32_t bottom) const {
    if (!ClipToSource(left, top, right, bottom)) return;
    for (std::int32_t y = top; y < bottom; ++y) {
        const std::uint16_t* row = source + static_cast<std::ptrdiff_t>(y) * sourcePitch;
        __builtin_prefetch(row + left);
        __builtin_prefetch(row + right - 1);
    }
    const std::uint32_t bytes = layout_.bytesPerPixel;
    const std::uint8_t* origin = target + static_cast<std::ptrdiff_t>(placement_.y) * targetPitch +
                                 static_cast<std::ptrdiff_t>(placement_.x) * bytes;
    const std::ptrdiff_t first =
        static_cast<std::ptrdiff_t>(firstColumns_[static_cast<std::size_t>(left)]) * bytes;
    const std::ptrdiff_t last =
        static_cast<std::ptrdiff_t>(firstColumns_[static_cast<std::size_t>(right)]) * bytes - 1;
    if (last < first) return;
    const std::int32_t endRow = firstRows_[static_cast<std::size_t>(bottom)];
    for (std::int32_t y = firstRows_[static_cast<std::size_t>(top)]; y < endRow; ++y) {
        const std::uint8_t* row = origin + static_cast<std::ptrdiff_t>(y) * targetPitch;
        for (std::ptrdiff_t at = first & ~std::ptrdiff_t{63}; at <= last; at += 64)
            __builtin_prefetch(row + at, 1);
    }
}

void FrameConverter::Convert(const std::uint16_t* source, std::int32_t sourcePitch,
                             std::uint8_t* target, std::int32_t targetPitch) const {
    const std::size_t rowBytes =
        static_cast<std::size_t>(placement_.width) * layout_.bytesPerPixel;
    std::uint8_t* first = target + static_cast<std::ptrdiff_t>(placement_.y) * targetPitch +
                          static_cast<std::ptrdiff_t>(placement_.x) * layout_.bytesPerPixel;
    std::int32_t lastRow = -1;
    for (std::int32_t y = 0; y < placement_.height; ++y) {
        std::uint8_t* out = first + static_cast<std::ptrdiff_t>(y) * targetPitch;
        const std::int32_t sourceRow = rows_[static_cast<std::size_t>(y)];
        if (sourceRow == lastRow) {
            // A repeated source row: copy the row just made instead of converting again.
            std::memcpy(out, out - targetPitch, rowBytes);
            continue;
        }
        lastRow = sourceRow;
        const std::uint16_t* in = source + static_cast<std::ptrdiff_t>(sourceRow) * sourcePitch;
        if (scaled_) {
            ConvertRowScaled(in, out);
        } else {
            ConvertRow(in, out, placement_.width);
        }
    }
}

bool FrameConverter::ConvertUnscaled(const std::uint16_t* source, std::int32_t sourcePitch,
                                     std::int32_t sourceWidth, std::int32_t sourceHeight,
                                     std::uint8_t* target, std::int32_t targetPitch,
                                     std::int32_t targetWidth, std::int32_t targetHeight,
                                     std::int32_t x, std::int32_t y, Placement& covered) {
    if (table_.empty() && path_ == Path::Table) ChoosePath(layout_);
    std::int32_t left = x < 0 ? 0 : x;
    std::int32_t top = y < 0 ? 0 : y;
    std::int32_t right = x + sourceWidth < targetWidth ? x + sourceWidth : targetWidth;
    std::int32_t bottom = y + sourceHeight < targetHeight ? y + sourceHeight : targetHeight;
    if (right <= left || bottom <= top) return false;
    for (std::int32_t row = top; row < bottom; ++row) {
        const std::uint16_t* in =
            source + static_cast<std::ptrdiff_t>(row - y) * sourcePitch + (left - x);
        std::uint8_t* out = target + static_cast<std::ptrdiff_t>(row) * targetPitch +
                            static_cast<std::ptrdiff_t>(left) * layout_.bytesPerPixel;
        ConvertRow(in, out, right - left);
    }
    covered = Placement{left, top, right - left, bottom - top};
    return true;
}

void FrameConverter::FillBlack(std::uint8_t* target, std::int32_t targetPitch, std::int32_t width,
                               std::int32_t height, std::uint32_t bytesPerPixel) {
    for (std::int32_t row = 0; row < height; ++row)
        std::memset(target + static_cast<std::ptrdiff_t>(row) * targetPitch, 0,
                    static_cast<std::size_t>(width) * bytesPerPixel);
}

}  // namespace vorlix::sdl
