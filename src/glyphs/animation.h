#pragma once
// The in-memory glyph set and single pictures: frames of 16-bit pixels already in the
// display's layout, each raw or run-length ("LLE") encoded, with optional byte maps.
#include <cstdint>

namespace vorlix {

constexpr int MaxAnimationFrames = 100;

struct Animation {
    Animation() = default;
    Animation(std::int32_t width, std::int32_t height, std::int32_t frameCount,
              std::uint32_t compressed);
    ~Animation();
    Animation(const Animation&) = delete;
    Animation& operator=(const Animation&) = delete;

    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t frameCount = 0;
    std::uint32_t compressed = 0;
    std::uint8_t hasMaps = 0;
    std::int32_t currentFrame = 0;
    std::uint16_t* frames[MaxAnimationFrames] = {};
    std::uint8_t* maps[MaxAnimationFrames] = {};
};

struct Picture {
    Picture(std::int32_t width, std::int32_t height, std::uint32_t compressed,
            std::uint16_t* pixels);
    ~Picture();
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint32_t compressed = 0;
    std::uint8_t hasMap = 0;
    std::uint8_t* map = nullptr;
    std::uint16_t* pixels = nullptr;
};

}  // namespace vorlix
