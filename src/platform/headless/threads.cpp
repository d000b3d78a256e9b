#include "platform/headless/threads.h"

#include <atomic>
#include <system_error>
#include <thread>

#include "platform/desktop.h"

namespace vorlix::headless {

namespace {

std::atomic<bool> FailStart{false};
std::atomic<int> Starts{0};

}  // namespace

void FailThreadStart(bool fail) {
    FailStart.store(fail);
}
int ThreadStartCount() {
    return Starts.load();
}
void ResetThreads() {
    FailStart.store(false);
    Starts.store(0);
}

}  // namespace vorlix::headless

namespace vorlix::platform {

bool StartThread(void (*entry)()) {
    if (entry == nullptr || headless::FailStart.load()) return false;
    try {
        std::thread(entry).detach();
    } catch (const std::system_error&) {
        // Out of threads: the caller reports the failure.
        return false;
    }
    headless::Starts.fetch_add(1);
    return true;
}

}  // namespace vorlix::platform
