// The page's entry: what its script calls. One page, one rain; the script owns the canvas,
// the clock and the events, this side everything the rain is made of.
#include <emscripten.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "page_options.h"
#include "platform/web/rain_page.h"
#include "rain/random.h"

namespace vorlix::web {
namespace {

// Where the build puts the default glyph set inside the page, and where a dropped file goes.
constexpr char DefaultGlyphs[] = "/vorlix/glyph2.ani";
constexpr char DroppedGlyphs[] = "/tmp/dropped.ani";
constexpr std::int32_t MaxGlyphFileBytes = 16 * 1024 * 1024;

struct Page {
    PageOptions options;
    std::string problems;  // one line each
    std::string error;
    RainPage rain;
    std::unique_ptr<std::uint8_t[]> dropped;
    std::int32_t bandCount = 0;
    const std::int32_t* bands = nullptr;
};

Page& ThePage() {
    static Page page;
    return page;
}

bool WriteFile(const char* path, const std::uint8_t* bytes, std::int32_t size) {
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(bytes, 1, static_cast<std::size_t>(size), file) ==
                         static_cast<std::size_t>(size);
    return std::fclose(file) == 0 && written;
}

}  // namespace
}  // namespace vorlix::web

using vorlix::web::ThePage;

extern "C" {

// Reads the query, seeds the generator and loads the default glyphs. The problems with the
// query are in vorlix_problems; 0 when the rain cannot run, with the reason in vorlix_error.
EMSCRIPTEN_KEEPALIVE int vorlix_start(const char* query, std::uint32_t randomSeed) {
    auto& page = ThePage();
    page.options = vorlix::web::ParsePageQuery(query != nullptr ? query : "");
    page.problems.clear();
    for (const std::string& line : page.options.problems) page.problems += line + "\n";
    vorlix::SeedRandom(page.options.seedGiven ? page.options.seed : randomSeed);
    std::string reason;
    if (!page.rain.LoadGlyphs(vorlix::web::DefaultGlyphs, reason)) {
        page.error = "The glyphs inside the page cannot be loaded: " + reason;
        return 0;
    }
    return 1;
}

EMSCRIPTEN_KEEPALIVE const char* vorlix_problems() { return ThePage().problems.c_str(); }
EMSCRIPTEN_KEEPALIVE const char* vorlix_error() { return ThePage().error.c_str(); }

// 0 frames, 1 still, 2 saver, 3 fixed width, 4 fixed height (0: the window's).
EMSCRIPTEN_KEEPALIVE std::int32_t vorlix_option(std::int32_t which) {
    const auto& options = ThePage().options;
    switch (which) {
    case 0: return options.frames;
    case 1: return options.still ? 1 : 0;
    case 2: return options.saver ? 1 : 0;
    case 3: return options.width;
    case 4: return options.height;
    default: return 0;
    }
}

// A new picture for a canvas of that many device pixels; 0 when it cannot be made.
EMSCRIPTEN_KEEPALIVE int vorlix_fit(std::int32_t width, std::int32_t height,
                                    std::int32_t dotsPerInch) {
    auto& page = ThePage();
    if (page.rain.Fit(width, height, dotsPerInch, page.options.rain)) return 1;
    page.error = "There is not enough memory for a picture of " + std::to_string(width) + "x" +
                 std::to_string(height) + ".";
    return 0;
}

// 0 width, 1 height, 2 zoom, 3 left, 4 top: the picture, and where it shows in device pixels.
EMSCRIPTEN_KEEPALIVE std::int32_t vorlix_picture(std::int32_t which) {
    auto& page = ThePage();
    const vorlix::PlannedScreen& placed = page.rain.Placement();
    switch (which) {
    case 0: return page.rain.Frame().Width();
    case 1: return page.rain.Frame().Height();
    case 2: return placed.zoom;
    case 3: return placed.target.left;
    case 4: return placed.target.top;
    default: return 0;
    }
}

EMSCRIPTEN_KEEPALIVE void vorlix_step() { ThePage().rain.Step(); }

EMSCRIPTEN_KEEPALIVE const std::uint32_t* vorlix_pixels() {
    return ThePage().rain.Frame().Pixels();
}

// The rectangles changed since the last call, as left, top, right, bottom each.
EMSCRIPTEN_KEEPALIVE std::int32_t vorlix_take_bands() {
    auto& page = ThePage();
    page.bands = page.rain.Frame().TakeBands(page.bandCount);
    return page.bandCount;
}
EMSCRIPTEN_KEEPALIVE const std::int32_t* vorlix_bands() { return ThePage().bands; }

// Room for a dropped file's bytes, or null when it is too large.
EMSCRIPTEN_KEEPALIVE std::uint8_t* vorlix_glyph_buffer(std::int32_t size) {
    auto& page = ThePage();
    page.dropped.reset();
    if (size <= 0 || size > vorlix::web::MaxGlyphFileBytes) return nullptr;
    page.dropped.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(size)]);
    return page.dropped.get();
}

// Loads the dropped bytes through the saver's loader; 0 keeps the old set, with the loader's
// reason in vorlix_error.
EMSCRIPTEN_KEEPALIVE int vorlix_load_glyph_buffer(std::int32_t size) {
    auto& page = ThePage();
    std::string reason;
    const bool stored = page.dropped != nullptr &&
                        vorlix::web::WriteFile(vorlix::web::DroppedGlyphs, page.dropped.get(), size);
    page.dropped.reset();
    if (!stored) {
        page.error = "the file could not be stored";
        return 0;
    }
    const bool loaded = page.rain.LoadGlyphs(vorlix::web::DroppedGlyphs, reason);
    std::remove(vorlix::web::DroppedGlyphs);
    if (!loaded) {
        page.error = reason;
        return 0;
    }
    return 1;
}

}  // extern "C"

int main() { return 0; }
