#include "platform/headless/host_reset.h"

#include "platform/headless/headless_host.h"
#include "platform/posix/file_faults.h"

namespace vorlix::headless {

void ResetHost() {
    ResetWindowManager();
    ResetClock();
    ResetThreads();
    ResetDirectories();
    ResetMessageBoxes();
    ResetDisplay();
    ResetCoverWindows();
    ResetRegistry();
    ResetDialogControls();
    ResetSaverShell();
    posix::FailOpensForWriting(0);
    posix::StallWrites(false);
    posix::CrashAtReplacement(0);
}

}  // namespace vorlix::headless
