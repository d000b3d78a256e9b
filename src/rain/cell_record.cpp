#include "rain/cell_record.h"

#include <algorithm>
#include <new>

#include "rain/look_scan.h"

namespace vorlix {

namespace {

bool RowHasInk(const std::uint16_t* row, std::int32_t width) {
    for (std::int32_t x = 0; x < width; ++x)
        if (row[x] != 0) return true;
    return false;
}

}  // namespace

void CellRecord::MeasureInk(const Animation& glyphs) {
    cellHeight_ = glyphs.height > 0 ? glyphs.height : 0;
    const InkRows whole{0, cellHeight_};
    for (int frame = 0; frame < Frames; ++frame) {
        ink_[frame] = whole;
        // A frame that is not there draws nothing, so the buffer keeps what it had.
        if (glyphs.compressed != 0 || glyphs.width <= 0 || frame >= glyphs.frameCount ||
            frame >= MaxAnimationFrames || glyphs.frames[frame] == nullptr)
            continue;
        const std::uint16_t* words = glyphs.frames[frame];
        InkRows ink{cellHeight_, 0};
        for (std::int32_t row = 0; row < cellHeight_; ++row) {
            if (!RowHasInk(words + static_cast<std::ptrdiff_t>(row) * glyphs.width, glyphs.width))
                continue;
            if (ink.top > row) ink.top = row;
            ink.bottom = row + 1;
        }
        ink_[frame] = ink;
    }
}

bool CellRecord::Allocate(std::int32_t cells) {
    Free();
    if (cells <= 0) return false;
    for (auto& looks : looks_) {
        looks.reset(new (std::nothrow) std::uint16_t[static_cast<std::size_t>(cells)]);
        if (!looks) return Free(), false;
    }
    frame_.reset(new (std::nothrow) std::uint16_t[static_cast<std::size_t>(cells)]);
    const auto words = static_cast<std::size_t>(BitWordsFor(cells));
    toDraw_.reset(new (std::nothrow) std::uint64_t[words]);
    toShow_.reset(new (std::nothrow) std::uint64_t[words]);
    changes_.reset(new (std::nothrow) platform::ChangedArea);
    if (!frame_ || !toDraw_ || !toShow_ || !changes_) return Free(), false;
    cells_ = cells;
    ForgetAll();
    return true;
}

void CellRecord::Free() {
    for (auto& looks : looks_) looks.reset();
    frame_.reset();
    toDraw_.reset();
    toShow_.reset();
    changes_.reset();
    images_.Clear();
    cells_ = 0;
    glyphs_ = nullptr;
}

void CellRecord::ForgetAll() {
    for (auto& looks : looks_) {
        if (looks) std::fill_n(looks.get(), cells_, UnknownLook);
    }
    for (auto& token : known_) token = BufferToken{};
}

// A buffer met under another token than last time holds pixels the record never saw.
void CellRecord::Meet(const BufferToken& token) {
    if (known_[token.buffer] == token) return;
    std::fill_n(looks_[token.buffer].get(), cells_, UnknownLook);
    known_[token.buffer] = token;
}

bool CellRecord::Track(std::int32_t cells, const Animation& glyphs, const FrameBuffers& buffers) {
    const auto inRange = [](const BufferToken& token) {
        return token.Known() && token.buffer < Buffers;
    };
    if (cells_ == 0 || cells != cells_ || fullRedraw_ || !inRange(buffers.drawn) ||
        !inRange(buffers.shown)) {
        ForgetAll();
        return false;
    }
    // The looks are keys into a glyph set: another set makes them all meaningless.
    if (&glyphs != glyphs_) {
        ForgetAll();
        glyphs_ = &glyphs;
        MeasureInk(glyphs);
    }
    Meet(buffers.drawn);
    Meet(buffers.shown);
    changes_->whole = false;
    changes_->count = 0;
    return true;
}

}  // namespace vorlix
