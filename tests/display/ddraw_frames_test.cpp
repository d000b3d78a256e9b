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

// Whatever may change the buffers behind the drawing's back moves the tokens the cell record
// watches; a present does not.
TEST_F(DisplayTest, RestoresLostSurfacesAndTheDesktopMoveEveryBuffersToken) {
    DDrawManager display;
    ASSERT_TRUE(display.CreateDirectDraw(FullScreenWindow(), 640, 480, true));
    // Each buffer's first frame is a buffer anew.
    for (int frame = 0; frame < 2; ++frame) {
        ASSERT_NE(display.GetBackBuffer(), nullptr);
        display.BuffersForFrame(false);
        ASSERT_EQ(display.Present(), 0);
    }
    ASSERT_NE(display.GetBackBuffer(), nullptr);
    FrameBuffers last = display.BuffersForFrame(false);
    const auto tokenOf = [](const FrameBuffers& frame, int buffer) {
        return frame.drawn.buffer == buffer ? frame.drawn : frame.shown;
    };
    const auto bothMoved = [&](const char* after) {
        ASSERT_NE(display.GetBackBuffer(), nullptr);
        const FrameBuffers now = display.BuffersForFrame(false);
        ASSERT_NE(now.drawn.buffer, now.shown.buffer) << after;
        EXPECT_NE(now.drawn, tokenOf(last, now.drawn.buffer)) << after;
        EXPECT_NE(now.shown, tokenOf(last, now.shown.buffer)) << after;
        last = now;
    };
    ASSERT_EQ(display.Present(), 0);
    ASSERT_NE(display.GetBackBuffer(), nullptr);
    const FrameBuffers flipped = display.BuffersForFrame(false);
    EXPECT_EQ(flipped.drawn, last.shown);
    EXPECT_EQ(flipped.shown, last.drawn);
    last = flipped;
    display.FlipToGdi();
    bothMoved("FlipToGdi");
    display.Restore();
    bothMoved("Restore");
    headless::LoseSurfaces();
    EXPECT_EQ(display.Present(), 1);
    bothMoved("a lost flip chain");
}

// A frame drawn into other memory for the same buffer (the screen's own pixels in place of
// the back buffer, or memory made anew) finds nothing it left there.
TEST_F(DisplayTest, DrawingIntoOtherMemoryMovesTheDrawnToken) {
    headless::SetFlipChainBuffers(1);
    headless::OfferWideBackBuffer(true);
    DDrawManager display;
    ASSERT_TRUE(display.CreateDirectDraw(FullScreenWindow(), 160, 120, true));
    ASSERT_NE(display.GetBackBuffer(), nullptr);
    const FrameBuffers narrow = display.BuffersForFrame(false);
    EXPECT_EQ(display.BuffersForFrame(false).drawn, narrow.drawn);
    const WideView* screen = display.GetWideBackBuffer();
    ASSERT_NE(screen, nullptr);
    const FrameBuffers wide = display.BuffersForFrame(true);
    EXPECT_NE(wide.drawn, narrow.drawn);
    EXPECT_EQ(wide.drawn, wide.shown);
    ASSERT_EQ(display.Present(nullptr, true), 0);
    ASSERT_EQ(display.GetWideBackBuffer(), screen);
    EXPECT_EQ(display.BuffersForFrame(true).drawn, wide.drawn);
    EXPECT_NE(display.BuffersForFrame(false).drawn, wide.drawn);
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

// A frame that read a token before a write into the buffers must see it moved on its next
// frame: the token moves once the write is done, never before. A write into the back buffer
// moves only its token; the desktop and a restore touch both buffers.
TEST_F(DisplayTest, EveryWriterIntoTheBuffersMovesTheirTokensAfterItsChange) {
    DDrawManager display;
    ASSERT_TRUE(display.CreateDirectDraw(FullScreenWindow(), 160, 120, true));
    const int image = display.AddOffSurface(8, 8);
    ASSERT_GE(image, 0);
    const struct {
        const char* name;
        DisplayOp op;
        bool both;
        std::function<void()> write;
    } writers[] = {
        {"ClearBackBuffer", DisplayOp::FillBlack, false, [&] { display.ClearBackBuffer(); }},
        {"BltOffSurface", DisplayOp::CopyKeyedFrom, false,
         [&] { display.BltOffSurface(4, 4, image); }},
        {"FlipToGdi", DisplayOp::FlipToDesktop, true, [&] { display.FlipToGdi(); }},
        {"Restore", DisplayOp::Restore, true, [&] { display.Restore(); }},
    };
    for (const auto& writer : writers) {
        ASSERT_NE(display.GetBackBuffer(), nullptr);
        const FrameBuffers before = display.BuffersForFrame(false);
        FrameBuffers during;
        headless::SetDisplayCallHook([&](const headless::DisplayCall& call) {
            if (call.op == writer.op) during = display.BuffersForFrame(false);
        });
        writer.write();
        headless::SetDisplayCallHook(nullptr);
        EXPECT_EQ(during.drawn, before.drawn) << writer.name << " moved a token before writing";
        EXPECT_EQ(during.shown, before.shown) << writer.name << " moved a token before writing";
        ASSERT_NE(display.GetBackBuffer(), nullptr);
        const FrameBuffers after = display.BuffersForFrame(false);
        EXPECT_NE(after.drawn, before.drawn) << writer.name << " left the drawn token";
        EXPECT_EQ(after.shown != before.shown, writer.both) << writer.name;
    }
}

}  // namespace
}  // namespace vorlix::display_test
