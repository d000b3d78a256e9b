// Cover windows over the monitors beside the exclusive display: topmost popups that never take
// the activation, each showing a 16-bit device-independent bitmap through GDI, so nothing of
// DirectDraw's exclusive mode on the primary is touched.
#include "platform/cover_window.h"

#include <windows.h>

#include <atomic>
#include <new>

#include "platform/win32/handles.h"

namespace vorlix::platform {

namespace {

constexpr char CoverClassName[] = "VorlixMonitorCover";
constexpr char CoverTitle[] = "Vorlix";
constexpr DWORD CoverStyle = WS_POPUP | WS_CLIPSIBLINGS;
constexpr DWORD CoverExStyle = WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW;

// A BITMAPINFO with room for the three colour masks of BI_BITFIELDS.
struct MaskedBitmapInfo {
    BITMAPINFOHEADER header;
    DWORD masks[3];
};

HINSTANCE Module() {
    return GetModuleHandleA(nullptr);
}

LRESULT CALLBACK CoverClassProc(HWND window, UINT message, WPARAM w, LPARAM l);

bool RegisterCoverClass() {
    static bool registered = false;
    if (registered) return true;
    WNDCLASSA windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = CoverClassProc;
    windowClass.hInstance = Module();
    windowClass.hCursor = nullptr;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = CoverClassName;
    registered = RegisterClassA(&windowClass) != 0;
    return registered;
}

class GdiCoverWindow final : public CoverWindow {
  public:
    explicit GdiCoverWindow(const CoverLayout& layout) : layout_(layout) {}
    ~GdiCoverWindow() override {
        if (window_ == nullptr) return;
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
    GdiCoverWindow(const GdiCoverWindow&) = delete;
    GdiCoverWindow& operator=(const GdiCoverWindow&) = delete;

    // The window over the monitor, then its picture; a picture that cannot be had leaves the
    // window black.
    bool Make() {
        if (!RegisterCoverClass()) return false;
        const ScreenRect& m = layout_.monitor;
        HWND made =
            CreateWindowExA(CoverExStyle, CoverClassName, CoverTitle, CoverStyle, m.left, m.top,
                            m.right - m.left, m.bottom - m.top, nullptr, nullptr, Module(), this);
        window_ = made;
        if (made == nullptr) return false;
        MakePicture();
        ShowWindow(window_, SW_SHOWNOACTIVATE);
        UpdateWindow(window_);
        return true;
    }

    WindowHandle Handle() const override { return FromHwnd(window_); }

    bool Pixels(LockedMemory& memory) override {
        if (!pixels_) return false;
        memory.pixels = pixels_.get();
        memory.pitchBytes = pitchBytes_;
        return true;
    }

    bool Show() override {
        HDC context = GetDC(window_);
        if (context == nullptr) return false;
        const bool shown = Paint(context);
        ReleaseDC(window_, context);
        return shown;
    }

    void LeaveBlack() override {
        black_.store(true);
        InvalidateRect(window_, nullptr, TRUE);
    }

    LRESULT Receive(UINT message, WPARAM w, LPARAM l) {
        if (message == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
        if (message == WM_PAINT) {
            PAINTSTRUCT paint;
            HDC context = BeginPaint(window_, &paint);
            if (context != nullptr) Paint(context);
            EndPaint(window_, &paint);
            return 0;
        }
        if (layout_.procedure == nullptr) return DefWindowProcA(window_, message, w, l);
        return layout_.procedure(FromHwnd(window_), message, w, l);
    }

    void Attach(HWND window) { window_ = window; }

  private:
    void MakePicture() {
        if (layout_.width <= 0 || layout_.height <= 0) return;
        // Rows of a device-independent bitmap start on 4-byte boundaries.
        pitchBytes_ = (layout_.width * 2 + 3) & ~3;
        const std::size_t words = static_cast<std::size_t>(pitchBytes_ / 2) * layout_.height;
        pixels_.reset(new (std::nothrow) std::uint16_t[words]());
        info_.header.biSize = sizeof(BITMAPINFOHEADER);
        info_.header.biWidth = layout_.width;
        info_.header.biHeight = -layout_.height;  // top row first
        info_.header.biPlanes = 1;
        info_.header.biBitCount = 16;
        info_.header.biCompression = BI_BITFIELDS;
        info_.masks[0] = layout_.rgb565 ? 0xF800 : 0x7C00;
        info_.masks[1] = layout_.rgb565 ? 0x07E0 : 0x03E0;
        info_.masks[2] = 0x001F;
    }

    // The picture, zoomed and centred; the rest of the window is the class's black.
    bool Paint(HDC context) {
        if (black_.load() || !pixels_) {
            RECT all;
            GetClientRect(window_, &all);
            return FillRect(context, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))) != 0;
        }
        const ScreenRect& m = layout_.monitor;
        const int width = layout_.width * layout_.zoom;
        const int height = layout_.height * layout_.zoom;
        const int left = (m.right - m.left - width) / 2;
        const int top = (m.bottom - m.top - height) / 2;
        SetStretchBltMode(context, COLORONCOLOR);
        const int rows = StretchDIBits(
            context, left, top, width, height, 0, 0, layout_.width, layout_.height, pixels_.get(),
            reinterpret_cast<const BITMAPINFO*>(&info_), DIB_RGB_COLORS, SRCCOPY);
        // StretchDIBits answers the rows copied: 0, or GDI_ERROR seen as an int, is failure.
        return rows > 0;
    }

    CoverLayout layout_;
    HWND window_ = nullptr;
    std::unique_ptr<std::uint16_t[]> pixels_;
    std::int32_t pitchBytes_ = 0;
    MaskedBitmapInfo info_{};
    std::atomic<bool> black_{false};
};

LRESULT CALLBACK CoverClassProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(l);
        auto* cover = static_cast<GdiCoverWindow*>(create->lpCreateParams);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cover));
        if (cover != nullptr) cover->Attach(window);
    }
    auto* cover = reinterpret_cast<GdiCoverWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (cover == nullptr) return DefWindowProcA(window, message, w, l);
    return cover->Receive(message, w, l);
}

}  // namespace

bool OffersCoverWindows() {
    return true;
}

std::unique_ptr<CoverWindow> CreateCoverWindow(const CoverLayout& layout) {
    std::unique_ptr<GdiCoverWindow> cover(new (std::nothrow) GdiCoverWindow(layout));
    if (!cover || !cover->Make()) return nullptr;
    return cover;
}

}  // namespace vorlix::platform
