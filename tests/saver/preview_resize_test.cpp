#include <gtest/gtest.h>

#include "display/ddraw_manager.h"
#include "glyphs/blitters.h"
#include "platform/headless/headless_host.h"
#include "platform/window_messages.h"
#include "rain/draw_thread.h"
#include "rain/thread_flags.h"
#include "saver/screen_saver_proc.h"
#include "saver_test_support.h"
#include "settings/settings_store.h"

namespace vorlix {
namespace {

using testing::SaverTest;
using testing::WaitFor;

class PreviewResize : public SaverTest {
protected:
    LResult Send(MessageId message, WParam w = 0, LParam l = 0) {
        return headless::DeliverMessage(saver, message, w, l);
    }
};

TEST_F(PreviewResize, PreviewRebuildsDisplayAndGridAtTheNewSizeAndDrawsOn) {
    ASSERT_NE(CreatePreview(AddPreviewParent()), 0u);
    ASSERT_TRUE(WaitFor([] { return FramePresented.load() != 0; }));
    const std::int32_t cellWidth = WindowObjects.grid.CellWidth;
    const std::int32_t columnsBefore = WindowObjects.grid.Columns;

    Send(WM_SIZE, 0, MakeLParam(304, 224));

    EXPECT_EQ(Settings.ScreenWidth, 304);
    EXPECT_EQ(Settings.ScreenHeight, 224);
    EXPECT_EQ(ClipRect.right, 304);
    EXPECT_EQ(ClipRect.bottom, 224);
    ASSERT_NE(WindowObjects.display, nullptr);
    EXPECT_EQ(WindowObjects.display->BackView(0).width, 304);
    EXPECT_EQ(WindowObjects.display->BackView(0).height, 224);
    EXPECT_GT(WindowObjects.grid.Columns, columnsBefore);
    EXPECT_GE(WindowObjects.grid.Columns * cellWidth, 304);
    EXPECT_EQ(Drawing.display, WindowObjects.display);
    EXPECT_EQ(Drawing.grid, &WindowObjects.grid);
    EXPECT_EQ(DrawActive.load(), 1);
    EXPECT_EQ(ThreadEnded.load(), 0);
    EXPECT_TRUE(Contains(LogLines(false), "[WM_SIZE] Preview window resized, rebuilding"));

    // The new thread draws: wait for another thread start and a frame of the new size.
    FramePresented.store(0);
    EXPECT_TRUE(WaitFor([] { return FramePresented.load() != 0; }));
}

TEST_F(PreviewResize, SameSizeAndFullScreenChangeNothing) {
    ASSERT_NE(CreateFullScreen(), 0u);
    DDrawManager* display = WindowObjects.display;
    Send(WM_SIZE, 0, MakeLParam(320, 200));
    EXPECT_EQ(WindowObjects.display, display);
    EXPECT_EQ(Settings.ScreenWidth, 640);
    EXPECT_FALSE(Contains(LogLines(true), "[WM_SIZE] Preview window resized, rebuilding"));
}

TEST_F(PreviewResize, PausedPreviewStaysPausedAfterTheRebuild) {
    ASSERT_NE(CreatePreview(AddPreviewParent()), 0u);
    Send(WM_ACTIVATEAPP, 0);
    ASSERT_EQ(DrawActive.load(), 0);
    Send(WM_SIZE, 0, MakeLParam(Settings.ScreenWidth, Settings.ScreenHeight));
    EXPECT_FALSE(Contains(LogLines(false), "[WM_SIZE] Preview window resized, rebuilding"));
    Send(WM_SIZE, 0, MakeLParam(100, 80));
    EXPECT_EQ(Settings.ScreenWidth, 100);
    EXPECT_EQ(DrawActive.load(), 0);
    Send(WM_ACTIVATEAPP, 1);
    FramePresented.store(0);
    EXPECT_TRUE(WaitFor([] { return FramePresented.load() != 0; }));
}

}  // namespace
}  // namespace vorlix
