#include <gtest/gtest.h>

#include <string>

#include "platform/desktop.h"
#include "platform/headless/registry.h"
#include "platform/headless/saver_shell.h"
#include "platform/headless/window_manager.h"
#include "platform/window_messages.h"
#include "saver/framework.h"
#include "saver/saver_state.h"
#include "saver/switch_text.h"
#include "support/fresh_process.h"

namespace vorlix {
namespace {

using headless::DialogStep;

TEST(SwitchText, StepsOverTheProgramNameAndTheBlanksAfterIt) {
    EXPECT_STREQ(SwitchText("vorlix.scr /s"), "/s");
    EXPECT_STREQ(SwitchText("\"C:\\Program Files\\vorlix.scr\"   /p 1234"), "/p 1234");
    EXPECT_STREQ(SwitchText("\"C:\\a b\\vorlix.scr\"/c:77"), "/c:77");
    EXPECT_STREQ(SwitchText("vorlix.scr\t\x01 -s"), "-s");
    EXPECT_STREQ(SwitchText("\"unterminated name /s"), "");
    EXPECT_STREQ(SwitchText("vorlix.scr"), "");
    EXPECT_STREQ(SwitchText(""), "");
    EXPECT_STREQ(SwitchText(nullptr), "");
}

TEST(SwitchText, ReadsWindowHandlesAsDecimalDigits) {
    EXPECT_EQ(ParseWindowHandle("1234"), 1234u);
    EXPECT_EQ(ParseWindowHandle("56 78"), 56u);
    EXPECT_EQ(ParseWindowHandle("0x10"), 0u);
    EXPECT_EQ(ParseWindowHandle(""), 0u);
    EXPECT_EQ(ParseWindowHandle(":12"), 0u);
    EXPECT_EQ(ParseWindowHandle("99999999999999999999999999"), 0u);  // does not fit: none
}

struct SwitchCase {
    const char* text;
    SaverMode mode;
    WindowHandle window;
    bool foregroundFallback;
};

class SwitchTable : public ::testing::TestWithParam<SwitchCase> {};

TEST_P(SwitchTable, NamesItsMode) {
    const SwitchCase& c = GetParam();
    SwitchRequest request = ParseSwitch(c.text);
    EXPECT_EQ(request.mode, c.mode) << '"' << c.text << '"';
    EXPECT_EQ(request.window, c.window) << '"' << c.text << '"';
    EXPECT_EQ(request.foregroundFallback, c.foregroundFallback) << '"' << c.text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Switches, SwitchTable,
    ::testing::Values(
        SwitchCase{"", SaverMode::Configure, 0, false},
        SwitchCase{"  -/ ", SaverMode::Configure, 0, false},
        SwitchCase{"s", SaverMode::FullScreen, 0, false},
        SwitchCase{"/s", SaverMode::FullScreen, 0, false},
        SwitchCase{"-S", SaverMode::FullScreen, 0, false},
        SwitchCase{"//s", SaverMode::FullScreen, 0, false},
        SwitchCase{" - / -s whatever", SaverMode::FullScreen, 0, false},
        SwitchCase{"/x", SaverMode::Invalid, 0, false},
        SwitchCase{"/?", SaverMode::Invalid, 0, false},
        SwitchCase{"\t/s", SaverMode::Invalid, 0, false},
        SwitchCase{"/p 1234", SaverMode::Preview, 1234, false},
        SwitchCase{"/P1234", SaverMode::Preview, 1234, false},
        SwitchCase{"/l   88", SaverMode::Preview, 88, false},
        SwitchCase{"/p", SaverMode::Preview, 0, false},
        SwitchCase{"/p 0", SaverMode::Preview, 0, false},
        SwitchCase{"/p:1234", SaverMode::Preview, 0, false},
        SwitchCase{"/c", SaverMode::Configure, 0, true},
        SwitchCase{"/c 1234", SaverMode::Configure, 0, true},
        SwitchCase{"/c:1234", SaverMode::Configure, 1234, true},
        SwitchCase{"-C:", SaverMode::Configure, 0, true},
        SwitchCase{"/a 55", SaverMode::ChangePassword, 55, true},
        SwitchCase{"a", SaverMode::ChangePassword, 0, true}));

class Dispatcher : public testing::FreshProcessTest {
protected:
    void SetUp() override {
        existing = headless::AddWindow(0, ScreenRect{10, 20, 410, 320}, "Display", nullptr);
        foreground = headless::AddWindow(0, ScreenRect{0, 0, 100, 100}, "Desk", nullptr);
        headless::SetForegroundWindow(foreground);
    }
    static std::string Handle(WindowHandle window) { return std::to_string(window); }

    WindowHandle existing = 0;
    WindowHandle foreground = 0;
};

TEST_F(Dispatcher, BadSwitchesAndPreviewHandlesGiveMinusOne) {
    for (const std::string& text : std::vector<std::string>{
             "/x", "/?", "/p", "/p 0", "/p 4000000", "/p:" + Handle(existing)}) {
        EXPECT_EQ(RunModeDispatcher(text.c_str()), -1) << text;
    }
    EXPECT_EQ(headless::SaverClassRegistrations(), 0);
    EXPECT_EQ(headless::DialogRuns(), 0);
}

TEST_F(Dispatcher, PreviewHandleGluedOrSpacedMakesAChildWindow) {
    headless::FailWindowCreation(true);
    for (const std::string& text :
         std::vector<std::string>{"/p " + Handle(existing), "/p" + Handle(existing)}) {
        EXPECT_EQ(RunModeDispatcher(text.c_str()), RunSaverFailed) << text;
        platform::SaverWindowLayout layout = headless::LastSaverWindowLayout();
        EXPECT_EQ(layout.parent, existing);
        EXPECT_FALSE(layout.fullScreen);
        EXPECT_EQ(layout.bounds.right, 400);
        EXPECT_EQ(layout.bounds.bottom, 300);
        EXPECT_EQ(layout.bounds.left, 0);
        EXPECT_EQ(headless::LastSaverWindowTitle(), "Preview");
        EXPECT_TRUE(IsPreview);
    }
}

TEST_F(Dispatcher, EmptySwitchOpensTheDialogWithoutOwner) {
    headless::ScriptDialog({DialogStep{DialogStep::Command, 2, "", false}});
    EXPECT_EQ(RunModeDispatcher(""), 0);
    EXPECT_EQ(headless::LastDialogTemplate(), 2003);
    EXPECT_EQ(headless::LastDialogOwner(), 0u);
}

TEST_F(Dispatcher, ConfigurationOwnerIsTheGivenWindowOrTheForegroundOne) {
    struct Case {
        std::string text;
        WindowHandle owner;
    };
    const Case cases[] = {{"/c", foreground},
                          {"/c " + Handle(existing), foreground},
                          {"/c:" + Handle(existing), existing},
                          {"/c:0", foreground},
                          {"/c:999999", foreground}};
    for (const Case& c : cases) {
        headless::ScriptDialog({DialogStep{DialogStep::Command, 1, "", false}});
        EXPECT_EQ(RunModeDispatcher(c.text.c_str()), 1) << c.text;  // OK: the dialog's 1
        EXPECT_EQ(headless::LastDialogOwner(), c.owner) << c.text;
    }
}

TEST_F(Dispatcher, PasswordChangeOnlyOnWin9x) {
    headless::AddLibrary("MPR.DLL", false,
                         {{"PwdChangePasswordA", headless::FakePwdChangePasswordA()}});
    EXPECT_EQ(RunModeDispatcher(("/a " + Handle(existing)).c_str()), -1);
    EXPECT_TRUE(headless::PasswordChanges().empty());

    headless::SetWin9xFamily(true);
    EXPECT_EQ(RunModeDispatcher(("/a " + Handle(existing)).c_str()), 0);
    EXPECT_EQ(RunModeDispatcher("/a"), 0);
    auto changes = headless::PasswordChanges();
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].provider, "SCRSAVE");
    EXPECT_EQ(changes[0].owner, existing);
    EXPECT_EQ(changes[1].owner, foreground);
    EXPECT_EQ(headless::LoadedLibraries(), 0);
}

TEST_F(Dispatcher, PasswordChangeWithoutTheLibraryDoesNothing) {
    headless::SetWin9xFamily(true);
    EXPECT_EQ(RunModeDispatcher("/a"), 0);
    headless::AddLibrary("MPR.DLL", false, {});
    EXPECT_EQ(RunModeDispatcher("/a"), 0);
    EXPECT_EQ(headless::LibraryLoads("MPR.DLL"), 1);
    EXPECT_EQ(headless::LoadedLibraries(), 0);
}

TEST_F(Dispatcher, FullScreenDefersToARunningSaver) {
    headless::SetRunningSaver(existing);
    headless::SetForegroundWindow(foreground);
    EXPECT_EQ(RunModeDispatcher("/s"), 0);
    EXPECT_EQ(platform::ForegroundWindow(), existing);
    EXPECT_EQ(headless::SaverClassRegistrations(), 0);
}

TEST_F(Dispatcher, FullScreenWindowCoversTheScreenClipBox) {
    headless::SetScreenClipBox(ScreenRect{0, 0, 1280, 1024});
    headless::FailWindowCreation(true);
    EXPECT_EQ(RunModeDispatcher("/s"), RunSaverFailed);
    platform::SaverWindowLayout layout = headless::LastSaverWindowLayout();
    EXPECT_EQ(layout.parent, 0u);
    EXPECT_TRUE(layout.fullScreen);
    EXPECT_EQ(layout.bounds.right, 1280);
    EXPECT_EQ(layout.bounds.bottom, 1024);
    EXPECT_EQ(headless::LastSaverWindowTitle(), "Screen Saver");
    EXPECT_FALSE(IsPreview);
    EXPECT_EQ(AutoPlayMessage, 0u);  // NT: no AutoPlay query
}

TEST_F(Dispatcher, FailedClassRegistrationRunsNoLoop) {
    headless::FailClassRegistration(true);
    headless::SetWin9xFamily(true);
    headless::InstallPasswordVerifier(true);
    EXPECT_EQ(RunModeDispatcher("/s"), RunSaverFailed);
    EXPECT_NE(AutoPlayMessage, 0u);
    EXPECT_EQ(AutoPlayMessage, headless::NamedMessage("QueryCancelAutoPlay"));
    // The verifier was loaded for the run and unloaded after it.
    EXPECT_EQ(headless::ScreenSaverRunningCalls(), (std::vector<bool>{true, false}));
    EXPECT_EQ(headless::LoadedLibraries(), 0);
    EXPECT_EQ(VerifyProc, nullptr);
}

class Verifier : public Dispatcher {};

TEST_F(Verifier, LoadsOnlyOnWin9xWithThePasswordInUse) {
    headless::InstallPasswordVerifier(true);
    LoadPasswordVerifier();  // NT
    EXPECT_EQ(VerifierLibrary, 0u);

    IsWin9x = true;
    LoadPasswordVerifier();
    EXPECT_NE(VerifierLibrary, 0u);
    EXPECT_EQ(reinterpret_cast<void*>(VerifyProc), headless::FakeVerifyScreenSavePwd());
    LoadPasswordVerifier();  // a second load replaces the first
    EXPECT_EQ(headless::LoadedLibraries(), 1);
    UnloadPasswordVerifier();
    EXPECT_EQ(VerifierLibrary, 0u);
    EXPECT_EQ(VerifyProc, nullptr);
    EXPECT_EQ(headless::LoadedLibraries(), 0);
    EXPECT_EQ(headless::ScreenSaverRunningCalls(),
              (std::vector<bool>{true, false, true, false}));
    EXPECT_EQ(headless::OpenRegistryKeys(), 0);
}

TEST_F(Verifier, NoPasswordNoKeyOrNoEntryLoadsNothing) {
    IsWin9x = true;
    LoadPasswordVerifier();  // no desktop key
    headless::InstallPasswordVerifier(false);
    LoadPasswordVerifier();
    EXPECT_EQ(headless::LibraryLoads("PASSWORD.CPL"), 0);

    headless::ResetSaverShell();
    headless::AddLibrary("PASSWORD.CPL", false, {});
    headless::StoreNumber(platform::RegistryRoot::CurrentUser, "Control Panel\\Desktop",
                          "ScreenSaveUsePassword", 1);
    LoadPasswordVerifier();
    EXPECT_EQ(headless::LibraryLoads("PASSWORD.CPL"), 1);
    EXPECT_EQ(headless::LoadedLibraries(), 0);
    EXPECT_EQ(VerifyProc, nullptr);
    EXPECT_TRUE(headless::ScreenSaverRunningCalls().empty());
    EXPECT_EQ(headless::OpenRegistryKeys(), 0);
}

}  // namespace
}  // namespace vorlix
