#include <gtest/gtest.h>

#include <cstdint>

#include "glyphs/binary_file.h"
#include "platform/desktop.h"
#include "platform/headless/headless_host.h"
#include "platform/posix/file_faults.h"
#include "platform/registry.h"
#include "platform/saver_shell.h"
#include "platform/window_messages.h"
#include "support/fresh_process.h"
#include "support/temp_directory.h"

namespace vorlix {
namespace {

void NoWork() {}
void AnyReading(std::uint32_t) {}
LResult NoAnswer(WindowHandle, MessageId, WParam, LParam) { return 0; }

class HostReset : public testing::FreshProcessTest {};

// A service left faulted by one test would fail the next in ways far from the cause.
TEST_F(HostReset, EveryFaultClockAndCountIsBackToTheStart) {
    testing::TempDirectory dir;
    headless::UseVirtualClock(500);
    headless::SetClockReadHook(AnyReading);
    platform::SleepMilliseconds(10);
    ASSERT_TRUE(platform::StartThread(NoWork));
    headless::FailThreadStart(true);
    posix::FailOpensForWriting(5);
    posix::StallWrites(true);
    headless::FailPosting(true);
    headless::FailCursorPosition(true);
    headless::FailRegistryCall(headless::RegistryCall::Create);
    headless::FailClassRegistration(true);
    headless::SetMessageBoxAnswer(IDCANCEL);
    headless::SetDirectories(nullptr, nullptr, nullptr);

    headless::ResetHost();

    EXPECT_FALSE(headless::VirtualClockInUse());
    EXPECT_EQ(headless::SleepCount(), 0u);
    EXPECT_EQ(headless::ThreadStartCount(), 0);
    EXPECT_TRUE(platform::StartThread(NoWork));
    BinaryFile file(dir.File("written.bin").c_str(), FileMode::Write);
    EXPECT_EQ(file.Status(), FileOk);
    EXPECT_EQ(file.Write("x", 1), FileOk);  // not held up by a stall
    WindowHandle window = headless::AddWindow(0, ScreenRect{0, 0, 10, 10}, "w", nullptr);
    EXPECT_TRUE(platform::PostWindowMessage(window, WM_CLOSE, 0, 0));
    ScreenPoint point{7, 7};
    EXPECT_TRUE(platform::CursorPosition(point));
    EXPECT_EQ(point.x, 0);
    platform::RegistryKey key = 0;
    bool created = false;
    EXPECT_TRUE(platform::CreateRegistryKey(platform::RegistryRoot::LocalMachine, "K", key,
                                            created));
    EXPECT_TRUE(created);
    platform::CloseRegistryKey(key);
    EXPECT_TRUE(platform::RegisterSaverClass(NoAnswer));
    EXPECT_EQ(platform::ShowMessageBox(0, "text", "caption", MB_OK), IDOK);
    char directory[16] = {};
    EXPECT_EQ(platform::LogDirectory(directory, sizeof directory), 1u);
    EXPECT_STREQ(directory, ".");
}

}  // namespace
}  // namespace vorlix
