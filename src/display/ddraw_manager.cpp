#include "display/ddraw_manager.h"

#include "diagnostics/debug_log.h"
#include "glyphs/glyph_images.h"
#include "platform/desktop.h"

namespace vorlix {
namespace {

using platform::DeviceResult;

constexpr const char* DirectDrawMissing =
    "Unable to initialize DirectDraw.\n\nMake sure you have DirectX installed, or go to\n"
    "https://www.microsoft.com/en-us/download/details.aspx?id=35"
    " and download the latest version";
constexpr const char* CooperativeFailed =
    "[DDrawManager::CreateDirectDraw] Unable to set Cooperative Mode";
constexpr const char* DisplayModeFailed =
    "Unable to set display mode. Try a diffrent resolution setting";
constexpr const char* PrimaryFailed =
    "[DDrawManager::CreateDirectDraw] Unable to create primary surface. Make sure\nno other "
    "application is runnin that uses DirectX, or try a diffrent resolution setting.";
constexpr const char* PixelFormatFailed =
    "[DDrawManager::CreateDirectDraw] Unable to get pixel format";
constexpr const char* ColorModeRefused =
    "[DDrawManager::CreateDirectDraw] Color mode not supported";
constexpr const char* Found555 = "[DDrawManager::CreateDirectDraw] Color type 5x5x5 detected";
constexpr const char* Found565 = "[DDrawManager::CreateDirectDraw] Color type 5x6x5 detected";
constexpr const char* ClipperFailed =
    "[DDrawManager::CreateDirectDraw] Unable to create Clipper object";
constexpr const char* ClipperWindowFailed =
    "[DDrawManager::CreateDirectDraw] Clipper not assigned to hWnd";
constexpr const char* ClipperNotSet =
    "[DDrawManager::CreateDirectDraw] Clipper not set on primary surface";
constexpr const char* BackBufferFailed =
    "[DDrawManager::CreateDirectDraw] Unable to create BackBuffer surface";
constexpr const char* WindowedBackBufferFailed =
    "[DDrawManager::CreateDirectDraw] Unable to create BackBuffer surface (not fullscreen)";
constexpr const char* BackBufferLockFailed =
    "[DDrawManager::CreateDirectDraw] Unable to lock BackBuffer surface";
constexpr const char* PresentFailed =
    "[DDrawManager::CreateDirectDraw] Display keeps refusing to show the BackBuffer surface";
constexpr const char* RestoreFailed = "[DDrawManager::Restore] Unable to restore surfaces";
constexpr const char* Restored = "[DDrawManager::Restore] Surfaces restored";

constexpr const char* IncrementalChosen =
    "[DDrawManager::CreateDirectDraw] Incremental frames: each buffer keeps its pixels";
constexpr const char* FullChosen =
    "[DDrawManager::CreateDirectDraw] Full frames: the buffers do not keep their pixels";

constexpr std::int32_t SetupBitsPerPixel = 16;
constexpr std::int32_t MarkerPixels = 4;

// A pattern no glyph frame starts a row with by chance, different for each set-up pass.
std::uint16_t MarkerPixel(int pass, std::int32_t i) {
    return static_cast<std::uint16_t>(0xA53C ^ (pass * 0x1111) ^ (i * 0x0707));
}

void WriteMarker(const SurfaceView& view, int pass) {
    if (view.pixels == nullptr) return;
    for (std::int32_t i = 0; i < MarkerPixels && i < view.width; ++i)
        view.pixels[i] = MarkerPixel(pass, i);
}

bool HoldsMarker(const SurfaceView& view, int pass) {
    if (view.pixels == nullptr) return false;
    for (std::int32_t i = 0; i < MarkerPixels && i < view.width; ++i)
        if (view.pixels[i] != MarkerPixel(pass, i)) return false;
    return true;
}

bool Cleared(const SurfaceView& view) {
    if (view.pixels == nullptr) return false;
    for (std::int32_t i = 0; i < MarkerPixels && i < view.width; ++i)
        if (view.pixels[i] != 0) return false;
    return true;
}

bool Fail(const char* line, LogLevel level = LOG_ERROR) {
    LogMessage(line, level);
    return false;
}

}  // namespace

DDrawManager::DDrawManager() : desktop_(platform::ReadDesktopMode()) {}

DDrawManager::~DDrawManager() {
    if (!device_) return;
    for (auto& surface : offSurfaces_) surface.reset();
    backBuffer_.reset();
    primary_.reset();
    clipper_.reset();
    // A desktop mode that could not be read is not worth setting.
    bool desktopKnown = desktop_.width > 0 && desktop_.height > 0 && desktop_.bitsPerPixel > 0;
    if (fullScreen_ && desktopKnown) {
        device_->SetDisplayMode(desktop_.width, desktop_.height, desktop_.bitsPerPixel);
    }
    device_.reset();
}

bool DDrawManager::CreateDirectDraw(WindowHandle window, std::int32_t width, std::int32_t height,
                                    bool fullScreen) {
    if (device_ || !notReady_) return false;  // once per manager
    window_ = window;
    fullScreen_ = fullScreen;
    width_ = width;
    height_ = height;

    device_ = platform::CreateDisplayDevice();
    if (!device_) return Fail(DirectDrawMissing);
    if (device_->SetCooperativeLevel(window_, fullScreen_) != DeviceResult::Ok) {
        return Fail(CooperativeFailed);
    }
    if (plan_.count > 0 && device_->UseScreenPlan(plan_) != DeviceResult::Ok) {
        return Fail(fullScreen_ ? DisplayModeFailed : PrimaryFailed);
    }
    if (fullScreen_) {
        displayModeChanged_ = true;
        if (device_->SetDisplayMode(width_, height_, SetupBitsPerPixel) != DeviceResult::Ok) {
            displayModeChanged_ = false;
            return Fail(DisplayModeFailed);
        }
    }
    if (device_->CreatePrimary(fullScreen_, primary_) != DeviceResult::Ok) {
        return Fail(PrimaryFailed);
    }
    takesChanges_ = primary_->TakesChangedArea();
    platform::PixelMasks masks;
    if (primary_->PixelFormat(masks) != DeviceResult::Ok) return Fail(PixelFormatFailed);
    if (!CheckPixelLayout(masks)) return false;
    if (!fullScreen_ && !CreateClipper()) return false;
    if (!CreateBackBuffer()) return false;

    if (const char* failure = ProveBuffersKeepFrames()) return Fail(failure);
    LogMessage(keepsFrames_ ? IncrementalChosen : FullChosen, LOG_INFO);
    notReady_ = false;
    return true;
}

// The lock-and-present passes, with a marker written into each buffer: a flip chain that
// exchanges the buffers' memory hands back the buffer of the frame before last, marker and
// all; one that keeps a single buffer hands back the last frame's. A colour fill through the
// back-buffer surface must reach the recorded memory too. Only then may a frame draw over
// what the buffer already shows. Null when done, else the line that says what failed.
const char* DDrawManager::ProveBuffersKeepFrames() {
    backIndex_ = 0;
    keepsFrames_ = false;
    const Generations before = ReadGenerations();
    bool kept = true;
    for (int pass = 0; pass < 2; ++pass) {
        if (!RecordBackView()) return BackBufferLockFailed;
        WriteMarker(backViews_[backIndex_], pass);
        if (!PresentUntilShown()) return PresentFailed;
    }
    oneBufferChain_ = fullScreen_ && backViews_[0].pixels == backViews_[1].pixels;
    if (fullScreen_ && !oneBufferChain_) {
        kept = HoldsMarker(backViews_[0], 0) && HoldsMarker(backViews_[1], 1) && backIndex_ == 0;
    } else {
        kept = HoldsMarker(backViews_[0], 1);
    }
    for (int pass = 0; pass < 2; ++pass) {
        const bool filled = backBuffer_->FillBlack() == DeviceResult::Ok;
        kept = kept && filled && Cleared(backViews_[backIndex_]);
        if (!PresentUntilShown()) return PresentFailed;
    }
    keepsFrames_ = kept && before == ReadGenerations();
    return nullptr;
}

// While the picture runs nothing is reported: a display that is not back yet costs frames,
// and the proof is tried again at the next one.
bool DDrawManager::ProveAgain() {
    const bool proven = ProveBuffersKeepFrames() == nullptr;
    if (!proven) restored_.store(true);
    ForgetBuffers();
    return proven;
}

void DDrawManager::NoteRestore(DeviceResult result) {
    if (result == DeviceResult::Ok) restored_.store(true);
    ForgetBuffers();
}

void DDrawManager::ForgetBuffers() {
    for (auto& generation : generations_) generation.fetch_add(1);
}

void DDrawManager::ForgetDrawnBuffer() {
    const int drawn = DrawnBuffer();
    if (drawn < 0) return ForgetBuffers();
    generations_[drawn].fetch_add(1);
}

DDrawManager::Generations DDrawManager::ReadGenerations() const {
    return {generations_[0].load(), generations_[1].load()};
}

BufferToken DDrawManager::TokenOf(int buffer) const {
    if (buffer < 0) return {};
    return {buffer, generations_[buffer].load()};
}

FrameBuffers DDrawManager::BuffersForFrame(bool wide) {
    const int drawn = DrawnBuffer();
    if (drawn < 0) return {{}, {}, takesChanges_};
    const SurfaceView& back = backViews_[backIndex_];
    const DrawnMemory memory =
        wide ? DrawnMemory{wideView_.pixels, wideView_.width, wideView_.height, wideView_.pitch,
                           true}
             : DrawnMemory{back.pixels, back.width, back.height, back.pitch, false};
    if (drawnMemory_[drawn] != memory) {
        drawnMemory_[drawn] = memory;
        generations_[drawn].fetch_add(1);
    }
    return {TokenOf(drawn), TokenOf(ShownBuffer()), takesChanges_};
}

int DDrawManager::DrawnBuffer() const {
    if (!keepsFrames_) return -1;
    return oneBufferChain_ ? 0 : backIndex_;
}

int DDrawManager::ShownBuffer() const {
    if (!keepsFrames_) return -1;
    if (oneBufferChain_) return 0;
    return fullScreen_ ? 1 - backIndex_ : backIndex_;
}

// Only the green mask decides: five bits at 5..9 or six at 5..10.
bool DDrawManager::CheckPixelLayout(const platform::PixelMasks& masks) {
    std::uint32_t green = masks.green >> 5;
    if (green == 31) {
        pixelFormat_ = Rgb555;
        ActivePixelFormat = pixelFormat_;
        LogMessage(Found555, LOG_SPAM);
        return true;
    }
    if (green == 63) {
        pixelFormat_ = Rgb565;
        ActivePixelFormat = pixelFormat_;
        LogMessage(Found565, LOG_SPAM);
        return true;
    }
    // A preview on a deep desktop ends quietly: there is nobody to show a box to.
    if (!fullScreen_) return false;
    return Fail(ColorModeRefused, LOG_PANIC);
}

bool DDrawManager::CreateClipper() {
    if (device_->CreateClipper(clipper_) != DeviceResult::Ok) return Fail(ClipperFailed);
    if (clipper_->SetWindow(window_) != DeviceResult::Ok) return Fail(ClipperWindowFailed);
    if (primary_->SetClipper(*clipper_) != DeviceResult::Ok) return Fail(ClipperNotSet);
    return true;
}

bool DDrawManager::CreateBackBuffer() {
    if (fullScreen_) {
        if (primary_->AttachedBackBuffer(backBuffer_) != DeviceResult::Ok) {
            return Fail(BackBufferFailed);
        }
        return true;
    }
    if (device_->CreateOffscreen(width_, height_, backBuffer_) != DeviceResult::Ok) {
        return Fail(WindowedBackBufferFailed);
    }
    return true;
}

// Locks the buffer now behind the back-buffer surface once, to learn where its memory is.
// A surface lost meanwhile is restored (the flip chain through its primary) and tried again.
bool DDrawManager::RecordBackView() {
    platform::LockedMemory memory;
    DeviceResult result = DeviceResult::Failed;
    for (int attempt = 0; attempt < SetupAttempts; ++attempt) {
        if (attempt > 0) platform::SleepMilliseconds(1);
        result = backBuffer_->Lock(memory);
        if (result == DeviceResult::Ok) break;
        if (result != DeviceResult::Lost) continue;
        (fullScreen_ ? primary_ : backBuffer_)->Restore();
        ForgetBuffers();
    }
    if (result != DeviceResult::Ok) return false;
    backBuffer_->Unlock();
    SurfaceView& view = backViews_[backIndex_];
    view.pixels = static_cast<std::uint16_t*>(memory.pixels);
    view.width = width_;
    view.height = height_;
    view.pitch = memory.pitchBytes / 2;
    return true;
}

bool DDrawManager::PresentUntilShown() {
    for (int attempt = 0; attempt < SetupAttempts; ++attempt) {
        if (attempt > 0) platform::SleepMilliseconds(1);
        if (Present() == 0) return true;
    }
    return false;
}

SurfaceView* DDrawManager::GetBackBuffer() {
    if (notReady_) return nullptr;
    if (restored_.exchange(false) && !ProveAgain()) return nullptr;
    for (int poll = 0; poll < FlipWaitPolls; ++poll) {
        if (backBuffer_->FlipStatus() != DeviceResult::Pending) break;
        platform::SleepMilliseconds(1);
    }
    return &backViews_[backIndex_];
}

// Only a chain of one buffer: its memory is drawn over frame after frame, as the screen's is.
// Memory made anew is black: every cell is drawn again.
WideView* DDrawManager::GetWideBackBuffer() {
    if (notReady_ || !keepsFrames_ || !oneBufferChain_) return nullptr;
    platform::LockedMemory memory;
    DeviceResult result = backBuffer_->LockWide(memory);
    if (result == DeviceResult::Lost) {
        ForgetBuffers();
        result = backBuffer_->LockWide(memory);
    }
    if (result != DeviceResult::Ok || memory.pixels == nullptr || memory.zoom < 1 ||
        memory.zoom > WideGlyphs::MaxZoom || memory.pitchBytes / 4 < width_ * memory.zoom)
        return nullptr;
    wideZoom_ = memory.zoom;
    wideView_ = WideView{static_cast<std::uint32_t*>(memory.pixels), width_ * wideZoom_,
                         height_ * wideZoom_, memory.pitchBytes / 4};
    return &wideView_;
}

int DDrawManager::Present(const platform::ChangedArea* changes, bool wide) {
    if (!primary_ || !backBuffer_) return 1;
    primary_->SetChangedArea(changes);
    primary_->SetWideFrame(wide);
    return fullScreen_ ? PresentFullScreen() : PresentWindowed();
}

// A lost surface loses its pixels when restored: every buffer is drawn again in full.
int DDrawManager::PresentFullScreen() {
    // The flip chain is restored through its primary: its back buffer was made with it.
    DeviceResult status = backBuffer_->FlipStatus();
    if (status == DeviceResult::Lost) NoteRestore(primary_->Restore());
    if (status != DeviceResult::Ok) return 1;
    DeviceResult flip = primary_->Flip();
    if (flip == DeviceResult::Ok) {
        backIndex_ = (backIndex_ + 1) % 2;
        return 0;
    }
    if (flip == DeviceResult::Lost) NoteRestore(primary_->Restore());
    return 1;
}

// A window that cannot be found on the screen gets no frame.
int DDrawManager::PresentWindowed() {
    ScreenPoint origin;
    if (!platform::ClientToScreen(window_, origin)) return 1;
    ScreenRect to{origin.x, origin.y, origin.x + width_, origin.y + height_};
    ScreenRect from{0, 0, width_, height_};
    DeviceResult result = primary_->CopyFrom(*backBuffer_, to, from);
    if (result == DeviceResult::Ok) return 0;
    if (result != DeviceResult::Lost) return 1;
    DeviceResult restored = primary_->Restore();
    if (restored == DeviceResult::Ok) restored = backBuffer_->Restore();
    NoteRestore(restored);
    return 1;
}

void DDrawManager::FlipToGdi() {
    if (device_) device_->FlipToDesktop();
    ForgetBuffers();
}

bool DDrawManager::Restore() {
    if (!primary_) return Fail(RestoreFailed);
    const DeviceResult result = primary_->Restore();
    NoteRestore(result);
    if (result != DeviceResult::Ok) return Fail(RestoreFailed);
    LogMessage(Restored, LOG_INFO);
    return true;
}

}  // namespace vorlix
