#include "glyphs/animation.h"

namespace vorlix {

Animation::Animation(std::int32_t width, std::int32_t height, std::int32_t frameCount,
                     std::uint32_t compressed)
    : width(width), height(height), frameCount(frameCount), compressed(compressed) {}

Animation::~Animation() {
    // Every slot is examined: a load that failed midway leaves only some of them filled.
    for (int i = 0; i < MaxAnimationFrames; ++i) {
        delete[] frames[i];
        delete[] maps[i];
    }
}

Picture::Picture(std::int32_t width, std::int32_t height, std::uint32_t compressed,
                 std::uint16_t* pixels)
    : width(width), height(height), compressed(compressed), pixels(pixels) {}

Picture::~Picture() {
    delete[] pixels;
    delete[] map;
}

}  // namespace vorlix
