// The display manager's table of colour-keyed off-screen surfaces.
#include "diagnostics/debug_log.h"
#include "display/ddraw_manager.h"
#include "platform/desktop.h"

namespace vorlix {
namespace {

using platform::DeviceResult;

constexpr const char* CreateFailed = "[DDrawManager::CreateOffSurface] Unable to create surface";
constexpr const char* ColorKeyFailed = "[DDrawManager::CreateOffSurface] Unable to set color key";
constexpr const char* CapsFailed =
    "[DDrawManager::CreateOffSurface] Unable to get surface capabilities";
constexpr const char* InVideoMemory =
    "[DDrawManager::CreateOffSurface] Surface in local video memory";
constexpr const char* NotInVideoMemory =
    "[DDrawManager::CreateOffSurface] Offscreen surface not in video RAM -> Releasing surface";

// Magenta: red and blue full, green 0.
constexpr std::uint16_t MagentaKey555 = 0x7C1F;
constexpr std::uint16_t MagentaKey565 = 0xF81F;

bool Transient(DeviceResult result) {
    return result == DeviceResult::Busy || result == DeviceResult::Pending;
}

}  // namespace

int DDrawManager::AddOffSurface(std::int32_t width, std::int32_t height) {
    if (notReady_ || offCount_ >= MaxOffSurfaces) return -1;
    int index = offCount_;
    if (!CreateOffSurface(index, width, height)) return -1;
    offWidths_[index] = width;
    offHeights_[index] = height;
    return index;
}

// Entries are only ever added at the end of the table, so that 0 .. OffCount - 1 all hold one.
bool DDrawManager::CreateOffSurface(int index, std::int32_t width, std::int32_t height) {
    if (notReady_ || index != offCount_ || index >= MaxOffSurfaces) return false;
    std::unique_ptr<platform::DisplaySurface>& entry = offSurfaces_[index];
    if (device_->CreateOffscreen(width, height, entry) != DeviceResult::Ok) {
        entry.reset();
        LogMessage(CreateFailed, LOG_ERROR);
        return false;
    }
    ++offCount_;
    std::uint16_t key = pixelFormat_ == Rgb555 ? MagentaKey555 : MagentaKey565;
    if (entry->SetColorKey(key) != DeviceResult::Ok) {
        DropOffSurface(index);
        LogMessage(ColorKeyFailed, LOG_ERROR);
        return false;
    }
    std::uint32_t caps = 0;
    if (entry->Capabilities(caps) != DeviceResult::Ok) {
        DropOffSurface(index);
        LogMessage(CapsFailed, LOG_ERROR);
        return false;
    }
    if ((caps & platform::CapsLocalVideoMemory) == 0) {
        DropOffSurface(index);
        LogMessage(NotInVideoMemory, LOG_INFO);
        return false;
    }
    offWidths_[index] = width;
    offHeights_[index] = height;
    LogMessage(InVideoMemory, LOG_SPAM);
    return true;
}

void DDrawManager::DropOffSurface(int index) {
    offSurfaces_[index].reset();
    --offCount_;
}

bool DDrawManager::HoldsOffSurface(int index) const {
    return index >= 0 && index < offCount_ && offSurfaces_[index] != nullptr;
}

DeviceResult DDrawManager::LockOffRetrying(platform::DisplaySurface& surface,
                                           platform::LockedMemory& memory) {
    DeviceResult result = surface.Lock(memory);
    for (int attempt = 1; attempt < OffSurfaceAttempts && Transient(result); ++attempt) {
        platform::SleepMilliseconds(1);
        result = surface.Lock(memory);
    }
    return result;
}

SurfaceView* DDrawManager::LockOffSurface(int index) {
    if (notReady_ || !HoldsOffSurface(index)) return nullptr;
    platform::DisplaySurface& surface = *offSurfaces_[index];
    if (surface.IsLost()) surface.Restore();
    platform::LockedMemory memory;
    DeviceResult result = LockOffRetrying(surface, memory);
    if (result == DeviceResult::Lost) {
        if (surface.Restore() != DeviceResult::Ok) return nullptr;
        result = LockOffRetrying(surface, memory);
    }
    if (result != DeviceResult::Ok) return nullptr;
    offView_.pixels = static_cast<std::uint16_t*>(memory.pixels);
    offView_.width = offWidths_[index];
    offView_.height = offHeights_[index];
    offView_.pitch = memory.pitchBytes / 2;
    return &offView_;
}

void DDrawManager::UnlockOffSurface(int index) {
    if (notReady_ || !HoldsOffSurface(index)) return;
    offSurfaces_[index]->Unlock();
}

// Repeats only while the display is busy: a lost or refused blit does not come right by
// asking again (the next Present restores the back buffer; the image's owner redraws it).
void DDrawManager::BltOffSurface(std::int32_t x, std::int32_t y, int index) {
    if (!backBuffer_ || !HoldsOffSurface(index)) return;
    ScreenRect from{0, 0, offWidths_[index], offHeights_[index]};
    platform::DisplaySurface& source = *offSurfaces_[index];
    DeviceResult result = backBuffer_->CopyKeyedFrom(source, x, y, from);
    for (int attempt = 1; attempt < OffSurfaceAttempts && Transient(result); ++attempt) {
        platform::SleepMilliseconds(1);
        result = backBuffer_->CopyKeyedFrom(source, x, y, from);
    }
    ForgetDrawnBuffer();
}

bool DDrawManager::IsBltBusy() {
    if (!backBuffer_) return false;
    return backBuffer_->BlitStatus() != DeviceResult::Ok;
}

void DDrawManager::ClearBackBuffer() {
    if (notReady_) return;
    backBuffer_->FillBlack();
    ForgetDrawnBuffer();
}

}  // namespace vorlix
