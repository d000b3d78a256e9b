// Set-up of the display manager: its steps, their failure lines, the pixel layouts, the
// recorded back-buffer views and the bounds of its waiting loops.
#include <string>
#include <tuple>

#include "display_fixture.h"

namespace vorlix::display_test {
namespace {

using headless::DisplayOp;
using headless::Role;
using platform::DeviceResult;

const char* const DirectDrawMissing =
    "Unable to initialize DirectDraw.\n\nMake sure you have DirectX installed, or go to\n"
    "https://www.microsoft.com/en-us/download/details.aspx?id=35"
    " and download the latest version";
const char* const PrimaryFailed =
    "[DDrawManager::CreateDirectDraw] Unable to create primary surface. Make sure\nno other "
    "application is runnin that uses DirectX, or try a diffrent resolution setting.";

struct SetupFailure {
    const char* name;
    bool fullScreen;
    DisplayOp op;
    Role role;
    const char* line;
};

const SetupFailure Failures[] = {
    {"Create", true, DisplayOp::Create, Role::Any, DirectDrawMissing},
    {"Cooperative", true, DisplayOp::SetCooperativeLevel, Role::Any,
     "[DDrawManager::CreateDirectDraw] Unable to set Cooperative Mode"},
    {"CooperativeWindowed", false, DisplayOp::SetCooperativeLevel, Role::Any,
     "[DDrawManager::CreateDirectDraw] Unable to set Cooperative Mode"},
    {"DisplayMode", true, DisplayOp::SetDisplayMode, Role::Any,
     "Unable to set display mode. Try a diffrent resolution setting"},
    {"Primary", true, DisplayOp::CreatePrimary, Role::Any, PrimaryFailed},
    {"PrimaryWindowed", false, DisplayOp::CreatePrimary, Role::Any, PrimaryFailed},
    {"PixelFormat", true, DisplayOp::PixelFormat, Role::Primary,
     "[DDrawManager::CreateDirectDraw] Unable to get pixel format"},
    {"Clipper", false, DisplayOp::CreateClipper, Role::Any,
     "[DDrawManager::CreateDirectDraw] Unable to create Clipper object"},
    {"ClipperWindow", false, DisplayOp::SetWindow, Role::Any,
     "[DDrawManager::CreateDirectDraw] Clipper not assigned to hWnd"},
    {"ClipperOnPrimary", false, DisplayOp::SetClipper, Role::Any,
     "[DDrawManager::CreateDirectDraw] Clipper not set on primary surface"},
    {"BackBuffer", true, DisplayOp::AttachedBackBuffer, Role::Any,
     "[DDrawManager::CreateDirectDraw] Unable to create BackBuffer surface"},
    {"BackBufferWindowed", false, DisplayOp::CreateOffscreen, Role::Any,
     "[DDrawManager::CreateDirectDraw] Unable to create BackBuffer surface (not fullscreen)"},
};

class SetupFailureTest : public DisplayTest,
                         public ::testing::WithParamInterface<SetupFailure> {};

TEST_P(SetupFailureTest, StopsAtItsStepWithItsLine) {
    const SetupFailure& failure = GetParam();
    WindowHandle window = failure.fullScreen ? FullScreenWindow() : PreviewWindow(160, 120);
    headless::InjectFault(failure.op, DeviceResult::Failed, 1, failure.role);
    {
        DDrawManager manager;
        EXPECT_FALSE(manager.CreateDirectDraw(window, 640, 480, failure.fullScreen));
        EXPECT_EQ(std::string(LastErrorText().Text()), failure.line);
        EXPECT_EQ(LastErrorLevel(), LOG_ERROR);
        EXPECT_TRUE(Logged("LOG_ERROR: ", failure.line));
        // Nothing after the failing step was asked of the display.
        std::vector<headless::DisplayCall> calls = headless::DisplayCalls();
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.back().op, failure.op);
        EXPECT_EQ(calls.back().result, DeviceResult::Failed);
        EXPECT_EQ(manager.GetBackBuffer(), nullptr);
        EXPECT_EQ(manager.AddOffSurface(8, 8), -1);
        manager.FlipToGdi();
    }
    EXPECT_EQ(headless::LiveObjects(), 0);
}

INSTANTIATE_TEST_SUITE_P(Steps, SetupFailureTest, ::testing::ValuesIn(Failures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DisplayTest, RefusedResolutionLeavesTheModeFlagDown) {
    headless::RefuseDisplayMode(1600, 1200);
    DDrawManager manager;
    EXPECT_FALSE(manager.CreateDirectDraw(FullScreenWindow(), 1600, 1200, true));
    EXPECT_FALSE(manager.DisplayModeChanged());
    EXPECT_EQ(std::string(LastErrorText().Text()),
              "Unable to set display mode. Try a diffrent resolution setting");
}

TEST_F(DisplayTest, DirectDrawMessageNamesAnAddress) {
    EXPECT_LE(std::string(DirectDrawMissing).size(), 254u);  // fits the retained error
    headless::InjectFault(DisplayOp::Create, DeviceResult::Failed, 1);
    DDrawManager manager;
    EXPECT_FALSE(manager.CreateDirectDraw(FullScreenWindow(), 640, 480, true));
    manager.FlipToGdi();
    EXPECT_EQ(CallCount(DisplayOp::FlipToDesktop), 0);
}

struct LayoutCase {
    const char* name;
    headless::DisplayLayout layout;
    bool fullScreen;
};

const LayoutCase Layouts[] = {
    {"Rgb555FullScreen", headless::DisplayLayout::Rgb555, true},
    {"Rgb565FullScreen", headless::DisplayLayout::Rgb565, true},
    {"Bits32FullScreen", headless::DisplayLayout::Bits32, true},
    {"Rgb555Windowed", headless::DisplayLayout::Rgb555, false},
    {"Rgb565Windowed", headless::DisplayLayout::Rgb565, false},
    {"Bits32Windowed", headless::DisplayLayout::Bits32, false},
};

class LayoutTest : public DisplayTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(LayoutTest, GreenMaskDecides) {
    const LayoutCase& c = GetParam();
    headless::SetDisplayLayout(c.layout);
    // The other layout beforehand, so that publishing is seen.
    ActivePixelFormat = c.layout == headless::DisplayLayout::Rgb555 ? Rgb565 : Rgb555;
    DDrawManager manager;
    WindowHandle window = c.fullScreen ? FullScreenWindow() : PreviewWindow(160, 120);
    bool ready = manager.CreateDirectDraw(window, 640, 480, c.fullScreen);
    const std::string line555 = "[DDrawManager::CreateDirectDraw] Color type 5x5x5 detected";
    const std::string line565 = "[DDrawManager::CreateDirectDraw] Color type 5x6x5 detected";
    const std::string refused = "[DDrawManager::CreateDirectDraw] Color mode not supported";
    switch (c.layout) {
        case headless::DisplayLayout::Rgb555:
            ASSERT_TRUE(ready);
            EXPECT_EQ(manager.GetPixelFormat(), Rgb555);
            EXPECT_EQ(ActivePixelFormat, Rgb555);
            EXPECT_TRUE(Logged("LOG_SPAM: ", line555));
            break;
        case headless::DisplayLayout::Rgb565:
            ASSERT_TRUE(ready);
            EXPECT_EQ(manager.GetPixelFormat(), Rgb565);
            EXPECT_EQ(ActivePixelFormat, Rgb565);
            EXPECT_TRUE(Logged("LOG_SPAM: ", line565));
            break;
        case headless::DisplayLayout::Bits32:
            EXPECT_FALSE(ready);
            EXPECT_EQ(manager.GetBackBuffer(), nullptr);
            EXPECT_EQ(CallCount(DisplayOp::Lock), 0);
            if (c.fullScreen) {
                EXPECT_EQ(LastErrorLevel(), LOG_PANIC);
                EXPECT_TRUE(Logged("LOG_PANIC: ", refused));
            } else {
                // A preview on a deep desktop ends without a word: no box follows.
                EXPECT_LT(LastErrorLevel(), LOG_ERROR);
                EXPECT_EQ(LogText().find("CreateDirectDraw"), std::string::npos);
            }
            break;
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, LayoutTest, ::testing::ValuesIn(Layouts),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DisplayTest, FullScreenRecordsBothBuffersOfTheChain) {
    headless::SetRowPaddingBytes(3);  // an odd byte pitch rounds toward zero
    DDrawManager manager;
    ASSERT_TRUE(manager.CreateDirectDraw(FullScreenWindow(), 640, 480, true));
    EXPECT_TRUE(manager.DisplayModeChanged());
    EXPECT_EQ(manager.BackIndex(), 0);
    const SurfaceView& first = manager.BackView(0);
    const SurfaceView& second = manager.BackView(1);
    EXPECT_NE(first.pixels, nullptr);
    EXPECT_NE(second.pixels, nullptr);
    EXPECT_NE(first.pixels, second.pixels);
    for (const SurfaceView* view : {&first, &second}) {
        EXPECT_EQ(view->width, 640);
        EXPECT_EQ(view->height, 480);
        EXPECT_EQ(view->pitch, 641);  // (1280 + 3) / 2
    }
    platform::DesktopMode mode = headless::CurrentDisplayMode();
    EXPECT_EQ(mode.width, 640);
    EXPECT_EQ(mode.height, 480);
    EXPECT_EQ(mode.bitsPerPixel, 16);
    // Two recording flips and two blanking flips; both buffers were blanked.
    EXPECT_EQ(CallCount(DisplayOp::Flip), 4);
    EXPECT_EQ(CallCount(DisplayOp::FillBlack), 2);
    EXPECT_EQ(CallCount(DisplayOp::Lock), CallCount(DisplayOp::Unlock));
}

TEST_F(DisplayTest, WindowedRecordsOneBufferOfTheWindowsSize) {
    DDrawManager manager;
    ASSERT_TRUE(manager.CreateDirectDraw(PreviewWindow(152, 112), 152, 112, false));
    EXPECT_FALSE(manager.DisplayModeChanged());
    EXPECT_EQ(manager.BackIndex(), 0);
    EXPECT_EQ(manager.BackView(0).width, 152);
    EXPECT_EQ(manager.BackView(0).height, 112);
    EXPECT_EQ(manager.BackView(0).pitch, 152);
    EXPECT_EQ(manager.BackView(1).pixels, nullptr);
    EXPECT_EQ(CallCount(DisplayOp::SetDisplayMode), 0);
    EXPECT_EQ(CallCount(DisplayOp::CopyFrom), 4);
}

TEST_F(DisplayTest, SurfaceLostDuringSetUpIsRestored) {
    headless::InjectFault(DisplayOp::Lock, DeviceResult::Lost, 2, Role::BackBuffer);
    DDrawManager manager;
    ASSERT_TRUE(manager.CreateDirectDraw(FullScreenWindow(), 640, 480, true));
    EXPECT_NE(manager.BackView(0).pixels, manager.BackView(1).pixels);
}

TEST_F(DisplayTest, BackBufferThatStaysLockedFailsSetUp) {
    headless::InjectFault(DisplayOp::Lock, DeviceResult::Busy, headless::Always, Role::BackBuffer);
    DDrawManager manager;
    EXPECT_FALSE(manager.CreateDirectDraw(FullScreenWindow(), 640, 480, true));
    EXPECT_EQ(std::string(LastErrorText().Text()),
              "[DDrawManager::CreateDirectDraw] Unable to lock BackBuffer surface");
    EXPECT_EQ(CallCount(DisplayOp::Lock), SetupAttempts);
}

const char* const PresentRefused =
    "[DDrawManager::CreateDirectDraw] Display keeps refusing to show the BackBuffer surface";

TEST_F(DisplayTest, DisplayThatKeepsRefusingToFlipFailsSetUp) {
    headless::InjectFault(DisplayOp::Flip, DeviceResult::Busy, headless::Always);
    DDrawManager manager;
    EXPECT_FALSE(manager.CreateDirectDraw(FullScreenWindow(), 640, 480, true));
    EXPECT_EQ(std::string(LastErrorText().Text()), PresentRefused);
    EXPECT_EQ(LastErrorLevel(), LOG_ERROR);
    EXPECT_EQ(CallCount(DisplayOp::Flip), SetupAttempts);
    EXPECT_EQ(manager.GetBackBuffer(), nullptr);
}

TEST_F(DisplayTest, FlipThatStaysPendingFailsSetUp) {
    headless::InjectFault(DisplayOp::FlipStatus, DeviceResult::Pending, headless::Always);
    DDrawManager manager;
    EXPECT_FALSE(manager.CreateDirectDraw(FullScreenWindow(), 640, 480, true));
    EXPECT_EQ(std::string(LastErrorText().Text()), PresentRefused);
    EXPECT_EQ(CallCount(DisplayOp::Flip), 0);
}

TEST_F(DisplayTest, WindowedCopyThatKeepsFailingFailsSetUp) {
    headless::InjectFault(DisplayOp::CopyFrom, DeviceResult::Failed, headless::Always);
    DDrawManager manager;
    EXPECT_FALSE(manager.CreateDirectDraw(PreviewWindow(100, 80), 100, 80, false));
    EXPECT_EQ(std::string(LastErrorText().Text()), PresentRefused);
}

TEST_F(DisplayTest, VanishedPreviewWindowFailsSetUp) {
    WindowHandle window = PreviewWindow(100, 80);
    headless::DestroyWindow(window);
    DDrawManager manager;
    EXPECT_FALSE(manager.CreateDirectDraw(window, 100, 80, false));
    EXPECT_EQ(std::string(LastErrorText().Text()), PresentRefused);
    EXPECT_EQ(CallCount(DisplayOp::CopyFrom), 0);
}

TEST_F(DisplayTest, SetUpRunsOncePerManager) {
    DDrawManager manager;
    WindowHandle window = FullScreenWindow();
    ASSERT_TRUE(manager.CreateDirectDraw(window, 640, 480, true));
    EXPECT_FALSE(manager.CreateDirectDraw(window, 800, 600, true));
    EXPECT_EQ(CallCount(DisplayOp::SetDisplayMode), 1);
    EXPECT_NE(manager.GetBackBuffer(), nullptr);
}

}  // namespace
}  // namespace vorlix::display_test
