#include <fstream>

#include <gtest/gtest.h>

#include "diagnostics/debug_log.h"
#include "display/ddraw_manager.h"
#include "glyphs/blitters.h"
#include "glyphs/graphics_loader.h"
#include "platform/desktop.h"
#include "platform/headless/headless_host.h"
#include "platform/window_messages.h"
#include "rain/draw_thread.h"
#include "rain/thread_flags.h"
#include "saver/framework.h"
#include "saver/saver_state.h"
#include "saver/screen_saver_proc.h"
#include "saver_test_support.h"
#include "settings/settings_override.h"
#include "settings/settings_store.h"

namespace vorlix {
namespace {

using headless::DisplayOp;
using testing::SaverTest;
using testing::WaitFor;

class SaverWindow : public SaverTest {
protected:
    LResult Send(MessageId message, WParam w = 0, LParam l = 0) {
        return headless::DeliverMessage(saver, message, w, l);
    }
    LResult MoveTo(std::int32_t x, std::int32_t y) {
        headless::SetCursorPoint(ScreenPoint{x, y});
        return Send(WM_MOUSEMOVE);
    }
    static int MovesPassedOn() {
        int passed = 0;
        for (const auto& call : headless::RecordedWindowCalls("DefaultWindowProc"))
            if (call.message == WM_MOUSEMOVE) ++passed;
        return passed;
    }
    static bool ObjectsReleased() {
        return WindowObjects.display == nullptr && WindowObjects.loader == nullptr &&
               WindowObjects.glyphs == nullptr && WindowObjects.grid.Cells == nullptr &&
               Drawing.display == nullptr && headless::LiveObjects() == 0;
    }
};

TEST_F(SaverWindow, FirstCloseIsTrappedSecondPausesAndCloses) {
    ASSERT_NE(CreateFullScreen(), 0u);
    EXPECT_EQ(Send(WM_CLOSE), 0);
    EXPECT_TRUE(platform::IsWindowHandle(saver));
    EXPECT_EQ(DrawActive.load(), 1);
    auto lines = LogLines(true);
    EXPECT_TRUE(InOrder(lines, {"LOG_GOSSIP: [STATE] WM_CLOSE detected",
                                "LOG_INFO: [STATE] Trapped WM_CLOSE message (NT bugfix)"}));

    Send(WM_CLOSE);
    EXPECT_FALSE(platform::IsWindowHandle(saver));
    EXPECT_EQ(DrawActive.load(), 0);
    EXPECT_TRUE(headless::DesktopShown());
    lines = LogLines(true);
    EXPECT_TRUE(InOrder(lines, {"[STATE] Trapped WM_CLOSE message (NT bugfix)",
                                "LOG_GOSSIP: [STATE] WM_CLOSE detected",
                                "LOG_GOSSIP: [STATE] WM_DESTROY detected",
                                "[StopErrorMsg] DEBUG SESSION TERMINATED"}));
    // The thread may end before or after the destroy line: it is told to end first.
    EXPECT_TRUE(InOrder(lines, {"[STATE] Trapped WM_CLOSE message (NT bugfix)",
                                "[DrawVorlix] Thread ended",
                                "[StopErrorMsg] DEBUG SESSION TERMINATED"}));
    EXPECT_TRUE(ObjectsReleased());
}

TEST_F(SaverWindow, FullScreenMovesAreTrappedUntilTheFirstFrameThenFiltered) {
    // Once the display is set up no flip succeeds, so no frame reaches the screen.
    int setupFlips = 0;
    {
        DDrawManager probe;
        ASSERT_TRUE(probe.CreateDirectDraw(0x999, 640, 480, true));
        setupFlips = static_cast<int>(headless::DisplayCalls(DisplayOp::Flip).size());
    }
    headless::ResetDisplay();
    headless::InjectFault(DisplayOp::Flip, platform::DeviceResult::Failed, headless::Always,
                          headless::Role::Any, setupFlips);
    ASSERT_NE(CreateFullScreen(), 0u) << ::testing::PrintToString(LogLines(true));
    ASSERT_TRUE(WindowObjects.display->DisplayModeChanged());
    EXPECT_EQ(MoveTo(400, 400), 0);
    EXPECT_EQ(CursorCaptured, 0);
    EXPECT_TRUE(Contains(LogLines(true), "LOG_INFO: [WM_MOUSEMOVE] Trapped message"));

    FramePresented.store(1);
    LastCursorPos = ScreenPoint{0, 0};  // any move that reaches the rules closes
    MoveTo(300, 300);  // the start point
    EXPECT_EQ(CursorCaptured, 1);
    EXPECT_EQ(StartCursorPos.x, 300);
    MoveTo(302, 301);  // 2 + 1: kept
    EXPECT_EQ(MovesPassedOn(), 0);
    EXPECT_TRUE(headless::PendingMessages().empty());
    MoveTo(302, 302);  // 2 + 2: passed on, and the close rules post WM_CLOSE
    EXPECT_EQ(MovesPassedOn(), 1);
    ASSERT_EQ(headless::PendingMessages().size(), 1u);
    EXPECT_EQ(headless::PendingMessages()[0].message, WM_CLOSE);
    // Drift is measured from the start point, never from the last move: it adds up.
    for (std::int32_t x = 301; x <= 303; ++x) MoveTo(x, 300);
    EXPECT_EQ(MovesPassedOn(), 1);
    MoveTo(304, 300);
    EXPECT_EQ(MovesPassedOn(), 2);
    EXPECT_EQ(StartCursorPos.x, 300);
}

TEST_F(SaverWindow, PreviewMovesAreNeverTrappedButStillFiltered) {
    WindowHandle parent = AddPreviewParent();
    ASSERT_NE(CreatePreview(parent), 0u);
    FramePresented.store(0);
    MoveTo(10, 10);
    EXPECT_EQ(CursorCaptured, 1);
    EXPECT_FALSE(Contains(LogLines(false), "[WM_MOUSEMOVE] Trapped message"));
    MoveTo(12, 11);
    EXPECT_EQ(MovesPassedOn(), 0);
    MoveTo(13, 11);
    EXPECT_EQ(MovesPassedOn(), 1);
    EXPECT_TRUE(headless::PendingMessages().empty());  // the preview never closes on input
}

TEST_F(SaverWindow, PreviewTakesItsSizeFromTheWindowAndSendsNoSize) {
    WindowHandle parent = AddPreviewParent();
    ASSERT_NE(CreatePreview(parent), 0u);
    EXPECT_EQ(Settings.ScreenWidth, 152);
    EXPECT_EQ(Settings.ScreenHeight, 112);
    EXPECT_EQ(ClipRect.right, 152);
    EXPECT_EQ(ClipRect.bottom, 112);
    EXPECT_EQ(FullScreenMode, 0);
    EXPECT_TRUE(headless::RecordedWindowCalls("SendWindowMessage").empty());
    EXPECT_TRUE(InOrder(LogLines(false), {"[DEBUG] Got message WM_CREATE",
                                          "LOG_GOSSIP: [WM_CREATE] Windowed mode"}));
}

TEST_F(SaverWindow, FullScreenSendsTheConfiguredSize) {
    ASSERT_NE(CreateFullScreen(), 0u);
    auto sends = headless::RecordedWindowCalls("SendWindowMessage");
    ASSERT_FALSE(sends.empty());
    EXPECT_EQ(sends[0].message, WM_SIZE);
    EXPECT_EQ(sends[0].l, MakeLParam(640, 480));
    EXPECT_EQ(FullScreenMode, 1);
    EXPECT_EQ(ClipRect.right, 640);
    EXPECT_EQ(WindowObjects.grid.StreamCount, 40);
}

TEST_F(SaverWindow, RunOverridesFollowTheLoadAndAreNotSaved) {
    OverrideDensity(401);
    ASSERT_NE(CreateFullScreen(), 0u);
    EXPECT_EQ(Settings.Density, 400u);
    EXPECT_EQ(WindowObjects.grid.StreamCount, 400);
    headless::StoredValue stored;
    ASSERT_TRUE(headless::FindValue(platform::RegistryRoot::LocalMachine,
                                    "Software\\Korvanth\\Vorlix", "Density", stored));
    EXPECT_EQ(stored.bytes[0], 40);
}

TEST_F(SaverWindow, GlyphFileIsFoundInTheFallbackDirectory) {
    auto data = directory / "empty";
    std::filesystem::create_directories(data);
    std::string dataPath = data.string(), fallback = directory.string();
    headless::SetDirectories(fallback.c_str(), dataPath.c_str(), fallback.c_str());
    ASSERT_NE(CreateFullScreen(), 0u);
    EXPECT_TRUE(Contains(LogLines(true), "[WM_CREATE] Glyph images loaded"));
}

// An unpacked install tree: nothing beside the program, the glyphs in its share folder, and a
// configured directory whose file is broken (and so must never be read).
TEST_F(SaverWindow, PrefixDirectoryIsSearchedBeforeTheConfiguredOne) {
    auto empty = directory / "empty";
    auto prefix = directory / "share";
    auto configured = directory / "configured";
    for (const auto& folder : {empty, prefix, configured})
        std::filesystem::create_directories(folder);
    std::filesystem::rename(directory / "glyph2.ani", prefix / "glyph2.ani");
    std::ofstream(configured / "glyph2.ani") << "not a glyph file";
    std::string log = directory.string(), emptyPath = empty.string();
    std::string prefixPath = prefix.string(), configuredPath = configured.string();
    headless::SetDirectories(log.c_str(), emptyPath.c_str(), configuredPath.c_str());
    headless::SetPrefixDataDirectory(prefixPath.c_str());
    ASSERT_NE(CreateFullScreen(), 0u);
    auto lines = LogLines(true);
    EXPECT_TRUE(Contains(lines, "[WM_CREATE] Glyph images loaded"));
    EXPECT_FALSE(Contains(lines, "[GraphicsLoader::LoadAnimation]"));
}

// Messages handled without a window: the log open as in full screen.
class SaverMessages : public SaverTest {
protected:
    void SetUp() override {
        SaverTest::SetUp();
        InitErrorMsg(true);
        window = headless::AddWindow(0, ScreenRect{0, 0, 640, 480}, "Screen Saver", nullptr);
    }
    LResult Send(MessageId message, WParam w = 0, LParam l = 0) {
        return ScreenSaverProc(window, message, w, l);
    }
    WindowHandle window = 0;
};

TEST_F(SaverMessages, MonitorPowerPausesOncePerPause) {
    DrawActive.store(1);
    Send(WM_SYSCOMMAND, SC_MONITORPOWER, 2);
    EXPECT_EQ(DrawActive.load(), 0);
    EXPECT_EQ(MonitorOff.load(), 1);
    DrawActive.store(1);  // an activation before the thread resumed
    Send(WM_SYSCOMMAND, SC_MONITORPOWER, 2);
    EXPECT_EQ(DrawActive.load(), 1);
    Send(WM_SYSCOMMAND, SC_MONITORPOWER | 1, 2);  // only the whole word counts
    Send(WM_SYSCOMMAND, SC_SCREENSAVE);
    EXPECT_EQ(DrawActive.load(), 1);
    StopErrorMsg();
    int lines = 0;
    for (const auto& line : LogLines(true))
        if (line == "LOG_INFO: [STATE] SC_MONITORPOWER: Monitor shutdown detected") ++lines;
    EXPECT_EQ(lines, 1);
    EXPECT_EQ(headless::RecordedWindowCalls("DefaultWindowProc").size(), 4u);  // all passed on
}

TEST_F(SaverMessages, ActivationMessagesSetAndClearDrawing) {
    Send(WM_ACTIVATE, WA_INACTIVE);
    EXPECT_EQ(DrawActive.load(), 0);
    Send(WM_ACTIVATE, 0x00010000 | WA_CLICKACTIVE);  // minimized flag in the high word
    EXPECT_EQ(DrawActive.load(), 1);
    Send(WM_ENABLE, 0);
    EXPECT_EQ(DrawActive.load(), 0);
    Send(WM_ENABLE, 1);
    Send(WM_ACTIVATEAPP, 0);
    EXPECT_EQ(DrawActive.load(), 0);
    Send(WM_ACTIVATEAPP, 1);
    EXPECT_EQ(DrawActive.load(), 1);
    Send(SCRM_VERIFYPW);
    StopErrorMsg();
    EXPECT_TRUE(InOrder(LogLines(true), {"LOG_INFO: [STATE] WM_ACTIVE: Deactivated",
                                         "LOG_INFO: [STATE] WM_ACTIVE: Activated",
                                         "LOG_INFO: [STATE] WM_ENABLE: Deactivated",
                                         "LOG_INFO: [STATE] WM_ENABLE: Activated",
                                         "LOG_INFO: [STATE] WM_ACTIVATEAPP: Deactivated",
                                         "LOG_INFO: [STATE] WM_ACTIVATEAPP: Activated",
                                         "LOG_INFO: [SCRM_VERIFYPW] Message detected"}));
}

TEST_F(SaverMessages, DestroyGivesUpOnAThreadThatNeverEnds) {
    headless::UseVirtualClock(1000);  // the bounded wait's sleeps pass at once
    ThreadEnded.store(0);
    auto* display = new DDrawManager;
    WindowObjects.display = display;
    DrawActive.store(1);
    Send(WM_DESTROY);
    headless::UseRealClock();
    EXPECT_EQ(ThreadAlive.load(), 0);
    EXPECT_EQ(DrawActive.load(), 0);
    EXPECT_EQ(WindowObjects.display, display);  // still possibly in use: not freed
    EXPECT_GE(headless::CursorDisplayCounter(), 1);
    EXPECT_TRUE(InOrder(LogLines(true),
                        {"LOG_GOSSIP: [STATE] WM_DESTROY detected",
                         "LOG_WARNING: [WM_DESTROY] Drawing thread did not end; its objects are "
                         "left in place",
                         "[StopErrorMsg] DEBUG SESSION TERMINATED"}));
    WindowObjects.display = nullptr;
    delete display;
}

TEST_F(SaverMessages, EnumChildProcLogsTheTitle) {
    EXPECT_EQ(EnumChildProc(0, 0), 0);
    EXPECT_EQ(EnumChildProc(window, 0), 1);
    StopErrorMsg();
    EXPECT_TRUE(Contains(LogLines(true), "LOG_INFO: [EnumChildProc] Found window title Screen Saver"));
}

// ----- A failure at each creation step -----

enum class Step {
    Settings,
    DisplayManager,
    DirectDraw,
    Loader,
    LoaderScratch,
    GlyphsMissing,
    TooFewGlyphs,
    EmptyGlyphs,
    WrongGlyphVersion,
    Grid,
    Thread,
};

struct CreationFailure {
    const char* name;
    Step step;
    const char* boxText;  // empty: a box whose text the display manager chose
};

class CreationFailures : public SaverWindow, public ::testing::WithParamInterface<CreationFailure> {
protected:
    void Arm(Step step) {
        switch (step) {
        case Step::Settings:
            headless::FailRegistryCall(headless::RegistryCall::Create);
            break;
        case Step::DisplayManager:
            testing::FailNothrowAllocation(sizeof(DDrawManager));
            break;
        case Step::DirectDraw:
            headless::InjectFault(DisplayOp::Create, platform::DeviceResult::Failed,
                                  headless::Always);
            break;
        case Step::Loader:
            testing::FailNothrowAllocation(sizeof(GraphicsLoader));
            break;
        case Step::LoaderScratch:
            testing::FailNothrowAllocation(GraphicsLoader::ScratchCapacity *
                                           sizeof(std::uint16_t));
            break;
        case Step::GlyphsMissing:
            std::filesystem::remove(directory / "glyph2.ani");
            break;
        case Step::TooFewGlyphs:
            testing::WriteGlyphFile(directory / "glyph2.ani", 54, 8, 8);
            break;
        case Step::EmptyGlyphs:
            testing::WriteGlyphFile(directory / "glyph2.ani", 60, 0, 8);
            break;
        case Step::WrongGlyphVersion: {
            testing::WriteGlyphFile(directory / "glyph2.ani", 55, 8, 8);
            std::fstream file(directory / "glyph2.ani",
                              std::ios::binary | std::ios::in | std::ios::out);
            file.seekp(4);
            file.put(3);
            break;
        }
        case Step::Grid: {
            RainGrid probe;
            ASSERT_TRUE(BuildRainGrid(probe, 640, 480, 8, 8, 40, 8));
            testing::FailNothrowAllocation(static_cast<std::size_t>(probe.Columns) * probe.Rows *
                                           sizeof(GlyphCell));
            FreeRainGrid(probe);
            break;
        }
        case Step::Thread:
            headless::FailThreadStart(true);
            break;
        }
    }
};

TEST_P(CreationFailures, ReleaseEverythingAndReturnMinusOne) {
    const CreationFailure& failure = GetParam();
    int threadsBefore = headless::ThreadStartCount();
    Arm(failure.step);
    EXPECT_EQ(CreateFullScreen(), 0u);
    // The shell destroyed the window at once: WM_DESTROY found ThreadEnded set.
    EXPECT_EQ(headless::WindowCount(), 0);
    EXPECT_EQ(ThreadEnded.load(), 1);
    EXPECT_EQ(headless::ThreadStartCount(), threadsBefore);
    EXPECT_EQ(DrawActive.load(), 0);
    EXPECT_TRUE(ObjectsReleased());
    EXPECT_GE(headless::CursorDisplayCounter(), 0);
    EXPECT_EQ(headless::CurrentDisplayMode().width, 1024);
    EXPECT_TRUE(headless::QuitPosted());

    auto boxes = headless::RecordedMessageBoxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes[0].caption, "Vorlix");
    if (*failure.boxText != '\0') {
        EXPECT_EQ(boxes[0].text, failure.boxText);
    }
    if (failure.step == Step::Settings) {
        EXPECT_TRUE(LogLines(true).empty());  // the log is never started
        return;
    }
    auto lines = LogLines(true);
    if (*failure.boxText != '\0' && std::string(failure.boxText).find('\n') == std::string::npos) {
        EXPECT_TRUE(Contains(lines, std::string("LOG_ERROR: ") + failure.boxText));
    }
    EXPECT_TRUE(InOrder(lines, {"[WM_CREATE] Fullscreen mode", "[STATE] WM_DESTROY detected",
                                "[StopErrorMsg] DEBUG SESSION TERMINATED"}));
    EXPECT_FALSE(Contains(lines, "[DrawVorlix]"));
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, CreationFailures,
    ::testing::Values(
        CreationFailure{"Settings", Step::Settings,
                        "[WinMain] Unable to open/create software registry key"},
        CreationFailure{"DisplayManager", Step::DisplayManager,
                        "[WM_CREATE] Unable to allocate memory for main DDrawManager object"},
        CreationFailure{"DirectDraw", Step::DirectDraw, ""},
        CreationFailure{"Loader", Step::Loader, "[WM_CREATE] Unable to create Loader object"},
        CreationFailure{"LoaderScratch", Step::LoaderScratch,
                        "[WM_CREATE] Unable to create Loader object"},
        CreationFailure{"GlyphsMissing", Step::GlyphsMissing,
                        "Unable to load glyph animation file.\n\nMake sure you have unzipped "
                        "both the files\n\"vorlix.scr\" and \"glyph2.ani\"\nto your Windows "
                        "directory\n\nPlease do NOT send me questions on how\nto use a zip "
                        "utility or any other similar\nquestions. Thanks."},
        CreationFailure{"TooFewGlyphs", Step::TooFewGlyphs,
                        "[WM_CREATE] Glyph animation file holds fewer than 55 frames or empty "
                        "frames"},
        // The loader refuses a file that is there but unusable; its reason is what the user
        // sees, not the advice for a missing file.
        CreationFailure{"EmptyGlyphs", Step::EmptyGlyphs,
                        "[GraphicsLoader::LoadAnimation] Empty frame in animation file, found "
                        "0x8"},
        CreationFailure{"WrongGlyphVersion", Step::WrongGlyphVersion,
                        "[GraphicsLoader::LoadAnimation] Wrong file format version, found 3"},
        CreationFailure{"Grid", Step::Grid, "[WM_CREATE] Unable to allocate memory for Vorlix"},
        CreationFailure{"Thread", Step::Thread, "[WM_CREATE] Unable to start drawing thread"}),
    [](const ::testing::TestParamInfo<CreationFailure>& info) { return info.param.name; });

}  // namespace
}  // namespace vorlix
