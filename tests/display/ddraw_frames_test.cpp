// Set-up proves whether each buffer keeps its pixels from one frame to its next; only then
// does the display manager name the buffers a frame draws into and shows.
#include <functional>

#include "display_fixture.h"
#include "platform/headless/display_device.h"

namespace vorlix::display_test {
namespace {

using headless::Always;
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

// A restore may give the buffers new memory and leave them keeping nothing: the next frame
// draws into the memory that shows, and only what set-up's proof finds again is trusted.
TEST_F(DisplayTest, AfterARestoreTheBufferViewsAndTheProofAreMadeAgain) {
    for (bool fullScreen : {true, false}) {
        headless::ResetDisplay();
        headless::MoveMemoryOnRestore(true);
        DDrawManager display;
        const WindowHandle window = fullScreen ? FullScreenWindow() : PreviewWindow(160, 120);
        ASSERT_TRUE(display.CreateDirectDraw(window, 160, 120, fullScreen));
        ASSERT_TRUE(display.KeepsFrames());
        headless::InjectFault(fullScreen ? DisplayOp::Flip : DisplayOp::CopyFrom,
                              DeviceResult::Lost, 1, Role::Primary);
        ASSERT_EQ(display.Present(), 1);
        SurfaceView* view = display.GetBackBuffer();
        ASSERT_NE(view, nullptr);
        for (std::int32_t x = 0; x < view->width; ++x) view->pixels[x] = 0x1234;
        ASSERT_EQ(display.Present(), 0);
        headless::ShownFrame shown;
        ASSERT_TRUE(headless::CaptureShownFrame(shown));
        EXPECT_EQ(shown.pixels[0], 0x1234) << "full screen: " << fullScreen;
        EXPECT_EQ(shown.pixels[159], 0x1234) << "full screen: " << fullScreen;
        EXPECT_GE(display.DrawnBuffer(), 0);

        // Restored buffers that no longer take a colour fill keep nothing proven.
        headless::InjectFault(DisplayOp::FillBlack, DeviceResult::Failed, Always);
        headless::LoseSurfaces();
        for (int attempt = 0; attempt < 10 && display.Present() != 0; ++attempt) {
        }
        ASSERT_NE(display.GetBackBuffer(), nullptr);
        EXPECT_FALSE(display.KeepsFrames()) << "full screen: " << fullScreen;
        EXPECT_EQ(display.DrawnBuffer(), -1);
        EXPECT_EQ(display.ShownBuffer(), -1);
        headless::ClearFaults();
    }
}

// A frame that read the count before a write into the buffers must see it moved on its next
// frame: the count moves once the write is done, never before.
TEST_F(DisplayTest, EveryWriterIntoTheBuffersMovesTheEpochAfterItsChange) {
    DDrawManager display;
    ASSERT_TRUE(display.CreateDirectDraw(FullScreenWindow(), 160, 120, true));
    const int image = display.AddOffSurface(8, 8);
    ASSERT_GE(image, 0);
    const struct {
        const char* name;
        DisplayOp op;
        std::function<void()> write;
    } writers[] = {
        {"ClearBackBuffer", DisplayOp::FillBlack, [&] { display.ClearBackBuffer(); }},
        {"BltOffSurface", DisplayOp::CopyKeyedFrom, [&] { display.BltOffSurface(4, 4, image); }},
        {"FlipToGdi", DisplayOp::FlipToDesktop, [&] { display.FlipToGdi(); }},
        {"Restore", DisplayOp::Restore, [&] { display.Restore(); }},
    };
    for (const auto& writer : writers) {
        const std::uint32_t before = display.BufferEpoch();
        std::uint32_t during = before + 1000;
        headless::SetDisplayCallHook([&](const headless::DisplayCall& call) {
            if (call.op == writer.op) during = display.BufferEpoch();
        });
        writer.write();
        headless::SetDisplayCallHook(nullptr);
        EXPECT_EQ(during, before) << writer.name << " moved the epoch before writing";
        EXPECT_NE(display.BufferEpoch(), before) << writer.name << " left the epoch";
    }
}

}  // namespace
}  // namespace vorlix::display_test
