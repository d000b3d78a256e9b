#pragma once
// What a frame knows of the buffers it draws into and shows.
#include <cstdint>

namespace vorlix {

// One back buffer's identity. The generation moves after anything but the frame drawing
// writes the buffer (a fill, a restore, the desktop shown) and whenever a frame draws into
// other memory for it than the frame before; a frame drawn under the same token finds the
// pixels it left. buffer is -1 where the display cannot say that a buffer keeps its pixels.
struct BufferToken {
    int buffer = -1;
    std::uint32_t generation = 0;

    bool Known() const { return buffer >= 0; }
    friend bool operator==(const BufferToken&, const BufferToken&) = default;
};

// The buffer a frame is drawn into and the one whose frame is on the screen (the same one for
// a single buffer). changes: whether the present step uses what changed on the screen; a flip
// that shows a whole buffer does not.
struct FrameBuffers {
    BufferToken drawn;
    BufferToken shown;
    bool changes = true;
};

// A single buffer, drawn into and shown, whose memory only its owner renews.
constexpr FrameBuffers OneBuffer(std::uint32_t generation, bool changes) {
    return {{0, generation}, {0, generation}, changes};
}

}  // namespace vorlix
