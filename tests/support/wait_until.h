#pragma once
// Waits for another thread's work on the test's own clock, so a virtual platform clock does
// not shorten the bound.
#include <chrono>
#include <thread>

namespace vorlix::testing {

template <class Condition>
bool WaitUntil(Condition condition, std::chrono::seconds limit = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

}  // namespace vorlix::testing
