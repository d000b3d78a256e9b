// Whole runs of the saver on the headless host: the dispatcher, the window, the rain on its
// thread, scripted input, the close and the destruction.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/desktop.h"
#include "platform/headless/headless_host.h"
#include "platform/window_messages.h"
#include "rain/draw_thread.h"
#include "rain/thread_flags.h"
#include "saver/framework.h"
#include "saver/saver_state.h"
#include "saver/screen_saver_proc.h"
#include "saver_test_support.h"

namespace vorlix {
namespace {

using headless::InputStep;
using testing::SaverTest;
using testing::WaitFor;

InputStep Message(MessageId message, WParam w = 0) {
    InputStep step;
    step.message = message;
    step.w = w;
    return step;
}

InputStep Action(std::function<void()> action) {
    InputStep step;
    step.action = std::move(action);
    return step;
}

InputStep WaitForFrames(std::uint64_t frames) {
    return Action([frames] {
        EXPECT_TRUE(WaitFor([frames] {
            return FramePresented.load() == 1 && headless::ShownFrameCount() >= frames;
        }));
    });
}

InputStep WaitForMoreFrames(std::uint64_t frames) {
    return Action([frames] {
        std::uint64_t start = headless::ShownFrameCount();
        EXPECT_TRUE(WaitFor([&] { return headless::ShownFrameCount() >= start + frames; }));
    });
}

class SaverRun : public SaverTest {
protected:
    static bool EverythingReleased() {
        return WindowObjects.display == nullptr && WindowObjects.loader == nullptr &&
               WindowObjects.glyphs == nullptr && WindowObjects.grid.Cells == nullptr &&
               Drawing.display == nullptr && headless::LiveObjects() == 0;
    }
};

TEST_F(SaverRun, FullScreenRunsUntilTheSecondCloseAndCleansUp) {
    headless::ScriptInput({
        WaitForFrames(3),
        Message(WM_MOUSEMOVE),  // the start point only
        Message(WM_KEYDOWN, 'A'),  // its close is trapped
        Action([] {
            EXPECT_TRUE(platform::IsWindowHandle(headless::LastSaverWindow()));
            EXPECT_EQ(DrawActive.load(), 1);
        }),
        Message(WM_KEYDOWN, 'B'),  // this one closes
        Message(WM_KEYDOWN, 'C'),  // never reached
    });
    EXPECT_EQ(RunModeDispatcher("/s"), 0);
    EXPECT_EQ(headless::DeliveredScriptSteps(), 5);

    auto lines = LogLines(true);
    EXPECT_TRUE(InOrder(lines, {"LOG_INFO: [InitErrorMsg] DEBUG SESSION STARTED",
                                "LOG_INFO: [DEBUG] Got message WM_CREATE",
                                "LOG_GOSSIP: [WM_CREATE] Fullscreen mode",
                                "LOG_INFO: [WM_CREATE] GraphicsLoader object allocated",
                                "LOG_INFO: [WM_CREATE] Glyph images loaded",
                                "LOG_GOSSIP: [WM_CREATE] All object created, run Vorlix",
                                "LOG_INFO: [DrawVorlix] Thread created. Drawing Vorlix",
                                "LOG_GOSSIP: [STATE] WM_CLOSE detected",
                                "LOG_INFO: [STATE] Trapped WM_CLOSE message (NT bugfix)",
                                "LOG_GOSSIP: [STATE] WM_CLOSE detected",
                                "LOG_GOSSIP: [STATE] WM_DESTROY detected",
                                "[StopErrorMsg] DEBUG SESSION TERMINATED"}));
    // The thread may end before or after the destroy line: it is told to end first.
    EXPECT_TRUE(InOrder(lines, {"[STATE] Trapped WM_CLOSE message (NT bugfix)",
                                "LOG_INFO: [DrawVorlix] Thread ended",
                                "[StopErrorMsg] DEBUG SESSION TERMINATED"}));
    EXPECT_FALSE(Contains(lines, "LOG_ERROR"));

    EXPECT_GE(headless::ShownFrameCount(), 3u);
    EXPECT_EQ(ThreadEnded.load(), 1);
    EXPECT_TRUE(EverythingReleased());
    EXPECT_EQ(headless::CurrentDisplayMode().width, 1024);  // the desktop's mode is back
    EXPECT_GE(headless::CursorImageHides(), 1);
    EXPECT_GE(headless::CursorDisplayCounter(), 0);  // the cursor is shown again
    EXPECT_FALSE(headless::RecordedWindowCalls("ShowCursor").empty());
    EXPECT_EQ(headless::WindowCount(), 0);
    EXPECT_TRUE(headless::RecordedMessageBoxes().empty());
    EXPECT_EQ(headless::LoadedLibraries(), 0);
    EXPECT_EQ(AutoPlayMessage, 0u);
}

TEST_F(SaverRun, Win9xAsksForThePasswordAndRunsOnWhenItIsWrong) {
    headless::SetWin9xFamily(true);
    headless::InstallPasswordVerifier(true);
    headless::AddLibrary("IMM32.DLL", true,
                         {{"ImmAssociateContext", headless::FakeImmAssociateContext()}});
    headless::ScriptPasswordAnswers({0, 1});
    headless::ScriptInput({
        WaitForFrames(2),
        Message(WM_KEYDOWN),  // trapped
        Message(WM_KEYDOWN),  // the password is wrong
        Action([] {
            EXPECT_TRUE(platform::IsWindowHandle(headless::LastSaverWindow()));
            EXPECT_EQ(headless::PasswordChecks(), 1);
            EXPECT_EQ(DrawActive.load(), 0);  // paused until an activation
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
        }),
        Message(WM_ACTIVATE, WA_ACTIVE),
        WaitForMoreFrames(2),
        Message(WM_LBUTTONDOWN),  // the password is right
        Message(WM_KEYDOWN),      // never reached
    });
    EXPECT_EQ(RunModeDispatcher("-s"), 0);
    EXPECT_EQ(headless::PasswordChecks(), 2);
    EXPECT_TRUE(IsClosing);
    EXPECT_EQ(headless::ScreenSaverRunningCalls(), (std::vector<bool>{true, false}));
    EXPECT_NE(AutoPlayMessage, 0u);
    EXPECT_EQ(headless::LoadedLibraries(), 0);
    EXPECT_TRUE(EverythingReleased());

    auto contexts = headless::ContextAssociations();
    ASSERT_EQ(contexts.size(), 2u);
    EXPECT_EQ(contexts[0].context, 0u);  // detached at creation
    EXPECT_EQ(contexts[1].context, headless::FakeInputContext);  // given back at the end

    auto lines = LogLines(true);
    EXPECT_TRUE(InOrder(lines, {"[STATE] Trapped WM_CLOSE message (NT bugfix)",
                                "[SCRM_VERIFYPW] Message detected",
                                "[STATE] WM_ACTIVE: Activated",
                                "[DrawVorlix] Thread resumed",
                                "[SCRM_VERIFYPW] Message detected",
                                "[STATE] WM_DESTROY detected"}));
}

TEST_F(SaverRun, PreviewRunsUntilItsParentDestroysIt) {
    WindowHandle parent = AddPreviewParent();
    headless::ScriptInput({
        WaitForFrames(2),
        Message(WM_KEYDOWN),  // input never closes the preview
        Message(WM_CLOSE),    // the first close is trapped here too
        Action([] {
            EXPECT_TRUE(platform::IsWindowHandle(headless::LastSaverWindow()));
            headless::DestroyWindow(headless::LastSaverWindow());
        }),
    });
    std::string text = "/p " + std::to_string(parent);
    EXPECT_EQ(RunModeDispatcher(text.c_str()), 0);
    EXPECT_TRUE(IsPreview);
    auto lines = LogLines(false);
    EXPECT_TRUE(InOrder(lines, {"[WM_CREATE] Windowed mode", "[WM_CREATE] All object created",
                                "[STATE] Trapped WM_CLOSE message (NT bugfix)",
                                "[STATE] WM_DESTROY detected",
                                "[StopErrorMsg] DEBUG SESSION TERMINATED"}));
    EXPECT_TRUE(EverythingReleased());
    EXPECT_TRUE(platform::IsWindowHandle(parent));
    EXPECT_EQ(headless::CursorImageHides(), 0);  // the preview leaves the cursor alone
}

TEST_F(SaverRun, AFailedStartShowsOneBoxAndEndsWithoutALoop) {
    std::filesystem::remove(directory / "glyph2.ani");
    headless::ScriptInput({Message(WM_KEYDOWN)});
    EXPECT_EQ(RunModeDispatcher("/s"), RunSaverFailed);
    EXPECT_EQ(headless::DeliveredScriptSteps(), 0);
    auto boxes = headless::RecordedMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text.substr(0, 36), "Unable to load glyph animation file.");
    EXPECT_TRUE(EverythingReleased());
    EXPECT_GE(headless::CursorDisplayCounter(), 0);
}

TEST_F(SaverRun, ScriptRunningOutEndsTheLoopWithItsOwnCode) {
    headless::ScriptInput({WaitForFrames(1)});
    EXPECT_EQ(RunModeDispatcher("/s"), headless::ScriptExhaustedExitCode);
    EXPECT_TRUE(platform::IsWindowHandle(headless::LastSaverWindow()));
    // The fixture's tear-down destroys the window the way a close would.
    saver = headless::LastSaverWindow();
}

}  // namespace
}  // namespace vorlix
