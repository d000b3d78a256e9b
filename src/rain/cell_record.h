#pragma once
// What each cell shows in each back buffer, so a frame draws only the cells whose look
// changed in the buffer it draws into, and tells the present step what changed on the screen.
// Its memory is taken at set-up, and for the glyphs drawn out when a glyph set is first drawn
// incrementally; other frames allocate nothing.
#include <cstdint>
#include <memory>

#include "display/frame_buffers.h"
#include "glyphs/animation.h"
#include "glyphs/glyph_images.h"
#include "platform/display_device.h"

namespace vorlix {

constexpr std::uint16_t UnknownLook = 0xFFFF;

// The rows of a cell, top to bottom - 1, outside which a look is all black (pixel 0); none
// when top >= bottom.
struct InkRows {
    std::int32_t top;
    std::int32_t bottom;
};

class CellRecord {
  public:
    static constexpr int Buffers = 2;

    // For a grid of this many cells; false leaves the record empty, which means full redraws.
    bool Allocate(std::int32_t cells);
    void Free();
    void ForgetAll();
    // Every frame drawn in full, for comparison; chosen at set-up.
    void SetFullRedraw(bool full) { fullRedraw_ = full; }
    bool FullRedraw() const { return fullRedraw_; }

    // Before a frame: true when it may draw only what changed, with the looks of the buffers
    // checked against what the record knew of them; false when it must draw every cell. A
    // buffer whose token moved since the record last saw it is forgotten.
    bool Track(std::int32_t cells, const Animation& glyphs, const FrameBuffers& buffers);
    std::uint16_t* Looks(int buffer) { return looks_[buffer].get(); }
    std::uint16_t* FrameLooks() { return frame_.get(); }  // the frame being drawn
    // One bit per cell each: the cells a frame has to draw after its passes, and those it has
    // to report as changed on the screen.
    std::uint64_t* ToDraw() { return toDraw_.get(); }
    std::uint64_t* ToShow() { return toShow_.get(); }
    platform::ChangedArea& Changes() { return *changes_; }
    // The glyphs drawn out at every level in the active 16-bit layout, for cells drawn into a
    // 16-bit buffer; null where they cannot be (an LLE set, no memory) or every frame is
    // drawn in full, which the blitters do.
    const NarrowGlyphs* Images(const Animation& glyphs) {
        if (fullRedraw_ || !images_.Build(glyphs, ActivePixelFormat)) return nullptr;
        return &images_;
    }

    // The rows that may differ between two looks of the glyphs last tracked: all of them
    // where either look is unknown, none where both are all black. Raw glyphs only; an LLE
    // frame leaves its transparent runs as they were, so its cells are always drawn whole.
    // An all black look is kept as the rows from the bottom to the top, so that joining it
    // to another needs no branch: which looks are blank follows no pattern.
    InkRows RowsBetween(std::uint16_t a, std::uint16_t b) const {
        const InkRows inkA = InkOf(a);
        const InkRows inkB = InkOf(b);
        return {inkA.top < inkB.top ? inkA.top : inkB.top,
                inkA.bottom > inkB.bottom ? inkA.bottom : inkB.bottom};
    }

  private:
    static constexpr int Frames = 256;  // every frame a look key can name
    void Meet(const BufferToken& token);
    void MeasureInk(const Animation& glyphs);
    InkRows InkOf(std::uint16_t key) const {
        const std::uint32_t frame = key >> 2;
        return frame < Frames ? ink_[frame] : InkRows{0, cellHeight_};
    }

    std::unique_ptr<std::uint16_t[]> looks_[Buffers];
    std::unique_ptr<std::uint16_t[]> frame_;
    std::unique_ptr<std::uint64_t[]> toDraw_;
    std::unique_ptr<std::uint64_t[]> toShow_;
    std::unique_ptr<platform::ChangedArea> changes_;
    NarrowGlyphs images_;
    std::int32_t cells_ = 0;
    bool fullRedraw_ = false;
    BufferToken known_[Buffers];
    const Animation* glyphs_ = nullptr;
    InkRows ink_[Frames] = {};
    std::int32_t cellHeight_ = 0;
};

}  // namespace vorlix
