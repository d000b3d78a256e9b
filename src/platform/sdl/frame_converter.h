#pragma once
// Puts a 5-6-5 frame into a window surface of any RGB layout: converted through shifts (the
// common 32-bit and 16-bit layouts) or a 64K-entry table (any other), and, full screen,
// scaled to fit by nearest neighbour and centred with black bars. Tables are built when the
// geometry changes, so a frame allocates nothing.
#include <cstdint>
#include <vector>

namespace vorlix::sdl {

struct TargetLayout {
    std::uint32_t bytesPerPixel = 4;
    std::uint32_t red = 0x00FF0000;
    std::uint32_t green = 0x0000FF00;
    std::uint32_t blue = 0x000000FF;
};

struct Placement {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// The largest rectangle of the source's shape inside the target, centred: the display plan's
// rule, as a placement.
Placement FitInside(std::int32_t sourceWidth, std::int32_t sourceHeight, std::int32_t targetWidth,
                    std::int32_t targetHeight);

// One pixel, 5-6-5 to the layout, each channel widened by repeating its top bits.
std::uint32_t ConvertPixel(std::uint16_t pixel, const TargetLayout& layout);

class FrameConverter {
public:
    // Prepares for frames of source size into placement of a target with layout.
    bool Configure(std::int32_t sourceWidth, std::int32_t sourceHeight, const TargetLayout& layout,
                   const Placement& placement);
    bool Matches(std::int32_t sourceWidth, std::int32_t sourceHeight, const TargetLayout& layout,
                 const Placement& placement) const;
    const Placement& Where() const { return placement_; }

    // The whole source into the placement. Pitches: source in pixels, target in bytes.
    void Convert(const std::uint16_t* source, std::int32_t sourcePitch, std::uint8_t* target,
                 std::int32_t targetPitch) const;

    // Only the source's area (left, top, right, bottom; cut to the source) into its part of
    // the placement, scaled as the whole frame would be. Returns the target pixels written,
    // empty when none.
    Placement ConvertArea(const std::uint16_t* source, std::int32_t sourcePitch,
                          std::uint8_t* target, std::int32_t targetPitch, std::int32_t left,
                          std::int32_t top, std::int32_t right, std::int32_t bottom);

    // Asks the cache for the memory ConvertArea will read and write for this area, so that
    // converting one changed area can overlap the wait for the next one's.
    void FetchArea(const std::uint16_t* source, std::int32_t sourcePitch,
                   const std::uint8_t* target, std::int32_t targetPitch, std::int32_t left,
                   std::int32_t top, std::int32_t right, std::int32_t bottom) const;

    // The source rectangle at (x, y) of the target without scaling, cut to the target's size.
    // Returns false when nothing of it lies inside.
    bool ConvertUnscaled(const std::uint16_t* source, std::int32_t sourcePitch,
                         std::int32_t sourceWidth, std::int32_t sourceHeight, std::uint8_t* target,
                         std::int32_t targetPitch, std::int32_t targetWidth,
                         std::int32_t targetHeight, std::int32_t x, std::int32_t y,
                         Placement& covered);

    static void FillBlack(std::uint8_t* target, std::int32_t targetPitch, std::int32_t width,
                          std::int32_t height, std::uint32_t bytesPerPixel);

private:
    enum class Path { Xrgb8888, Rgb565, Table };
    void ConvertRow(const std::uint16_t* source, std::uint8_t* target, std::int32_t count) const;
    void ConvertRowScaled(const std::uint16_t* source, std::uint8_t* target) const {
        ConvertSpanScaled(source, target, 0, placement_.width);
    }
    // Target columns first ... end - 1 of a scaled row; target points at the row's start.
    void ConvertSpanScaled(const std::uint16_t* source, std::uint8_t* target, std::int32_t first,
                           std::int32_t end) const;
    void ChoosePath(const TargetLayout& layout);
    // Cuts an area to the source; false when nothing of it is left.
    bool ClipToSource(std::int32_t& left, std::int32_t& top, std::int32_t& right,
                      std::int32_t& bottom) const;

    Path path_ = Path::Xrgb8888;
    TargetLayout layout_;
    Placement placement_;
    std::int32_t sourceWidth_ = 0;
    std::int32_t sourceHeight_ = 0;
    bool scaled_ = false;
    std::vector<std::int32_t> columns_;  // source column of each target column
    std::vector<std::int32_t> rows_;     // source row of each target row
    std::vector<std::int32_t> firstColumns_;  // first target column of each source column
    std::vector<std::int32_t> firstRows_;     // first target row of each source row
    std::vector<std::uint32_t> table_;   // every 5-6-5 value in the target layout
    std::vector<std::uint32_t> widened_;  // one source row in XRGB, for scaled areas
};

}  // namespace vorlix::sdl
