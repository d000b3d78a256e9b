#include <cstring>
#include <memory>
#include <new>

#include "glyphs/graphics_loader.h"

namespace vorlix {

namespace {

std::int32_t SkipWhile(const std::uint16_t* row, std::int32_t from, std::int32_t width,
                       std::uint16_t key, bool transparent) {
    while (from < width && (row[from] == key) == transparent) ++from;
    return from;
}

// Encodes one row at out and returns the number of words written: 0 for a row with no opaque
// pixel, 1 and the row for a row opaque throughout, else the run count + 1 and the runs.
std::size_t EncodeRow(const std::uint16_t* row, std::int32_t width, std::uint16_t key,
                      std::uint16_t* out) {
    std::size_t written = 1;
    std::uint16_t runs = 0;
    std::int32_t previousEnd = 0;
    for (std::int32_t column = 0;;) {
        const std::int32_t start = SkipWhile(row, column, width, key, true);
        if (start == width) break;
        const std::int32_t end = SkipWhile(row, start, width, key, false);
        if (start == 0 && end == width) {
            out[0] = 1;
            std::memcpy(out + 1, row, sizeof(std::uint16_t) * static_cast<std::size_t>(width));
            return 1 + static_cast<std::size_t>(width);
        }
        out[written++] = static_cast<std::uint16_t>(start - previousEnd);
        out[written++] = static_cast<std::uint16_t>(end - start);
        const auto count = static_cast<std::size_t>(end - start);
        std::memcpy(out + written, row + start, sizeof(std::uint16_t) * count);
        written += count;
        ++runs;
        previousEnd = column = end;
    }
    out[0] = runs == 0 ? 0 : static_cast<std::uint16_t>(runs + 1);
    return runs == 0 ? 1 : written;
}

}  // namespace

std::uint16_t* GraphicsLoader::EncodeFrame(const std::uint16_t* source, std::int32_t width,
                                           std::int32_t height) {
    if (width < 0 || height < 0) return nullptr;
    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    // 8 bytes per source pixel is more than any row needs; the extra word per row covers
    // rows of width 0.
    const std::size_t capacity = 4 * pixels + static_cast<std::size_t>(height);
    std::unique_ptr<std::uint16_t[]> work(new (std::nothrow) std::uint16_t[capacity]);
    if (!work) return nullptr;
    std::size_t length = 0;
    for (std::int32_t r = 0; r < height; ++r) {
        length += EncodeRow(source + static_cast<std::size_t>(r) * width, width, ColorKey,
                            work.get() + length);
    }
    auto* exact = new (std::nothrow) std::uint16_t[length];
    if (exact == nullptr) return nullptr;
    std::memcpy(exact, work.get(), sizeof(std::uint16_t) * length);
    return exact;
}

}  // namespace vorlix
