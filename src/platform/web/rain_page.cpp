#include "platform/web/rain_page.h"

#include <algorithm>
#include <new>

#include "diagnostics/debug_log.h"
#include "display/screen_plan.h"
#include "glyphs/blitters.h"
#include "glyphs/graphics_loader.h"
#include "rain/frame_drawing.h"

namespace vorlix::web {

namespace {

// The canvas takes any 16-bit layout through the conversion table: the headless display's
// and the recorder's, so both give the same pixels.
constexpr PixelFormat PageFormat = Rgb565;

constexpr auto AlwaysDraw = [] { return true; };

}  // namespace

RainPage::RainPage() { ActivePixelFormat = PageFormat; }

RainPage::~RainPage() { Clear(); }

void RainPage::Clear() {
    FreeRainGrid(grid_);
    record_.Free();
    picture_.reset();
}

bool RainPage::LoadGlyphs(const char* path, std::string& error) {
    // A fresh log in memory: the loader's reason is the only error it then holds.
    InitErrorMsg(true);
    GraphicsLoader loader;
    loader.SetPixelFormat(PageFormat);
    std::unique_ptr<Animation> loaded(loader.LoadAnimation(String(path), false));
    if (!loaded) {
        const String reason = LastErrorText();
        error = LastErrorLevel() >= LOG_ERROR ? reason.Text() : "not a glyph file";
        return false;
    }
    if (loaded->frameCount < BlankGlyph + 1 || loaded->width < 1 || loaded->height < 1) {
        error = "the file holds too few or empty glyphs";
        return false;
    }
    Clear();
    glyphs_ = std::move(loaded);
    if (plan_.width <= 0 || Build()) return true;
    error = "there is not enough memory for the picture";
    return false;
}

bool RainPage::Fit(std::int32_t deviceWidth, std::int32_t deviceHeight, std::int32_t dotsPerInch,
                   const RainChoices& choices) {
    Clear();
    choices_ = choices;
    plan_ = PlanWindow(deviceWidth, deviceHeight, dotsPerInch, choices.zoom);
    return Build();
}

bool RainPage::Build() {
    Clear();
    const std::int32_t width = plan_.width;
    const std::int32_t height = plan_.height;
    if (!glyphs_ || width <= 0 || height <= 0) return false;
    const std::size_t area = static_cast<std::size_t>(width) * height;
    picture_.reset(new (std::nothrow) std::uint16_t[area]);
    if (!picture_ || !frame_.Resize(width, height)) return Clear(), false;
    std::fill_n(picture_.get(), area, std::uint16_t{0});
    if (!BuildRainGrid(grid_, width, height, glyphs_->width, glyphs_->height, choices_.density,
                       choices_.highlight))
        return Clear(), false;
    ClipRect = ClipRectangle{0, 0, static_cast<std::uint16_t>(width),
                             static_cast<std::uint16_t>(height)};
    // Without the record every frame is drawn in full: the same pixels, more work.
    record_.Allocate(grid_.Columns * grid_.Rows);
    ++generation_;
    return true;
}

void RainPage::Step() {
    if (!Ready()) return;
    const SurfaceView view{picture_.get(), plan_.width, plan_.height, plan_.width};
    // One buffer, drawn into and shown: what a frame draws is what the canvas lacks.
    const FrameBuffers buffers = OneBuffer(generation_, true);
    const DrawnFrame drawn = DrawRainFrame(grid_, *glyphs_, view, &record_, buffers, AlwaysDraw);
    frame_.Convert(picture_.get(), plan_.width, PageFormat, drawn.ForPresent());
}

}  // namespace vorlix::web
