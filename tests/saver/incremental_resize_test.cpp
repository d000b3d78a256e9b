// A preview resized while it runs shows the same frames with incremental frames as with full
// redraws: the rebuild sizes the cell record for the new grid and starts it empty.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/headless/headless_host.h"
#include "platform/window_messages.h"
#include "rain/redraw_mode.h"
#include "rain/thread_flags.h"
#include "saver/screen_saver_proc.h"
#include "saver_test_support.h"

namespace vorlix {
namespace {

constexpr int Frames = 2000;
constexpr int ResizeAfter = 700;

struct Shown {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint16_t> pixels;
    bool operator==(const Shown&) const = default;
};

struct Capture {
    std::mutex mutex;
    std::vector<Shown> frames;
    std::atomic<bool> paused{false};
};
Capture* Current = nullptr;

void TakeFrame(const std::uint16_t* pixels, std::int32_t width, std::int32_t height,
               std::int32_t pitch, std::uint64_t) {
    Capture& c = *Current;
    Shown frame{width, height, {}};
    for (std::int32_t y = 0; y < height; ++y)
        frame.pixels.insert(frame.pixels.end(), pixels + static_cast<std::ptrdiff_t>(y) * pitch,
                            pixels + static_cast<std::ptrdiff_t>(y) * pitch + width);
    std::lock_guard lock(c.mutex);
    c.frames.push_back(std::move(frame));
    const auto count = c.frames.size();
    if (count == ResizeAfter || count == Frames) {
        DrawActive.store(0);
        c.paused.store(true);
    }
}

template <class Condition>
bool WaitLong(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

class IncrementalResize : public testing::SaverTest {
protected:
    void TearDown() override {
        headless::SetShownFrameHook(nullptr);
        SaverTest::TearDown();
        headless::UseRealClock();
        ChooseRedrawMode(RedrawMode::Incremental);
        Current = nullptr;
    }

    std::vector<Shown> Run(RedrawMode mode) {
        ChooseRedrawMode(mode);
        headless::UseVirtualClock(5000);  // the saver seeds its generator from the clock
        Capture capture;
        Current = &capture;
        headless::SetShownFrameHook(TakeFrame);
        EXPECT_NE(CreatePreview(AddPreviewParent()), 0u);
        EXPECT_TRUE(WaitLong([&] { return capture.paused.load(); }));
        EXPECT_TRUE(WaitLong([] { return ThreadDrawing.load() == 0; }));
        capture.paused.store(false);
        headless::DeliverMessage(saver, WM_SIZE, 0, MakeLParam(104, 80));
        headless::DeliverMessage(saver, WM_ACTIVATEAPP, 1, 0);
        EXPECT_TRUE(WaitLong([&] { return capture.paused.load(); }));
        headless::SetShownFrameHook(nullptr);
        DestroySaver();
        return std::move(capture.frames);
    }
};

TEST_F(IncrementalResize, ResizedPreviewShowsTheSameFramesAsFullRedraws) {
    const std::vector<Shown> full = Run(RedrawMode::Full);
    SaverTest::TearDown();
    SaverTest::SetUp();
    const std::vector<Shown> incremental = Run(RedrawMode::Incremental);
    ASSERT_EQ(full.size(), static_cast<std::size_t>(Frames));
    ASSERT_EQ(incremental.size(), full.size());
    EXPECT_EQ(full.front().width, 152);
    EXPECT_EQ(full.back().width, 104);
    for (std::size_t i = 0; i < full.size(); ++i)
        ASSERT_TRUE(full[i] == incremental[i]) << "first different frame: " << i;
}

}  // namespace
}  // namespace vorlix
