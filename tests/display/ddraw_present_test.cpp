// The display manager while the picture runs: back buffers, presenting, lost surfaces,
// showing the desktop again and the order of destruction.
#include <atomic>
#include <thread>

#include "display_fixture.h"

namespace vorlix::display_test {
namespace {

using headless::DisplayOp;
using headless::Role;
using platform::DeviceResult;

void Paint(SurfaceView& view, std::uint16_t colour) {
    for (std::int32_t y = 0; y < view.height; ++y) {
        for (std::int32_t x = 0; x < view.width; ++x) view.pixels[y * view.pitch + x] = colour;
    }
}

bool ShownIsAll(std::uint16_t colour, std::int32_t width, std::int32_t height) {
    headless::ShownFrame frame;
    if (!headless::CaptureShownFrame(frame)) return false;
    if (frame.width != width || frame.height != height) return false;
    for (std::uint16_t pixel : frame.pixels) {
        if (pixel != colour) return false;
    }
    return true;
}

class ReadyFullScreen : public DisplayTest {
protected:
    void SetUp() override {
        DisplayTest::SetUp();
        headless::SetRowPaddingBytes(6);
        ASSERT_TRUE(manager_.CreateDirectDraw(FullScreenWindow(), 320, 200, true));
        headless::ClearDisplayCalls();
    }
    DDrawManager manager_;
};

TEST_F(ReadyFullScreen, FramesAlternateBetweenTheTwoBuffers) {
    EXPECT_TRUE(ShownIsAll(0, 320, 200));  // blanked during set-up
    const std::uint16_t colours[] = {0xF800, 0x07E0, 0x001F, 0xFFFF};
    for (int frame = 0; frame < 4; ++frame) {
        SurfaceView* view = manager_.GetBackBuffer();
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view, &manager_.BackView(frame % 2));
        EXPECT_EQ(manager_.BackIndex(), frame % 2);
        Paint(*view, colours[frame]);
        ASSERT_EQ(manager_.Present(), 0);
        EXPECT_EQ(manager_.BackIndex(), (frame + 1) % 2);
        EXPECT_TRUE(ShownIsAll(colours[frame], 320, 200));
    }
    // Nothing but the flip status and the flip per frame: no lock on the way.
    EXPECT_EQ(CallCount(DisplayOp::Lock), 0);
}

TEST_F(ReadyFullScreen, PendingFlipIsNotFlippedAgain) {
    headless::InjectFault(DisplayOp::FlipStatus, DeviceResult::Pending, 1, Role::BackBuffer);
    EXPECT_EQ(manager_.Present(), 1);
    EXPECT_EQ(manager_.BackIndex(), 0);
    EXPECT_EQ(CallCount(DisplayOp::Flip), 0);
    EXPECT_EQ(manager_.Present(), 0);
    EXPECT_EQ(manager_.BackIndex(), 1);
}

TEST_F(ReadyFullScreen, RefusedFlipLeavesTheIndex) {
    headless::InjectFault(DisplayOp::Flip, DeviceResult::Busy, 1);
    headless::InjectFault(DisplayOp::FlipStatus, DeviceResult::Busy, 1);
    EXPECT_EQ(manager_.Present(), 1);
    EXPECT_EQ(manager_.Present(), 1);
    EXPECT_EQ(manager_.BackIndex(), 0);
    EXPECT_EQ(manager_.Present(), 0);
}

TEST_F(ReadyFullScreen, BackBufferWaitsForAPendingFlip) {
    headless::InjectFault(DisplayOp::FlipStatus, DeviceResult::Pending, 3, Role::BackBuffer);
    EXPECT_EQ(manager_.GetBackBuffer(), &manager_.BackView(0));
    EXPECT_EQ(CallCount(DisplayOp::FlipStatus), 4);
}

TEST_F(ReadyFullScreen, BackBufferWaitForAFlipThatNeverEndsIsBounded) {
    headless::InjectFault(DisplayOp::FlipStatus, DeviceResult::Pending, headless::Always);
    EXPECT_EQ(manager_.GetBackBuffer(), &manager_.BackView(0));
    EXPECT_EQ(CallCount(DisplayOp::FlipStatus), FlipWaitPolls);
}

TEST_F(ReadyFullScreen, BackBufferWaitEndsOnAnyOtherAnswer) {
    headless::InjectFault(DisplayOp::FlipStatus, DeviceResult::Lost, 1);
    EXPECT_EQ(manager_.GetBackBuffer(), &manager_.BackView(0));
    EXPECT_EQ(CallCount(DisplayOp::FlipStatus), 1);
}

TEST_F(ReadyFullScreen, LostSurfacesAreRestoredAndFramesComeBack) {
    SurfaceView* view = manager_.GetBackBuffer();
    headless::LoseSurfaces();
    int refused = 0;
    while (manager_.Present() == 1 && refused < 10) ++refused;
    EXPECT_GE(refused, 1);
    EXPECT_LT(refused, 10);
    EXPECT_GE(CallCount(DisplayOp::Restore), 1);
    // The memory recorded at set-up still reaches the screen.
    Paint(*manager_.GetBackBuffer(), 0x1234);
    EXPECT_NE(view, nullptr);
    EXPECT_EQ(manager_.Present(), 0);
    EXPECT_TRUE(ShownIsAll(0x1234, 320, 200));
}

TEST_F(ReadyFullScreen, LostFlipRestoresThePrimary) {
    headless::InjectFault(DisplayOp::Flip, DeviceResult::Lost, 1);
    EXPECT_EQ(manager_.Present(), 1);
    std::vector<headless::DisplayCall> restores = headless::DisplayCalls(DisplayOp::Restore);
    ASSERT_EQ(restores.size(), 1u);
    EXPECT_EQ(restores[0].role, Role::Primary);
}

TEST_F(ReadyFullScreen, RestoreReportsItsOutcome) {
    EXPECT_TRUE(manager_.Restore());
    EXPECT_TRUE(Logged("LOG_INFO: ", "[DDrawManager::Restore] Surfaces restored"));
    headless::InjectFault(DisplayOp::Restore, DeviceResult::Failed, 1);
    EXPECT_FALSE(manager_.Restore());
    EXPECT_EQ(std::string(LastErrorText().Text()),
              "[DDrawManager::Restore] Unable to restore surfaces");
}

TEST_F(ReadyFullScreen, FlipToGdiShowsTheDesktop) {
    manager_.FlipToGdi();
    EXPECT_TRUE(headless::DesktopShown());
}

TEST_F(DisplayTest, WindowedFrameIsCopiedIntoTheWindow) {
    headless::SetDesktopMode(400, 300, 16);
    DDrawManager manager;
    ASSERT_TRUE(manager.CreateDirectDraw(PreviewWindow(160, 120), 160, 120, false));
    SurfaceView* view = manager.GetBackBuffer();
    ASSERT_EQ(view, &manager.BackView(0));
    Paint(*view, 0x7FFF);
    ASSERT_EQ(manager.Present(), 0);
    EXPECT_EQ(manager.BackIndex(), 0);
    EXPECT_TRUE(ShownIsAll(0x7FFF, 160, 120));
    std::vector<headless::DisplayCall> copies = headless::DisplayCalls(DisplayOp::CopyFrom);
    ASSERT_FALSE(copies.empty());
    EXPECT_EQ(copies.back().a, 100);  // the window's client origin on the screen
    EXPECT_EQ(copies.back().b, 50);
    EXPECT_EQ(manager.GetBackBuffer(), &manager.BackView(0));
}

TEST_F(DisplayTest, WindowedLostPrimaryRestoresBothSurfaces) {
    DDrawManager manager;
    ASSERT_TRUE(manager.CreateDirectDraw(PreviewWindow(64, 48), 64, 48, false));
    headless::ClearDisplayCalls();
    headless::LoseSurfaces();
    EXPECT_EQ(manager.Present(), 1);
    std::vector<headless::DisplayCall> restores = headless::DisplayCalls(DisplayOp::Restore);
    ASSERT_EQ(restores.size(), 2u);
    EXPECT_EQ(restores[0].role, Role::Primary);
    EXPECT_EQ(restores[1].role, Role::Offscreen);
    EXPECT_EQ(manager.Present(), 0);
}

TEST_F(DisplayTest, WindowedFailedPrimaryRestoreLeavesTheBackBuffer) {
    DDrawManager manager;
    ASSERT_TRUE(manager.CreateDirectDraw(PreviewWindow(64, 48), 64, 48, false));
    headless::ClearDisplayCalls();
    headless::InjectFault(DisplayOp::CopyFrom, DeviceResult::Lost, 1);
    headless::InjectFault(DisplayOp::Restore, DeviceResult::Failed, 1, Role::Primary);
    EXPECT_EQ(manager.Present(), 1);
    EXPECT_EQ(CallCount(DisplayOp::Restore), 1);
}

TEST_F(DisplayTest, FullScreenDestructionOrderPutsTheDesktopModeBack) {
    headless::SetDesktopMode(1280, 1024, 32);
    {
        DDrawManager manager;
        ASSERT_TRUE(manager.CreateDirectDraw(FullScreenWindow(), 800, 600, true));
        ASSERT_EQ(manager.AddOffSurface(16, 16), 0);
        ASSERT_EQ(manager.AddOffSurface(32, 8), 1);
        EXPECT_EQ(headless::CurrentDisplayMode().width, 800);
        headless::ClearDisplayCalls();
    }
    std::vector<headless::DisplayCall> calls = headless::DisplayCalls();
    ASSERT_EQ(calls.size(), 6u);
    EXPECT_EQ(calls[0].op, DisplayOp::Release);
    EXPECT_EQ(calls[0].role, Role::Offscreen);
    EXPECT_EQ(calls[1].op, DisplayOp::Release);
    EXPECT_EQ(calls[1].role, Role::Offscreen);
    EXPECT_EQ(calls[2].role, Role::BackBuffer);
    EXPECT_EQ(calls[3].role, Role::Primary);
    EXPECT_EQ(calls[4].op, DisplayOp::SetDisplayMode);
    EXPECT_EQ(calls[4].a, 1280);
    EXPECT_EQ(calls[4].b, 1024);
    EXPECT_EQ(calls[4].c, 32);
    EXPECT_EQ(calls[5].op, DisplayOp::Release);
    EXPECT_EQ(calls[5].role, Role::Device);
    platform::DesktopMode mode = headless::CurrentDisplayMode();
    EXPECT_EQ(mode.width, 1280);
    EXPECT_EQ(mode.height, 1024);
    EXPECT_EQ(mode.bitsPerPixel, 32);
    EXPECT_EQ(headless::LiveObjects(), 0);
}

TEST_F(DisplayTest, WindowedDestructionReleasesTheClipperAndKeepsTheMode) {
    {
        DDrawManager manager;
        ASSERT_TRUE(manager.CreateDirectDraw(PreviewWindow(64, 48), 64, 48, false));
        headless::ClearDisplayCalls();
    }
    std::vector<headless::DisplayCall> calls = headless::DisplayCalls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].role, Role::Offscreen);  // the back buffer
    EXPECT_EQ(calls[1].role, Role::Primary);
    EXPECT_EQ(calls[2].role, Role::Clipper);
    EXPECT_EQ(calls[3].role, Role::Device);
    EXPECT_EQ(headless::LiveObjects(), 0);
}

TEST_F(DisplayTest, UnreadableDesktopModeIsNotSet) {
    headless::SetDesktopMode(0, 0, 0);
    {
        DDrawManager manager;
        ASSERT_TRUE(manager.CreateDirectDraw(FullScreenWindow(), 640, 480, true));
        headless::ClearDisplayCalls();
    }
    EXPECT_EQ(CallCount(DisplayOp::SetDisplayMode), 0);
    EXPECT_EQ(headless::LiveObjects(), 0);
}

TEST_F(DisplayTest, FailedSetUpIsTornDownInOrder) {
    headless::InjectFault(DisplayOp::AttachedBackBuffer, DeviceResult::Failed, 1);
    {
        DDrawManager manager;
        EXPECT_FALSE(manager.CreateDirectDraw(FullScreenWindow(), 640, 480, true));
        manager.FlipToGdi();
        EXPECT_EQ(manager.Present(), 1);
        manager.BltOffSurface(0, 0, 0);
        EXPECT_FALSE(manager.IsBltBusy());
        manager.ClearBackBuffer();
    }
    EXPECT_EQ(headless::LiveObjects(), 0);
    platform::DesktopMode mode = headless::CurrentDisplayMode();
    EXPECT_EQ(mode.width, 1024);
    EXPECT_EQ(mode.height, 768);
}

// The draw thread presents while the window's thread reads the screen and hands it back to
// the desktop; run under the thread sanitizer this shows the two meet only where allowed.
TEST_F(ReadyFullScreen, FramesPresentedOnAnotherThread) {
    std::atomic<bool> done{false};
    std::thread draw([&] {
        for (int frame = 0; frame < 60; ++frame) {
            SurfaceView* view = manager_.GetBackBuffer();
            Paint(*view, static_cast<std::uint16_t>(frame));
            for (int attempt = 0; attempt < 1000 && manager_.Present() == 1; ++attempt) {
            }
        }
        done = true;
    });
    headless::ShownFrame frame;
    while (!done) {
        headless::CaptureShownFrame(frame);
        manager_.FlipToGdi();
    }
    draw.join();
    ASSERT_TRUE(headless::CaptureShownFrame(frame));
    EXPECT_EQ(frame.pixels[0], 59);
}

}  // namespace
}  // namespace vorlix::display_test
