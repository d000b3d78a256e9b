#include "rain/random.h"

#include <atomic>

namespace vorlix {

namespace {

// Built on the window's thread, then used by the draw thread alone; relaxed access keeps a
// stray call from another thread defined without costing the frame anything.
std::atomic<std::uint32_t> State{1};

}  // namespace

void SeedRandom(std::uint32_t seed) {
    State.store(seed, std::memory_order_relaxed);
}

// The portable linear congruential generator of the C standard's example: 32-bit state, the
// upper bits give 15 usable bits.
std::int32_t Random() {
    const std::uint32_t next = State.load(std::memory_order_relaxed) * 1103515245u + 12345u;
    State.store(next, std::memory_order_relaxed);
    return static_cast<std::int32_t>((next >> 16) & 0x7FFFu);
}

}  // namespace vorlix
