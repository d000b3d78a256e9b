#pragma once
// Shared pieces of the fuzz harnesses: a per-process scratch file for the input, and draws
// that push whatever was loaded through the blitters on a small surface.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "glyphs/animation.h"
#include "glyphs/blitters.h"

namespace vorlix::fuzz {

constexpr std::int32_t SurfaceWidth = 64;
constexpr std::int32_t SurfaceHeight = 48;

inline std::string ScratchPath(const char* name, const char* extension) {
    const char* directory = std::getenv("TMPDIR");
    std::string path = directory != nullptr && *directory != 0 ? directory : "/tmp";
    path += "/vorlix_fuzz_" + std::to_string(getpid()) + "_" + name + extension;
    return path;
}

// A scratch path that is removed again when the process ends, so replays leave nothing behind.
class ScratchFile {
public:
    ScratchFile(const char* name, const char* extension) : path_(ScratchPath(name, extension)) {}
    ~ScratchFile() { std::remove(path_.c_str()); }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

inline bool WriteWhole(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

// Positions that give the unclipped form and every edge and corner of the clipped one.
inline std::vector<std::pair<std::int32_t, std::int32_t>> Positions(std::int32_t w,
                                                                    std::int32_t h) {
    return {{0, 0},  {5, 7},  {-3, -2}, {SurfaceWidth - w, SurfaceHeight - h},
            {SurfaceWidth - 2, 10}, {10, SurfaceHeight - 1}, {-w + 1, -h + 1},
            {SurfaceWidth - 1, SurfaceHeight - 1}};
}

class Surface {
public:
    Surface() : pixels_(SurfaceWidth * SurfaceHeight, 0x1234) {
        ClipRect = {0, 0, SurfaceWidth, SurfaceHeight};
    }
    SurfaceView View() { return {pixels_.data(), SurfaceWidth, SurfaceHeight, SurfaceWidth}; }
    const std::vector<std::uint16_t>& Pixels() const { return pixels_; }

private:
    std::vector<std::uint16_t> pixels_;
};

inline void DrawEveryFrame(Animation& animation) {
    Surface surface;
    for (std::int32_t frame = 0; frame < animation.frameCount; ++frame) {
        for (auto [x, y] : Positions(animation.width, animation.height)) {
            DrawGlyph(animation, surface.View(), x, y, frame);
            DrawGlyphDimmed(animation, surface.View(), x, y, frame, 1 + frame % 3);
            DrawGlyphBlended(animation, surface.View(), x, y, frame, 1 + frame % 3);
        }
    }
}

inline void DrawEverywhere(const Picture& picture) {
    Surface surface;
    for (auto [x, y] : Positions(picture.width, picture.height)) {
        DrawPicture(picture, surface.View(), x, y);
    }
}

}  // namespace vorlix::fuzz
