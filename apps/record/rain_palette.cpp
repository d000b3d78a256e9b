#include "rain_palette.h"

#include <algorithm>
#include <map>

#include "glyphs/blitters.h"

namespace vorlix::record {

namespace {

struct Colour {
    std::uint8_t rgb[3];
    std::uint64_t weight;
};

struct Box {
    std::vector<Colour> colours;
    int WidestChannel(int& range) const {
        int best = 0;
        range = -1;
        for (int channel = 0; channel < 3; ++channel) {
            int low = 255;
            int high = 0;
            for (const Colour& c : colours) {
                low = std::min<int>(low, c.rgb[channel]);
                high = std::max<int>(high, c.rgb[channel]);
            }
            if (high - low > range) {
                range = high - low;
                best = channel;
            }
        }
        return best;
    }
    std::uint64_t Weight() const {
        std::uint64_t total = 0;
        for (const Colour& c : colours) total += c.weight;
        return total;
    }
};

// Every pixel the glyphs can put on the screen, with how often it occurs: each glyph drawn by
// the blitters themselves at full brightness and at the three dim levels.
std::map<std::uint16_t, std::uint64_t> GlyphColours(Animation& glyphs) {
    std::map<std::uint16_t, std::uint64_t> counts;
    counts[0] += 1;  // the cleared buffer
    const std::int32_t pixels = glyphs.width * glyphs.height;
    std::vector<std::uint16_t> scratch(static_cast<std::size_t>(pixels));
    const SurfaceView view{scratch.data(), glyphs.width, glyphs.height, glyphs.width};
    const ClipRectangle saved = ClipRect;
    ClipRect = ClipRectangle{0, 0, static_cast<std::uint16_t>(glyphs.width),
                             static_cast<std::uint16_t>(glyphs.height)};
    for (int frame = 0; frame < glyphs.frameCount && frame < MaxAnimationFrames; ++frame) {
        for (int level = 0; level <= 3; ++level) {
            std::fill(scratch.begin(), scratch.end(), 0);
            if (level == 0) {
                DrawGlyph(glyphs, view, 0, 0, frame);
            } else {
                DrawGlyphDimmed(glyphs, view, 0, 0, frame, level);
            }
            for (std::uint16_t pixel : scratch) counts[pixel] += 8 >> level;
        }
    }
    ClipRect = saved;
    return counts;
}

// Splits the heaviest box that can still be split at the weighted median of its widest channel.
std::vector<Box> MedianCut(std::vector<Colour> colours) {
    std::vector<Box> boxes(1);
    boxes[0].colours = std::move(colours);
    while (static_cast<int>(boxes.size()) < PaletteColours) {
        int chosen = -1;
        std::uint64_t heaviest = 0;
        for (int b = 0; b < static_cast<int>(boxes.size()); ++b) {
            int range = 0;
            boxes[b].WidestChannel(range);
            const std::uint64_t score = boxes[b].Weight() * static_cast<std::uint64_t>(range);
            if (boxes[b].colours.size() > 1 && score >= heaviest) {
                heaviest = score;
                chosen = b;
            }
        }
        if (chosen < 0) break;
        int range = 0;
        const int channel = boxes[chosen].WidestChannel(range);
        std::vector<Colour>& all = boxes[chosen].colours;
        std::sort(all.begin(), all.end(), [channel](const Colour& a, const Colour& b) {
            return a.rgb[channel] < b.rgb[channel];
        });
        const std::uint64_t half = boxes[chosen].Weight() / 2;
        std::uint64_t running = 0;
        std::size_t split = 1;
        for (; split < all.size() - 1; ++split) {
            running += all[split - 1].weight;
            if (running >= half) break;
        }
        Box upper;
        upper.colours.assign(all.begin() + static_cast<std::ptrdiff_t>(split), all.end());
        all.resize(split);
        boxes.push_back(std::move(upper));
    }
    return boxes;
}

void Average(const Box& box, std::uint8_t* rgb) {
    std::uint64_t sums[3] = {};
    std::uint64_t total = 0;
    for (const Colour& c : box.colours) {
        for (int channel = 0; channel < 3; ++channel) sums[channel] += c.rgb[channel] * c.weight;
        total += c.weight;
    }
    for (int channel = 0; channel < 3; ++channel) {
        rgb[channel] =
            static_cast<std::uint8_t>(total == 0 ? 0 : (sums[channel] + total / 2) / total);
    }
}

std::uint8_t Nearest(const RainPalette& palette, const std::uint8_t* rgb) {
    int best = 0;
    int bestDistance = 1 << 30;
    for (int i = 0; i < palette.used; ++i) {
        int distance = 0;
        for (int channel = 0; channel < 3; ++channel) {
            const int d = rgb[channel] - palette.rgb[i * 3 + channel];
            distance += d * d;
        }
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return static_cast<std::uint8_t>(best);
}

}  // namespace

void PixelToRgb(std::uint16_t pixel, PixelFormat format, std::uint8_t* rgb) {
    const bool wideGreen = format == Rgb565;
    const int red = (pixel >> (wideGreen ? 11 : 10)) & 0x1F;
    const int green = (pixel >> 5) & (wideGreen ? 0x3F : 0x1F);
    const int blue = pixel & 0x1F;
    rgb[0] = static_cast<std::uint8_t>((red << 3) | (red >> 2));
    rgb[1] = static_cast<std::uint8_t>(wideGreen ? (green << 2) | (green >> 4)
                                                 : (green << 3) | (green >> 2));
    rgb[2] = static_cast<std::uint8_t>((blue << 3) | (blue >> 2));
}

RainPalette BuildRainPalette(Animation& glyphs, PixelFormat format) {
    std::vector<Colour> colours;
    for (const auto& [pixel, weight] : GlyphColours(glyphs)) {
        Colour colour{};
        PixelToRgb(pixel, format, colour.rgb);
        colour.weight = weight;
        colours.push_back(colour);
    }
    RainPalette palette;
    palette.exact = colours.size() <= static_cast<std::size_t>(PaletteColours);
    for (const Box& box : MedianCut(std::move(colours))) {
        Average(box, &palette.rgb[palette.used * 3]);
        ++palette.used;
    }
    palette.lookup.resize(65536);
    std::uint8_t rgb[3];
    for (std::uint32_t pixel = 0; pixel < 65536; ++pixel) {
        PixelToRgb(static_cast<std::uint16_t>(pixel), format, rgb);
        palette.lookup[pixel] = Nearest(palette, rgb);
    }
    return palette;
}

}  // namespace vorlix::record
