#include "platform/headless/cover_windows.h"

#include <algorithm>
#include <mutex>
#include <new>

#include "platform/headless/locked_record.h"
#include "platform/headless/window_manager.h"

namespace vorlix::headless {

namespace {

// Show runs on the draw thread while tests read the states: everything under one lock.
struct Covers {
    std::mutex lock;
    bool offered = false;
    int made = 0;  // windows asked for since the reset
    int failWindow = -1;
    int failPixels = -1;
    int failShow = -1;
    std::vector<CoverState*> alive;
};

Covers& TheCovers() {
    static Covers covers;
    return covers;
}

class MemoryCover final : public platform::CoverWindow {
  public:
    MemoryCover(const platform::CoverLayout& layout, bool pixels, bool failShow)
        : failShow_(failShow) {
        state_.layout = layout;
        if (pixels && layout.width > 0 && layout.height > 0)
            pixels_.assign(static_cast<std::size_t>(layout.width) * layout.height, 0);
        state_.hasPixels = !pixels_.empty();
        state_.handle = AddWindow(0, layout.monitor, "Cover", layout.procedure);
        Covers& covers = TheCovers();
        std::lock_guard lock(covers.lock);
        covers.alive.push_back(&state_);
    }
    ~MemoryCover() override {
        {
            Covers& covers = TheCovers();
            std::lock_guard lock(covers.lock);
            covers.alive.erase(std::find(covers.alive.begin(), covers.alive.end(), &state_));
        }
        DestroyWindow(state_.handle);
    }
    MemoryCover(const MemoryCover&) = delete;
    MemoryCover& operator=(const MemoryCover&) = delete;

    WindowHandle Handle() const override { return state_.handle; }

    bool Pixels(platform::LockedMemory& memory) override {
        if (pixels_.empty()) return false;
        memory.pixels = pixels_.data();
        memory.pitchBytes = state_.layout.width * 2;
        return true;
    }

    bool Show() override {
        if (failShow_) return false;
        const int inked = static_cast<int>(
            std::count_if(pixels_.begin(), pixels_.end(), [](std::uint16_t p) { return p != 0; }));
        std::lock_guard lock(TheCovers().lock);
        ++state_.shows;
        state_.inkedPixels = inked;
        return true;
    }

    void LeaveBlack() override {
        std::lock_guard lock(TheCovers().lock);
        state_.black = true;
    }

  private:
    CoverState state_;
    std::vector<std::uint16_t> pixels_;
    bool failShow_;
};

}  // namespace

void ResetCoverWindows() {
    Covers& covers = TheCovers();
    std::lock_guard lock(covers.lock);
    covers.offered = false;
    covers.made = 0;
    covers.failWindow = covers.failPixels = covers.failShow = -1;
}

void OfferCoverWindows(bool offered) { WriteLocked(TheCovers(), &Covers::offered, offered); }

void FailCoverWindow(int number) { WriteLocked(TheCovers(), &Covers::failWindow, number); }

void FailCoverPixels(int number) { WriteLocked(TheCovers(), &Covers::failPixels, number); }

void FailCoverShow(int number) { WriteLocked(TheCovers(), &Covers::failShow, number); }

std::vector<CoverState> CoverWindows() {
    Covers& covers = TheCovers();
    std::lock_guard lock(covers.lock);
    std::vector<CoverState> states;
    for (const CoverState* state : covers.alive) states.push_back(*state);
    return states;
}

}  // namespace vorlix::headless

namespace vorlix::platform {

bool OffersCoverWindows() {
    return headless::ReadLocked(headless::TheCovers(), &headless::Covers::offered);
}

std::unique_ptr<CoverWindow> CreateCoverWindow(const CoverLayout& layout) {
    headless::Covers& covers = headless::TheCovers();
    int number = 0;
    bool pixels = true;
    bool show = true;
    {
        std::lock_guard lock(covers.lock);
        number = covers.made++;
        if (number == covers.failWindow) return nullptr;
        pixels = number != covers.failPixels;
        show = number != covers.failShow;
    }
    return std::unique_ptr<CoverWindow>(new (std::nothrow)
                                            headless::MemoryCover(layout, pixels, !show));
}

}  // namespace vorlix::platform
