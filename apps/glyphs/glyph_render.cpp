#include "glyph_render.h"

#include <algorithm>

namespace vorlix::glyphtool {

// Highlighted glyphs are nearly white with a green cast; normal ones a clear green.
const Rendering HighlightRendering{{72, 200, 96}, {224, 255, 232}};
const Rendering NormalRendering{{0, 88, 24}, {40, 216, 72}};

namespace {

// Halo strength, in 256ths of the neighbour's ink: side neighbours glow more than corners.
constexpr int SideGlow = 72;
constexpr int CornerGlow = 40;

std::uint8_t Lerp(std::uint8_t from, std::uint8_t to, int step, int steps) {
    const int value = from + ((to - from) * step + (to >= from ? steps / 2 : -steps / 2)) / steps;
    return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

void AppendFrame(GlyphFile& file, const std::vector<std::uint8_t>& intensity,
                 const Rendering* rendering) {
    GlyphFrame frame;
    frame.bgr.reserve(intensity.size() * 3);
    for (std::uint8_t level : intensity) {
        const Rgb c = rendering ? RampColour(*rendering, level) : Rgb{0, 0, 0};
        frame.bgr.push_back(c.b);
        frame.bgr.push_back(c.g);
        frame.bgr.push_back(c.r);
    }
    file.frames.push_back(std::move(frame));
}

}  // namespace

Rgb RampColour(const Rendering& rendering, std::uint8_t intensity) {
    const Rgb& e = rendering.edge;
    const Rgb& c = rendering.core;
    if (intensity <= 128)
        return {Lerp(0, e.r, intensity, 128), Lerp(0, e.g, intensity, 128),
                Lerp(0, e.b, intensity, 128)};
    const int step = intensity - 128;
    return {Lerp(e.r, c.r, step, 127), Lerp(e.g, c.g, step, 127), Lerp(e.b, c.b, step, 127)};
}

std::vector<std::uint8_t> GlowIntensity(const GlyphShape& shape, int width, int height) {
    std::vector<std::uint8_t> out(shape.ink);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            int best = shape.ink[static_cast<std::size_t>(y) * width + x];
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if ((dx == 0 && dy == 0) || nx < 0 || ny < 0 || nx >= width || ny >= height)
                        continue;
                    const int weight = (dx == 0 || dy == 0) ? SideGlow : CornerGlow;
                    const int ink = shape.ink[static_cast<std::size_t>(ny) * width + nx];
                    best = std::max(best, ink * weight / 256);
                }
            }
            out[static_cast<std::size_t>(y) * width + x] = static_cast<std::uint8_t>(best);
        }
    }
    return out;
}

bool RenderGlyphSet(const GlyphArt& art, GlyphFile& file, std::string& error) {
    if (static_cast<int>(art.shapes.size()) != GlyphShapeCount) {
        error = "the art holds " + std::to_string(art.shapes.size()) + " glyphs, expected " +
                std::to_string(GlyphShapeCount);
        return false;
    }
    if (!CheckGlyphGeometry(art.width, art.height, GlyphSetFrames, error)) return false;
    GlyphFile out;
    out.width = static_cast<std::uint16_t>(art.width);
    out.height = static_cast<std::uint16_t>(art.height);
    std::vector<std::vector<std::uint8_t>> glow;
    for (const GlyphShape& shape : art.shapes)
        glow.push_back(GlowIntensity(shape, art.width, art.height));
    for (const auto& g : glow) AppendFrame(out, g, &HighlightRendering);
    for (const auto& g : glow) AppendFrame(out, g, &NormalRendering);
    AppendFrame(out, std::vector<std::uint8_t>(out.FramePixels(), 0), nullptr);
    file = std::move(out);
    return true;
}

}  // namespace vorlix::glyphtool
