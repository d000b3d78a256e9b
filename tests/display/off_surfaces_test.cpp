// The display manager's table of colour-keyed off-screen surfaces.
#include "display_fixture.h"

namespace vorlix::display_test {
namespace {

using headless::DisplayOp;
using headless::Role;
using platform::DeviceResult;

const char* const NotInVideoMemory =
    "[DDrawManager::CreateOffSurface] Offscreen surface not in video RAM -> Releasing surface";

class OffSurfaces : public DisplayTest {
protected:
    void Ready(headless::DisplayLayout layout = headless::DisplayLayout::Rgb565) {
        headless::SetDisplayLayout(layout);
        ASSERT_TRUE(manager_.CreateDirectDraw(FullScreenWindow(), 64, 48, true));
        headless::ClearDisplayCalls();
    }
    DDrawManager manager_;
};

TEST_F(OffSurfaces, RefusedBeforeSetUp) {
    EXPECT_EQ(manager_.GetBackBuffer(), nullptr);
    EXPECT_EQ(manager_.AddOffSurface(8, 8), -1);
    EXPECT_FALSE(manager_.CreateOffSurface(0, 8, 8));
    EXPECT_EQ(manager_.LockOffSurface(0), nullptr);
    manager_.ClearBackBuffer();
    EXPECT_EQ(headless::DisplayCalls().size(), 0u);
}

TEST_F(OffSurfaces, TableHoldsTwoHundred) {
    Ready();
    for (int i = 0; i < MaxOffSurfaces; ++i) ASSERT_EQ(manager_.AddOffSurface(4, 4), i);
    EXPECT_EQ(manager_.OffCount(), MaxOffSurfaces);
    headless::ClearDisplayCalls();
    EXPECT_EQ(manager_.AddOffSurface(4, 4), -1);
    EXPECT_FALSE(manager_.CreateOffSurface(MaxOffSurfaces, 4, 4));
    EXPECT_EQ(headless::DisplayCalls().size(), 0u);
    EXPECT_EQ(manager_.OffCount(), MaxOffSurfaces);
    EXPECT_TRUE(Logged("LOG_SPAM: ", "[DDrawManager::CreateOffSurface] Surface in local video memory"));
}

TEST_F(OffSurfaces, SurfaceOutsideLocalVideoMemoryIsReleasedAndItsIndexGivenAgain) {
    Ready();
    ASSERT_EQ(manager_.AddOffSurface(8, 8), 0);
    int live = headless::LiveObjects();
    for (headless::Placement placement :
         {headless::Placement::SystemMemory, headless::Placement::NonLocalVideo}) {
        headless::SetOffscreenPlacement(placement);
        EXPECT_EQ(manager_.AddOffSurface(8, 8), -1);
        EXPECT_EQ(manager_.OffCount(), 1);
        EXPECT_EQ(headless::LiveObjects(), live);
    }
    EXPECT_TRUE(Logged("LOG_INFO: ", NotInVideoMemory));
    EXPECT_EQ(LastErrorLevel(), LOG_INFO);  // nothing for a message box
    headless::SetOffscreenPlacement(headless::Placement::LocalVideo);
    EXPECT_EQ(manager_.AddOffSurface(8, 8), 1);
}

struct CreationFailure {
    DisplayOp op;
    const char* line;
};

TEST_F(OffSurfaces, CreationFailuresReleaseTheSurface) {
    Ready();
    const CreationFailure failures[] = {
        {DisplayOp::CreateOffscreen, "[DDrawManager::CreateOffSurface] Unable to create surface"},
        {DisplayOp::SetColorKey, "[DDrawManager::CreateOffSurface] Unable to set color key"},
        {DisplayOp::Capabilities,
         "[DDrawManager::CreateOffSurface] Unable to get surface capabilities"},
    };
    int live = headless::LiveObjects();
    for (const CreationFailure& failure : failures) {
        headless::InjectFault(failure.op, DeviceResult::Failed, 1);
        EXPECT_EQ(manager_.AddOffSurface(8, 8), -1);
        EXPECT_EQ(std::string(LastErrorText().Text()), failure.line);
        EXPECT_TRUE(Logged("LOG_ERROR: ", failure.line));
        EXPECT_EQ(manager_.OffCount(), 0);
        EXPECT_EQ(headless::LiveObjects(), live);
    }
    EXPECT_EQ(manager_.AddOffSurface(8, 8), 0);
}

TEST_F(OffSurfaces, ColourKeyIsMagentaOfTheLayout555) {
    Ready(headless::DisplayLayout::Rgb555);
    ASSERT_EQ(manager_.AddOffSurface(8, 8), 0);
    std::vector<headless::DisplayCall> keys = headless::DisplayCalls(DisplayOp::SetColorKey);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].a, 0x7C1F);
}

TEST_F(OffSurfaces, ColourKeyIsMagentaOfTheLayout565) {
    Ready(headless::DisplayLayout::Rgb565);
    ASSERT_EQ(manager_.AddOffSurface(8, 8), 0);
    std::vector<headless::DisplayCall> keys = headless::DisplayCalls(DisplayOp::SetColorKey);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].a, 0xF81F);
}

TEST_F(OffSurfaces, LockRefusesBadIndexes) {
    Ready();
    EXPECT_EQ(manager_.LockOffSurface(0), nullptr);  // no surfaces at all
    ASSERT_EQ(manager_.AddOffSurface(8, 8), 0);
    EXPECT_EQ(manager_.LockOffSurface(-1), nullptr);
    EXPECT_EQ(manager_.LockOffSurface(1), nullptr);  // OffCount
    EXPECT_EQ(manager_.LockOffSurface(MaxOffSurfaces), nullptr);
    manager_.UnlockOffSurface(-1);
    manager_.UnlockOffSurface(1);
    EXPECT_EQ(CallCount(DisplayOp::Lock), 0);
    EXPECT_EQ(CallCount(DisplayOp::Unlock), 0);
}

TEST_F(OffSurfaces, OnlyTheNextIndexCanBeCreated) {
    Ready();
    EXPECT_FALSE(manager_.CreateOffSurface(5, 8, 8));
    EXPECT_FALSE(manager_.CreateOffSurface(-1, 8, 8));
    EXPECT_EQ(manager_.OffCount(), 0);
    EXPECT_TRUE(manager_.CreateOffSurface(0, 6, 2));
    SurfaceView* view = manager_.LockOffSurface(0);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->width, 6);
    EXPECT_EQ(view->height, 2);
    manager_.UnlockOffSurface(0);
}

TEST_F(OffSurfaces, LockedViewReportsTheRequestedSize) {
    headless::SetRowPaddingBytes(10);
    Ready();
    ASSERT_EQ(manager_.AddOffSurface(13, 7), 0);
    SurfaceView* view = manager_.LockOffSurface(0);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->width, 13);
    EXPECT_EQ(view->height, 7);
    EXPECT_EQ(view->pitch, 18);  // (26 + 10) / 2
    manager_.UnlockOffSurface(0);
    EXPECT_EQ(CallCount(DisplayOp::Unlock), 1);
}

TEST_F(OffSurfaces, LockWaitsWhileBusyWithABound) {
    Ready();
    ASSERT_EQ(manager_.AddOffSurface(8, 8), 0);
    headless::InjectFault(DisplayOp::Lock, DeviceResult::Busy, 3, Role::Offscreen);
    ASSERT_NE(manager_.LockOffSurface(0), nullptr);
    manager_.UnlockOffSurface(0);
    headless::ClearDisplayCalls();
    headless::InjectFault(DisplayOp::Lock, DeviceResult::Pending, headless::Always,
                          Role::Offscreen);
    EXPECT_EQ(manager_.LockOffSurface(0), nullptr);
    EXPECT_EQ(CallCount(DisplayOp::Lock), OffSurfaceAttempts);
}

TEST_F(OffSurfaces, LostSurfaceIsRestoredBeforeLocking) {
    Ready();
    ASSERT_EQ(manager_.AddOffSurface(8, 8), 0);
    headless::LoseSurfaces();
    EXPECT_NE(manager_.LockOffSurface(0), nullptr);
    manager_.UnlockOffSurface(0);
    headless::InjectFault(DisplayOp::Lock, DeviceResult::Lost, 1, Role::Offscreen);
    headless::InjectFault(DisplayOp::Restore, DeviceResult::Failed, 1, Role::Offscreen);
    EXPECT_EQ(manager_.LockOffSurface(0), nullptr);
}

TEST_F(OffSurfaces, BlitLeavesOutTheKey) {
    Ready();
    ASSERT_EQ(manager_.AddOffSurface(2, 1), 0);
    SurfaceView* sprite = manager_.LockOffSurface(0);
    ASSERT_NE(sprite, nullptr);
    sprite->pixels[0] = 0xF81F;
    sprite->pixels[1] = 0x07E0;
    manager_.UnlockOffSurface(0);
    SurfaceView* back = manager_.GetBackBuffer();
    back->pixels[back->pitch * 3 + 10] = 0x0001;
    manager_.BltOffSurface(10, 3, 0);
    EXPECT_EQ(back->pixels[back->pitch * 3 + 10], 0x0001);
    EXPECT_EQ(back->pixels[back->pitch * 3 + 11], 0x07E0);
    EXPECT_FALSE(manager_.IsBltBusy());
    manager_.ClearBackBuffer();
    EXPECT_EQ(back->pixels[back->pitch * 3 + 11], 0);
}

TEST_F(OffSurfaces, BlitRetriesWhileBusyAndGivesUp) {
    Ready();
    ASSERT_EQ(manager_.AddOffSurface(2, 2), 0);
    headless::InjectFault(DisplayOp::CopyKeyedFrom, DeviceResult::Busy, 2);
    manager_.BltOffSurface(0, 0, 0);
    EXPECT_EQ(CallCount(DisplayOp::CopyKeyedFrom), 3);

    headless::ClearDisplayCalls();
    headless::InjectFault(DisplayOp::CopyKeyedFrom, DeviceResult::Pending, headless::Always);
    manager_.BltOffSurface(0, 0, 0);
    EXPECT_EQ(CallCount(DisplayOp::CopyKeyedFrom), OffSurfaceAttempts);
    headless::ClearFaults();

    headless::ClearDisplayCalls();
    headless::InjectFault(DisplayOp::CopyKeyedFrom, DeviceResult::Lost, headless::Always);
    manager_.BltOffSurface(0, 0, 0);
    EXPECT_EQ(CallCount(DisplayOp::CopyKeyedFrom), 1);

    headless::ClearDisplayCalls();
    manager_.BltOffSurface(0, 0, 1);  // not an index the table gave out
    manager_.BltOffSurface(0, 0, -1);
    EXPECT_EQ(CallCount(DisplayOp::CopyKeyedFrom), 0);
}

TEST_F(OffSurfaces, BlitBusyWhileTheBackBufferSaysSo) {
    Ready();
    headless::InjectFault(DisplayOp::BlitStatus, DeviceResult::Pending, 1);
    EXPECT_TRUE(manager_.IsBltBusy());
    EXPECT_FALSE(manager_.IsBltBusy());
}

}  // namespace
}  // namespace vorlix::display_test
