#include "rain/draw_thread.h"

#include "diagnostics/debug_log.h"
#include "platform/desktop.h"
#include "rain/frame_drawing.h"
#include "rain/thread_flags.h"

namespace vorlix {

DrawTargets Drawing;

namespace {

constexpr std::uint32_t FrameInterval = 30;  // ms from one frame's start to the next
constexpr std::uint32_t PollInterval = 1;    // ms between looks at the flags
// A pause that lasts is polled less often: each wake-up costs tens of microseconds, which at
// 1 ms would keep a paused saver at a few percent of a core. Resuming stays well within a frame.
constexpr std::uint32_t LongPausePollInterval = 10;
constexpr int ShortPausePolls = 50;
// A clock that stands still must not hold a frame forever; 30 ms need at most a few sleeps.
constexpr int MaxPacingSleeps = 64;
// A refused present is retried at once a few times (a flip just finishing), then with sleeps.
constexpr int ImmediatePresentRetries = 3;

// A lambda rather than a function so the passes inline the test into their loops.
constexpr auto KeepDrawing = [] { return DrawActive.load() != 0; };

// Sleeps until FrameInterval has passed since the last frame began; the difference is
// unsigned so the clock's wrap at 2^32 does not matter.
void PaceFrame() {
    for (int sleeps = 0; sleeps < MaxPacingSleeps; ++sleeps) {
        const std::uint32_t elapsed = platform::MultimediaTime() - LastFrameTime.load();
        if (elapsed >= FrameInterval) break;
        platform::SleepMilliseconds(FrameInterval - elapsed);
    }
    LastFrameTime.store(platform::MultimediaTime());
}

// True when the frame reached the screen. Gives up when drawing is paused or the thread is
// told to end, so a display that keeps refusing cannot hold the window's destruction.
bool PresentFrame(DDrawManager& display, const platform::ChangedArea* changes, bool wide) {
    for (int attempt = 0;; ++attempt) {
        if (display.Present(changes, wide) == 0) return true;
        if (!KeepDrawing() || ThreadAlive.load() != 1) return false;
        if (attempt >= ImmediatePresentRetries) platform::SleepMilliseconds(PollInterval);
    }
}

// The screen's own pixels, where the display offers them for this frame and the glyphs can be
// widened; otherwise null, and the 16-bit back buffer is drawn. Full redraws, kept for
// comparison, always take the 16-bit way.
const WideView* WideTarget(const DrawTargets& targets, DDrawManager& display) {
    if (targets.wide == nullptr || targets.record == nullptr || targets.record->FullRedraw())
        return nullptr;
    const WideView* view = display.GetWideBackBuffer();
    if (view == nullptr) return nullptr;
    if (!targets.wide->Build(*targets.glyphs, display.GetPixelFormat(), display.WideZoom()))
        return nullptr;
    return view;
}

}  // namespace

bool DrawFrame(const DrawTargets& targets) {
    DDrawManager& display = *targets.display;
    const SurfaceView* view = display.GetBackBuffer();
    DrawnFrame drawn = DrawnFrame::All();
    const WideView* wide = nullptr;
    if (view != nullptr && KeepDrawing() && targets.glyphs != nullptr && targets.grid != nullptr) {
        wide = WideTarget(targets, display);
        const FrameBuffers buffers = display.BuffersForFrame(wide != nullptr);
        drawn = wide != nullptr ? DrawRainFrame(*targets.grid, *targets.glyphs, *targets.wide,
                                                *wide, targets.record, buffers, KeepDrawing)
                                : DrawRainFrame(*targets.grid, *targets.glyphs, *view,
                                                targets.record, buffers, KeepDrawing);
    }
    if (!KeepDrawing()) return false;
    return PresentFrame(display, drawn.ForPresent(), wide != nullptr);
}

namespace {

void RunFrame(const DrawTargets& targets) {
    PaceFrame();
    if (DrawFrame(targets)) FramePresented.store(1);
    if (KeepDrawing() && targets.covers != nullptr && targets.glyphs != nullptr)
        DrawCoverFrames(*targets.covers, *targets.glyphs);
}

// Polls the flags while drawing is paused. False when the thread must end.
bool Idle() {
    for (int polls = 0;; ++polls) {
        if (ThreadDrawing.load() == 1) LogMessage("[DrawVorlix] Enter idle loop", LOG_INFO);
        ThreadDrawing.store(0);
        if (ThreadAlive.load() == 0) return false;
        if (DrawActive.load() != 0) return true;
        platform::SleepMilliseconds(polls < ShortPausePolls ? PollInterval : LongPausePollInterval);
    }
}

// DrawActive is left to the window: the idle loop saw it set, and a pause the window asks for
// after that look must not be overwritten here. Whatever showed meanwhile (the desktop, a
// message box, a monitor that was off) may have changed the buffers: all are drawn again.
void Resume() {
    LogMessage("[DrawVorlix] Thread resumed", LOG_INFO);
    if (Drawing.record != nullptr) Drawing.record->ForgetAll();
    ThreadDrawing.store(1);
    MonitorOff.store(0);
}

}  // namespace

void DrawVorlix() {
    LogMessage("[DrawVorlix] Thread created. Drawing Vorlix", LOG_INFO);
    while (ThreadAlive.load() == 1) {
        const std::int32_t active = DrawActive.load();
        if (active == 1 && Drawing.display != nullptr) {
            RunFrame(Drawing);
        } else if (active != 0) {
            // Nothing to draw on yet: look again shortly instead of spinning.
            platform::SleepMilliseconds(PollInterval);
        }
        if (DrawActive.load() == 0 && !Idle()) break;
        if (ThreadDrawing.load() == 0) Resume();
    }
    LogMessage("[DrawVorlix] Thread ended", LOG_INFO);
    ThreadEnded.store(1);
}

bool WaitForThreadEnd(std::uint32_t timeoutMs) {
    const std::uint32_t start = platform::TickCount();
    for (std::uint32_t polls = 0;; ++polls) {
        if (ThreadEnded.load() != 0) return true;
        if (polls >= timeoutMs || platform::TickCount() - start >= timeoutMs) return false;
        platform::SleepMilliseconds(PollInterval);
    }
}

}  // namespace vorlix
