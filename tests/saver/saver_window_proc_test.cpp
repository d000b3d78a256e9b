#include <gtest/gtest.h>

#include "platform/desktop.h"
#include "platform/headless/window_manager.h"
#include "platform/window_messages.h"
#include "rain/thread_flags.h"
#include "saver/framework.h"
#include "saver/saver_state.h"
#include "support/fresh_process.h"

namespace vorlix {
namespace {

class SaverRouting : public testing::FreshProcessTest {
protected:
    void SetUp() override {
        parent = headless::AddWindow(0, ScreenRect{0, 0, 400, 300}, "Display", nullptr);
        window = headless::AddWindow(0, ScreenRect{0, 0, 640, 480}, "Screen Saver", nullptr);
    }
    LResult Send(MessageId message, WParam w = 0, LParam l = 0) {
        return SaverWindowProc(window, message, w, l);
    }
    static int DefaultCalls(MessageId message) {
        int calls = 0;
        for (const auto& call : headless::RecordedWindowCalls("DefaultWindowProc"))
            if (call.message == message) ++calls;
        return calls;
    }

    WindowHandle parent = 0;
    WindowHandle window = 0;
};

TEST_F(SaverRouting, TitleNeverChanges) {
    EXPECT_EQ(Send(WM_SETTEXT), 0);
    EXPECT_EQ(DefaultCalls(WM_SETTEXT), 0);
}

TEST_F(SaverRouting, FullScreenSwallowsWindowSwitchingAndAnotherSaverStart) {
    for (WParam command : {SC_NEXTWINDOW, SC_PREVWINDOW, SC_SCREENSAVE}) {
        EXPECT_EQ(Send(WM_SYSCOMMAND, command), 0);
    }
    EXPECT_EQ(DefaultCalls(WM_SYSCOMMAND), 0);
    Send(WM_SYSCOMMAND, 0xF020);  // minimize goes on
    EXPECT_EQ(DefaultCalls(WM_SYSCOMMAND), 1);
    IsPreview = true;
    Send(WM_SYSCOMMAND, SC_SCREENSAVE);
    EXPECT_EQ(DefaultCalls(WM_SYSCOMMAND), 2);
}

TEST_F(SaverRouting, PreviewForwardsHelpToItsParent) {
    IsPreview = true;
    window = headless::AddWindow(parent, ScreenRect{10, 10, 162, 122}, "Preview", nullptr);
    EXPECT_EQ(Send(WM_HELP, 0, 1234), 1);
    EXPECT_EQ(Send(WM_CONTEXTMENU, 0, 5678), 1);
    auto posted = headless::PendingMessages();
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[0].window, parent);
    EXPECT_EQ(posted[0].message, WM_HELP);
    EXPECT_EQ(posted[0].w, parent);
    EXPECT_EQ(posted[0].l, 1234);
    EXPECT_EQ(posted[1].message, WM_CONTEXTMENU);

    headless::DestroyWindow(parent);  // a vanished parent gets nothing
    EXPECT_EQ(Send(WM_HELP, 0, 1), 1);
    EXPECT_EQ(headless::PendingMessages().size(), 2u);
}

TEST_F(SaverRouting, FullScreenPaintHidesTheCursor) {
    Send(WM_PAINT);
    EXPECT_EQ(headless::CursorImageHides(), 1);
    IsPreview = true;
    Send(WM_PAINT);
    EXPECT_EQ(headless::CursorImageHides(), 1);
}

TEST_F(SaverRouting, OnceClosingPaintTimerAndInputSkipTheProgram) {
    IsClosing = true;
    DrawActive.store(1);
    EXPECT_EQ(Send(WM_TIMER, 1), 0);
    EXPECT_EQ(DefaultCalls(WM_TIMER), 0);
    Send(WM_PAINT);
    EXPECT_EQ(headless::CursorImageHides(), 0);
    EXPECT_EQ(DefaultCalls(WM_PAINT), 1);
    for (MessageId message : {WM_KEYDOWN, WM_SYSKEYDOWN, WM_MOUSEMOVE, WM_LBUTTONDOWN,
                              WM_RBUTTONDOWN, WM_MBUTTONDOWN}) {
        Send(message);
        EXPECT_EQ(DefaultCalls(message), 1) << message;
    }
    EXPECT_TRUE(headless::PendingMessages().empty());
    // Activation still reaches the program's procedure.
    Send(WM_ACTIVATEAPP, 0);
    EXPECT_EQ(DrawActive.load(), 0);
}

}  // namespace
}  // namespace vorlix
