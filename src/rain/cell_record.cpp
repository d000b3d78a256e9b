#include "rain/cell_record.h"

#include <algorithm>
#include <new>

namespace vorlix {

namespace {

bool SameView(const SurfaceView& a, const SurfaceView& b) {
    return a.pixels == b.pixels && a.width == b.width && a.height == b.height &&
           a.pitch == b.pitch;
}

}  // namespace

bool CellRecord::Allocate(std::int32_t cells) {
    Free();
    if (cells <= 0) return false;
    for (auto& looks : looks_) {
        looks.reset(new (std::nothrow) std::uint16_t[static_cast<std::size_t>(cells)]);
        if (!looks) return Free(), false;
    }
    frame_.reset(new (std::nothrow) std::uint16_t[static_cast<std::size_t>(cells)]);
    toDraw_.reset(new (std::nothrow) std::int32_t[static_cast<std::size_t>(cells)]);
    toShow_.reset(new (std::nothrow) std::int32_t[static_cast<std::size_t>(cells)]);
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
    cells_ = 0;
    glyphs_ = nullptr;
}

void CellRecord::ForgetAll() {
    for (auto& looks : looks_) {
        if (looks) std::fill_n(looks.get(), cells_, UnknownLook);
    }
    for (auto& view : views_) view = SurfaceView{};
}

bool CellRecord::Track(std::int32_t cells, const Animation& glyphs, const SurfaceView& view,
                       const FrameBuffers& buffers) {
    const bool known = buffers.drawn >= 0 && buffers.drawn < Buffers && buffers.shown >= 0 &&
                       buffers.shown < Buffers;
    if (cells_ == 0 || cells != cells_ || fullRedraw_ || !known) {
        ForgetAll();
        return false;
    }
    if (buffers.epoch != epoch_ || &glyphs != glyphs_) {
        ForgetAll();
        epoch_ = buffers.epoch;
        glyphs_ = &glyphs;
    }
    if (!SameView(views_[buffers.drawn], view)) {
        if (views_[buffers.drawn].pixels != nullptr) ForgetAll();
        views_[buffers.drawn] = view;
    }
    changes_->whole = false;
    changes_->count = 0;
    return true;
}

}  // namespace vorlix
