// Set-up proves whether each buffer keeps its pixels from one frame to its next; only then
// does the display manager name the buffers a frame draws into and shows.
#include "display_fixture.h"
#include "platform/headless/display_device.h"

namespace vorlix::display_test {
namespace {

using headless::DisplayOp;
using headless::Role;
using platform::DeviceResult;

constexpr char Incremental[] =
    "[DDrawManager::CreateDirectDraw] Incremental frames: each buffer keeps its pixels";
constexpr char Full[] =
    "[DDrawManager::CreateDirectDraw] Full frames: the buffers do not keep their pixels";

TEST_F(DisplayTest, AFlipChainThatExchangesItsBuffersDrawsIncrementally) {
    DDrawManager display;
    ASSERT_TRUE(display.CreateDirectDraw(FullScreenWindow(), 640, 480, true));
    EXPECT_TRUE(display.KeepsFrames());
    EXPECT_TRUE(Logged("LOG_INFO: ", Incremental));
    EXPECT_FALSE(Logged("LOG_INFO: ", Full));
    ASSERT_NE(display.GetBackBuffer(), nullptr);
    EXPECT_EQ(display.DrawnBuffer(), 0);
    EXPECT_EQ(display.ShownBuffer(), 1);
    ASSERT_EQ(display.Present(), 0);
    EXPECT_EQ(display.DrawnBuffer(), 1);
    EXPECT_EQ(display.ShownBuffer(), 0);
    // Set-up leaves both buffers black: no marker shows.
    EXPECT_EQ(display.BackView(0).pixels[0], 0);
    EXPECT_EQ(display.BackView(1).pixels[0], 0);
}

TEST_F(DisplayTest, AFlipChainOfOneBufferIsDrawnAndShownFromThatBuffer) {
    headless::SetFlipChainBuffers(1);
    DDrawManager display;
    ASSERT_TRUE(display.CreateDirectDraw(FullScreenWindow(), 640, 480, true));
    EXPECT_TRUE(display.KeepsFrames());
    EXPECT_TRUE(Logged("LOG_INFO: ", Incremental));
    for (int frame = 0; frame < 3; ++frame) {
        ASSERT_NE(display.GetBackBuffer(), nullptr);
        EXPECT_EQ(display.GetBackBuffer()->pixels, display.BackView(0).pixels);
        EXPECT_EQ(display.DrawnBuffer(), 0);
        EXPECT_EQ(display.ShownBuffer(), 0);
        ASSERT_EQ(display.Present(), 0);
    }
}

TEST_F(DisplayTest, AWindowedBackBufferIsDrawnAndShownFromOneBuffer) {
    headless::SetDesktopMode(640, 480, 16);
    DDrawManager display;
    ASSERT_TRUE(display.CreateDirectDraw(PreviewWindow(152, 112), 152, 112, false));
    EXPECT_TRUE(Logged("LOG_INFO: ", Incremental));
    EXPECT_EQ(display.DrawnBuffer(), 0);
    EXPECT_EQ(display.ShownBuffer(), 0);
}

// A fill that does not reach the buffer, or a surface lost and restored during set-up, leaves
// nothing proven: every frame is drawn in full.
TEST_F(DisplayTest, SurprisesDuringSetUpMeanFullFrames) {
    for (int surprise = 0; surprise < 2; ++surprise) {
        headless::ResetDisplay();
        if (surprise == 0) headless::InjectFault(DisplayOp::FillBlack, DeviceResult::Failed, 1);
        if (surprise == 1) headless::InjectFault(DisplayOp::Lock, DeviceResult::Lost, 1);
        DDrawManager display;
        ASSERT_TRUE(display.CreateDirectDraw(FullScreenWindow(), 640, 480, true)) << surprise;
        EXPECT_FALSE(display.KeepsFrames()) << surprise;
        EXPECT_EQ(display.DrawnBuffer(), -1);
        EXPECT_EQ(display.ShownBuffer(), -1);
        EXPECT_TRUE(Logged("LOG_INFO: ", Full));
    }
}

// Whatever may change the buffers behind the drawing's back moves the count the cell record
// watches.
TEST_F(DisplayTest, RestoresLostSurfacesAndTheDesktopMoveTheBufferEpoch) {
    DDrawManager display;
    ASSERT_TRUE(display.CreateDirectDraw(FullScreenWindow(), 640, 480, true));
    std::uint32_t epoch = display.BufferEpoch();
    ASSERT_EQ(display.Present(), 0);
    EXPECT_EQ(display.BufferEpoch(), epoch);
    display.FlipToGdi();
    EXPECT_NE(display.BufferEpoch(), epoch);
    epoch = display.BufferEpoch();
    display.Restore();
    EXPECT_NE(display.BufferEpoch(), epoch);
    epoch = display.BufferEpoch();
    headless::LoseSurfaces();
    EXPECT_EQ(display.Present(), 1);
    EXPECT_NE(display.BufferEpoch(), epoch);
    epoch = display.BufferEpoch();
    headless::InjectFault(DisplayOp::Flip, DeviceResult::Lost, 1, Role::Primary);
    EXPECT_EQ(display.Present(), 1);
    EXPECT_NE(display.BufferEpoch(), epoch);
}

}  // namespace
}  // namespace vorlix::display_test
