#pragma once
// Flags shared by the window thread and the draw thread. Each is one atomic word or byte.
#include <atomic>
#include <cstdint>

namespace vorlix {

extern std::atomic<std::int32_t> DrawActive;      // 1: frames may be drawn; 0: idle
extern std::atomic<std::int32_t> ThreadAlive;     // the thread runs while 1
extern std::atomic<std::uint8_t> ThreadEnded;     // the thread has finished (or never started)
extern std::atomic<std::int32_t> FramePresented;  // at least one frame reached the screen
extern std::atomic<std::uint8_t> MonitorOff;      // monitor switch-off seen in this pause
extern std::atomic<std::uint8_t> ThreadDrawing;   // 1 drawing, 0 idling
extern std::atomic<std::uint32_t> LastFrameTime;  // clock reading when the frame began

}  // namespace vorlix
