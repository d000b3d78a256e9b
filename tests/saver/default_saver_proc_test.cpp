#include <gtest/gtest.h>

#include "platform/desktop.h"
#include "platform/headless/clock.h"
#include "platform/headless/saver_shell.h"
#include "platform/headless/window_manager.h"
#include "platform/window_messages.h"
#include "saver/default_saver_proc.h"
#include "saver/saver_state.h"
#include "support/fresh_process.h"

namespace vorlix {
namespace {

std::int32_t RefusingVerifier(WindowHandle) { return 0; }

class DefaultSaver : public testing::FreshProcessTest {
protected:
    void SetUp() override {
        window = headless::AddWindow(0, ScreenRect{0, 0, 640, 480}, "Screen Saver",
                                     DefaultSaverProc);
        LastCursorPos = ScreenPoint{100, 100};
        headless::SetCursorPoint(LastCursorPos);
    }

    LResult Send(MessageId message, WParam w = 0, LParam l = 0) {
        return DefaultSaverProc(window, message, w, l);
    }
    LResult MoveTo(std::int32_t x, std::int32_t y) {
        headless::SetCursorPoint(ScreenPoint{x, y});
        return Send(WM_MOUSEMOVE);
    }
    int ClosesPosted() {
        int closes = 0;
        for (const auto& message : headless::PendingMessages())
            if (message.message == WM_CLOSE && message.window == window) ++closes;
        return closes;
    }
    void Drain() {
        headless::PostedMessage message;
        while (headless::TakePostedMessage(message)) {}
    }
    bool PassedToDefault(MessageId message) {
        for (const auto& call : headless::RecordedWindowCalls("DefaultWindowProc"))
            if (call.message == message) return true;
        return false;
    }
    void UseVerifier() {
        IsWin9x = true;
        headless::ScriptPasswordAnswers({});
        VerifyProc = reinterpret_cast<PasswordVerifier>(headless::FakeVerifyScreenSavePwd());
    }

    WindowHandle window = 0;
};

TEST_F(DefaultSaver, MouseMovesCloseOnlyBeyondFourPixels) {
    EXPECT_EQ(MoveTo(103, 101), 0);  // 3 + 1
    EXPECT_EQ(ClosesPosted(), 0);
    EXPECT_EQ(LastCursorPos.x, 100);
    MoveTo(100, 96);  // 0 + 4
    EXPECT_EQ(ClosesPosted(), 0);
    MoveTo(104, 101);  // 4 + 1
    EXPECT_EQ(ClosesPosted(), 1);
    EXPECT_EQ(LastCursorPos.x, 104);
    EXPECT_EQ(LastCursorPos.y, 101);
    EXPECT_TRUE(PassedToDefault(WM_MOUSEMOVE));
}

TEST_F(DefaultSaver, SmallMovesAddUp) {
    MoveTo(103, 100);
    EXPECT_EQ(ClosesPosted(), 0);
    MoveTo(106, 100);
    EXPECT_EQ(ClosesPosted(), 1);
}

TEST_F(DefaultSaver, NegativeDistancesCount) {
    MoveTo(97, 98);
    EXPECT_EQ(ClosesPosted(), 1);
}

TEST_F(DefaultSaver, KeysButtonsAndTheWheelCloseKeyUpAndCharactersDoNot) {
    for (MessageId message : {WM_KEYUP, WM_CHAR, WM_LBUTTONUP, WM_TIMER, WM_PAINT}) {
        Send(message, 'A');
        EXPECT_EQ(ClosesPosted(), 0) << message;
    }
    for (MessageId message : {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN,
                              WM_MBUTTONDOWN, WM_XBUTTONDOWN, WM_MOUSEWHEEL, WM_POWERBROADCAST}) {
        Drain();
        Send(message, 'A');
        EXPECT_EQ(ClosesPosted(), 1) << message;
        EXPECT_TRUE(PassedToDefault(message));
    }
}

TEST_F(DefaultSaver, DeactivationAndCriticalResumeClose) {
    Send(WM_ACTIVATEAPP, 1);
    Send(WM_POWER, 1);
    EXPECT_EQ(ClosesPosted(), 0);
    Send(WM_ACTIVATEAPP, 0);
    EXPECT_EQ(ClosesPosted(), 1);
    Drain();
    Send(WM_POWER, PWR_CRITICALRESUME);
    EXPECT_EQ(ClosesPosted(), 1);
}

TEST_F(DefaultSaver, CursorIsHiddenOnShowAndSetCursor) {
    Send(WM_SHOWWINDOW, 0);
    EXPECT_EQ(headless::CursorImageHides(), 0);
    Send(WM_SHOWWINDOW, 1);
    EXPECT_EQ(headless::CursorImageHides(), 1);
    EXPECT_EQ(Send(WM_SETCURSOR), 1);
    EXPECT_EQ(headless::CursorImageHides(), 2);
    EXPECT_FALSE(PassedToDefault(WM_SETCURSOR));
}

TEST_F(DefaultSaver, PreviewClosingAndPasswordCheckSuspendTheRules) {
    for (bool* flag : {&IsPreview, &IsClosing, &InPasswordCheck}) {
        *flag = true;
        Send(WM_KEYDOWN);
        MoveTo(300, 300);
        EXPECT_EQ(ClosesPosted(), 0);
        EXPECT_EQ(Send(WM_SETCURSOR), 0);  // default handling
        *flag = false;
        headless::SetCursorPoint(LastCursorPos);
    }
}

TEST_F(DefaultSaver, NtClosesAtOnceAndLeavesVerifyToDefault) {
    EXPECT_EQ(Send(SCRM_VERIFYPW), 0);
    EXPECT_TRUE(PassedToDefault(SCRM_VERIFYPW));
    Send(WM_CLOSE);
    EXPECT_FALSE(platform::IsWindowHandle(window));
}

TEST_F(DefaultSaver, Win9xWithoutVerifierClosesAndAnswersVerifyWithOne) {
    IsWin9x = true;
    EXPECT_EQ(Send(SCRM_VERIFYPW), 1);
    Send(WM_CLOSE);
    EXPECT_TRUE(IsClosing);
    EXPECT_FALSE(platform::IsWindowHandle(window));
}

TEST_F(DefaultSaver, WrongPasswordRefusesAndRechecksOnlyAfter200Ms) {
    UseVerifier();
    headless::UseVirtualClock(5000);
    headless::ScriptPasswordAnswers({0, 1});
    for (int i = 0; i < 3; ++i) platform::PostWindowMessage(window, WM_TIMER, 1, 0);
    headless::SetCursorPoint(ScreenPoint{150, 160});

    EXPECT_EQ(Send(WM_CLOSE), 0);
    EXPECT_EQ(headless::PasswordChecks(), 1);
    EXPECT_TRUE(platform::IsWindowHandle(window));
    EXPECT_FALSE(IsClosing);
    EXPECT_FALSE(InPasswordCheck);
    EXPECT_EQ(LastCheckTick, 5000u);
    EXPECT_EQ(LastCursorPos.x, 150);  // moves are measured from here again
    EXPECT_EQ(headless::CursorImageHides(), 1);
    EXPECT_EQ(headless::RecordedWindowCalls("RemovePendingMessage").size(), 2u);
    EXPECT_EQ(headless::PendingMessages().size(), 1u);  // two of the three timers removed

    headless::SetVirtualTime(5199);
    EXPECT_EQ(Send(WM_CLOSE), 0);
    EXPECT_EQ(headless::PasswordChecks(), 1);  // refused without asking

    headless::SetVirtualTime(5200);
    Send(WM_CLOSE);
    EXPECT_EQ(headless::PasswordChecks(), 2);
    EXPECT_TRUE(IsClosing);
    EXPECT_FALSE(platform::IsWindowHandle(window));
}

TEST_F(DefaultSaver, RecheckDelaySurvivesTheClockWrap) {
    UseVerifier();
    headless::UseVirtualClock(0xFFFFFFF0u);
    EXPECT_EQ(VerifyPassword(window), 0);
    EXPECT_EQ(LastCheckTick, 0xFFFFFFF0u);
    headless::SetVirtualTime(0x60);  // 0x70 ms later
    EXPECT_EQ(VerifyPassword(window), 0);
    EXPECT_EQ(headless::PasswordChecks(), 1);
    headless::SetVirtualTime(0xB8);  // 200 ms later
    VerifyPassword(window);
    EXPECT_EQ(headless::PasswordChecks(), 2);
}

TEST_F(DefaultSaver, VerifyRunsThroughTheWindowAndAnswersTheVerifier) {
    UseVerifier();
    headless::ScriptPasswordAnswers({7});
    EXPECT_EQ(Send(SCRM_VERIFYPW), 7);
    VerifyProc = RefusingVerifier;
    EXPECT_EQ(VerifyPassword(window), 0);
    auto sends = headless::RecordedWindowCalls("SendWindowMessage");
    ASSERT_EQ(sends.size(), 1u);
    EXPECT_EQ(sends[0].message, SCRM_VERIFYPW);
}

TEST_F(DefaultSaver, NoCheckWhileOneRunsOrAfterClosingWasAllowed) {
    UseVerifier();
    InPasswordCheck = true;
    EXPECT_EQ(VerifyPassword(window), 0);
    InPasswordCheck = false;
    IsClosing = true;
    EXPECT_EQ(VerifyPassword(window), 0);
    EXPECT_EQ(headless::PasswordChecks(), 0);
}

TEST_F(DefaultSaver, AutoPlayAnswersOneOnlyWithAVerifier) {
    AutoPlayMessage = 0xC123;
    EXPECT_EQ(Send(0xC123), 0);
    EXPECT_EQ(ClosesPosted(), 1);
    Drain();
    UseVerifier();
    EXPECT_EQ(Send(0xC123), 1);
    EXPECT_EQ(ClosesPosted(), 1);
    Drain();
    IsPreview = true;  // in every mode
    EXPECT_EQ(Send(0xC123), 1);
    EXPECT_EQ(ClosesPosted(), 1);
    EXPECT_FALSE(PassedToDefault(0xC123));
}

}  // namespace
}  // namespace vorlix
