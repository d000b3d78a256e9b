#include "rain/rain_reset.h"

#include "rain/draw_thread.h"
#include "rain/random.h"
#include "rain/thread_flags.h"

namespace vorlix {

namespace {

// The generator's state before anything seeds it.
constexpr std::uint32_t StartSeed = 1;

}  // namespace

// The same values thread_flags.cpp starts them with.
void ResetRainState() {
    DrawActive.store(0);
    ThreadAlive.store(1);
    ThreadEnded.store(0);
    FramePresented.store(0);
    MonitorOff.store(0);
    ThreadDrawing.store(1);
    LastFrameTime.store(0);
    Drawing = DrawTargets{};
    SeedRandom(StartSeed);
}

}  // namespace vorlix
