// vorlix-record: runs the saver's own draw thread and display manager on the headless display
// and writes what reaches the screen as an animated GIF.
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "diagnostics/debug_log.h"
#include "display/ddraw_manager.h"
#include "gif_writer.h"
#include "glyphs/blitters.h"
#include "glyphs/graphics_loader.h"
#include "glyphs/processor_path.h"
#include "platform/desktop.h"
#include "platform/headless/directories.h"
#include "platform/headless/display_device.h"
#include "platform/headless/headless_host.h"
#include "progress_bar.h"
#include "rain/draw_thread.h"
#include "rain/random.h"
#include "rain/redraw_mode.h"
#include "rain/thread_flags.h"
#include "rain_palette.h"
#include "record_options.h"

namespace vorlix::record {
namespace {

namespace fs = std::filesystem;

constexpr int FrameDelay = 3;  // 1/100 s: the draw thread's 30 ms
constexpr std::uint32_t VirtualStart = 1000000;
constexpr auto StallLimit = std::chrono::seconds(20);

// What the presenting thread hands over, frame by frame.
struct Recording {
    GifWriter* writer = nullptr;
    const RainPalette* palette = nullptr;
    headless::DisplayLayout layout = headless::DisplayLayout::Rgb565;
    std::string framesDirectory;
    int total = 0;
    std::vector<std::uint8_t> indices;
    std::atomic<int> recorded{0};
    std::atomic<bool> failed{false};
    std::string error;  // written before failed is set
};

Recording* Current = nullptr;

bool SaveFramePng(Recording& r, const std::uint16_t* pixels, std::int32_t width,
                  std::int32_t height, std::int32_t pitch, int number) {
    headless::ShownFrame frame;
    frame.width = width;
    frame.height = height;
    frame.layout = r.layout;
    frame.pixels.resize(static_cast<std::size_t>(width) * height);
    for (std::int32_t y = 0; y < height; ++y) {
        std::copy_n(pixels + static_cast<std::size_t>(y) * pitch, width,
                    frame.pixels.begin() + static_cast<std::ptrdiff_t>(y) * width);
    }
    char name[32];
    std::snprintf(name, sizeof name, "frame%05d.png", number);
    return headless::SavePng(frame, (fs::path(r.framesDirectory) / name).string());
}

void TakeFrame(const std::uint16_t* pixels, std::int32_t width, std::int32_t height,
               std::int32_t pitch, std::uint64_t) {
    Recording& r = *Current;
    const int number = r.recorded.load();
    if (number >= r.total || r.failed.load()) return;
    for (std::int32_t y = 0; y < height; ++y) {
        const std::uint16_t* row = pixels + static_cast<std::size_t>(y) * pitch;
        std::uint8_t* out = r.indices.data() + static_cast<std::size_t>(y) * width;
        for (std::int32_t x = 0; x < width; ++x) out[x] = r.palette->lookup[row[x]];
    }
    std::string error;
    if (!r.writer->AddFrame(r.indices.data(), FrameDelay, error)) {
        r.error = error;
        r.failed.store(true);
        return;
    }
    if (!r.framesDirectory.empty() && !SaveFramePng(r, pixels, width, height, pitch, number)) {
        r.error = "cannot write the frame PNGs into " + r.framesDirectory;
        r.failed.store(true);
        return;
    }
    r.recorded.store(number + 1);
}

std::string FindGlyphs(const RecordOptions& options) {
    if (!options.glyphs.empty()) return options.glyphs;
    std::error_code ignored;
    const fs::path self = fs::read_symlink("/proc/self/exe", ignored);
    const std::vector<fs::path> candidates = {
        self.parent_path() / "glyph2.ani",
        self.parent_path().parent_path() / "share" / "vorlix" / "glyph2.ani",
        fs::path(VORLIX_GLYPH_FILE)};
    for (const fs::path& candidate : candidates) {
        if (fs::is_regular_file(candidate, ignored)) return candidate.string();
    }
    return candidates.front().string();
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "vorlix-record: %s\n", message.c_str());
    return 1;
}

// A private directory for the saver's log, so a run leaves nothing in the current directory.
struct LogDirectory {
    std::string path;
    LogDirectory() {
        char pattern[] = "/tmp/vorlix-record-XXXXXX";
        if (mkdtemp(pattern) != nullptr) path = pattern;
    }
    ~LogDirectory() {
        std::error_code ignored;
        if (!path.empty()) fs::remove_all(path, ignored);
    }
};

std::string RetainedError(const char* fallback) {
    const String text = LastErrorText();
    return LastErrorLevel() >= LOG_ERROR ? std::string(text.Text()) : std::string(fallback);
}

// Everything the window procedure builds, in its order, and torn down in its order.
class RainRun {
  public:
    ~RainRun() {
        FreeRainGrid(grid_);
        record_.Free();
        glyphs_.reset();
        if (display_) display_->FlipToGdi();
        display_.reset();
    }

    bool Build(const RecordOptions& options, const std::string& glyphPath, std::string& error) {
        SeedRandom(options.seed);
        headless::ResetDisplay();
        const WindowHandle window = headless::AddWindow(
            0, ScreenRect{0, 0, options.width, options.height}, "Screen Saver", nullptr);
        display_ = std::make_unique<DDrawManager>();
        if (!display_->CreateDirectDraw(window, options.width, options.height, true)) {
            error = RetainedError("the display could not be set up");
            return false;
        }
        format_ = display_->GetPixelFormat();
        if (glyphPath.size() > 254) {
            error = "the glyph file's path is too long: " + glyphPath;
            return false;
        }
        GraphicsLoader loader;
        loader.SetPixelFormat(format_);
        glyphs_.reset(loader.LoadAnimation(String(glyphPath.c_str()), false));
        if (!glyphs_) {
            error = "cannot load the glyphs from " + glyphPath + " (" +
                    RetainedError("no such file or not a glyph file") + ")";
            return false;
        }
        if (glyphs_->frameCount < BlankGlyph + 1 || glyphs_->width < 1 || glyphs_->height < 1) {
            error = glyphPath + " holds too few or empty glyphs";
            return false;
        }
        if (!BuildRainGrid(grid_, options.width, options.height, glyphs_->width, glyphs_->height,
                           options.density, options.highlight)) {
            error = "not enough memory for the glyph grid";
            return false;
        }
        ClipRect = ClipRectangle{0, 0, static_cast<std::uint16_t>(options.width),
                                 static_cast<std::uint16_t>(options.height)};
        // Without the record's memory every frame is drawn in full: the same pixels.
        record_.Allocate(grid_.Columns * grid_.Rows);
        record_.SetFullRedraw(ChosenRedrawMode() == RedrawMode::Full);
        return true;
    }

    PixelFormat Format() const { return format_; }
    Animation& Glyphs() { return *glyphs_; }

    bool Start() {
        Drawing = DrawTargets{display_.get(), glyphs_.get(), &grid_, &record_};
        LastFrameTime.store(0);
        if (!platform::StartThread(DrawVorlix)) return false;
        DrawActive.store(1);
        return true;
    }

  private:
    std::unique_ptr<DDrawManager> display_;
    std::unique_ptr<Animation> glyphs_;
    RainGrid grid_;
    CellRecord record_;
    PixelFormat format_ = Rgb565;
};

// Waits until every frame is in, the writer failed, or nothing came for too long.
bool WaitForFrames(Recording& recording, std::string& error) {
    ProgressBar progress(stderr);
    int seen = -1;
    auto lastChange = std::chrono::steady_clock::now();
    for (;;) {
        const int done = recording.recorded.load();
        progress.Show(done, recording.total);
        if (recording.failed.load()) {
            progress.Finish();
            error = recording.error;
            return false;
        }
        if (done >= recording.total) {
            progress.Finish();
            return true;
        }
        const auto now = std::chrono::steady_clock::now();
        if (done != seen) {
            seen = done;
            lastChange = now;
        } else if (now - lastChange > StallLimit) {
            progress.Finish();
            error = "the display stopped showing frames";
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

int Record(const RecordOptions& options) {
    const std::string glyphPath = FindGlyphs(options);
    if (!options.framesDirectory.empty()) {
        std::error_code failure;
        fs::create_directories(options.framesDirectory, failure);
        if (failure)
            return Fail("cannot make " + options.framesDirectory + ": " + failure.message());
    }
    LogDirectory logDirectory;
    if (logDirectory.path.empty()) return Fail("cannot make a directory for the log in /tmp");
    const char* logPath = logDirectory.path.c_str();
    headless::SetDirectories(logPath, logPath, logPath);
    InitErrorMsg(true);
    if (!options.realTime) headless::UseVirtualClock(VirtualStart);

    std::string error;
    auto run = std::make_unique<RainRun>();
    if (!run->Build(options, glyphPath, error)) {
        run.reset();
        StopErrorMsg();
        return Fail(error);
    }
    const RainPalette palette = BuildRainPalette(run->Glyphs(), run->Format());
    const std::string partial = options.output + ".part";
    GifWriter writer;
    if (!writer.Open(partial, options.width, options.height, palette, error)) {
        run.reset();
        StopErrorMsg();
        return Fail(error);
    }

    Recording recording;
    recording.writer = &writer;
    recording.palette = &palette;
    recording.layout =
        run->Format() == Rgb555 ? headless::DisplayLayout::Rgb555 : headless::DisplayLayout::Rgb565;
    recording.framesDirectory = options.framesDirectory;
    recording.total = std::max(1, static_cast<int>(std::lround(options.seconds * 1000.0 / 30.0)));
    recording.indices.resize(static_cast<std::size_t>(options.width) * options.height);
    Current = &recording;
    headless::SetShownFrameHook(TakeFrame);

    if (!run->Start()) {
        headless::SetShownFrameHook(nullptr);
        run.reset();
        StopErrorMsg();
        std::remove(partial.c_str());
        return Fail("cannot start the draw thread");
    }
    const bool complete = WaitForFrames(recording, error);
    DrawActive.store(0);
    ThreadAlive.store(0);
    if (!WaitForThreadEnd(10000)) {
        // The thread still holds the display and the grid: leave without freeing them.
        std::fprintf(stderr, "vorlix-record: the draw thread did not end\n");
        std::_Exit(1);
    }
    headless::SetShownFrameHook(nullptr);
    run.reset();
    StopErrorMsg();

    std::string closeError;
    const bool closed = writer.Close(closeError);
    if (!complete || !closed) {
        std::remove(partial.c_str());
        return Fail(complete ? closeError : error);
    }
    std::error_code failure;
    fs::rename(partial, options.output, failure);
    if (failure) {
        std::remove(partial.c_str());
        return Fail("cannot write " + options.output + ": " + failure.message());
    }
    const fs::path written = fs::absolute(options.output, failure);
    std::printf("Wrote %d frames of %dx%d (%.2f s, %s palette of %d colours) to %s\n",
                recording.recorded.load(), options.width, options.height,
                recording.recorded.load() * 0.03, palette.exact ? "exact" : "reduced", palette.used,
                written.string().c_str());
    if (!options.framesDirectory.empty()) {
        std::printf("Frames as PNG in %s\n", options.framesDirectory.c_str());
    }
    return 0;
}

}  // namespace
}  // namespace vorlix::record

int main(int argc, char** argv) {
    using namespace vorlix::record;
    vorlix::ChooseRedrawMode(
        vorlix::RedrawModeFromEnvironment(std::getenv(vorlix::FullRedrawVariable)));
    vorlix::ChooseProcessorPath(
        vorlix::ProcessorPathFromEnvironment(std::getenv(vorlix::ProcessorPathVariable)));
    RecordOptions options;
    std::string error;
    if (!ParseRecordOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "vorlix-record: %s\nTry 'vorlix-record --help'.\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(RecordUsage(), stdout);
        return 0;
    }
    return Record(options);
}
