#include "rain/thread_flags.h"

namespace vorlix {

std::atomic<std::int32_t> DrawActive{0};
std::atomic<std::int32_t> ThreadAlive{1};
std::atomic<std::uint8_t> ThreadEnded{0};
std::atomic<std::int32_t> FramePresented{0};
std::atomic<std::uint8_t> MonitorOff{0};
std::atomic<std::uint8_t> ThreadDrawing{1};
std::atomic<std::uint32_t> LastFrameTime{0};

}  // namespace vorlix
