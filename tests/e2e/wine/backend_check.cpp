// Checks the Win32 backend's seam functions against the real system (under Wine): files,
// directories, registry, clocks, thread start, libraries and the DirectDraw device. Prints one
// line per check and exits with the number of failed checks.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/cover_window.h"
#include "platform/desktop.h"
#include "platform/display_device.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/saver_shell.h"
#include "platform/screen_layout.h"

namespace {

using namespace vorlix::platform;

int failures = 0;

void Check(bool ok, const char* what) {
    std::printf("%s  %s\n", ok ? "ok  " : "FAIL", what);
    if (!ok) ++failures;
}

bool EndsWith(const char* text, const char* tail) {
    std::size_t length = std::strlen(text);
    std::size_t tailLength = std::strlen(tail);
    return length >= tailLength && _stricmp(text + length - tailLength, tail) == 0;
}

void Directories() {
    char buffer[1024];
    std::uint32_t length = LogDirectory(buffer, sizeof buffer);
    Check(length > 0 && length == std::strlen(buffer) && EndsWith(buffer, "\\windows"),
          "LogDirectory is the Windows directory");
    Check(DataDirectory(buffer, sizeof buffer) == length, "DataDirectory is the same");
    Check(FallbackDataDirectory(buffer, sizeof buffer) > 0 && EndsWith(buffer, "\\system32"),
          "FallbackDataDirectory is the system directory");
    Check(PrefixDataDirectory(buffer, sizeof buffer) == 0, "there is no prefix data directory");
    Check(LogDirectory(buffer, 3) == 0, "a buffer too small gives 0");
}

std::int64_t FileSize(const char* path) {
    int descriptor = OpenForReading(path);
    if (descriptor < 0) return -1;
    std::int64_t size = SeekDescriptor(descriptor, 0, SeekOrigin::End);
    CloseDescriptor(descriptor);
    return size;
}

void Files() {
    char path[1024];
    LogDirectory(path, sizeof path);
    std::strcat(path, "\\vorlix_backend_check.bin");
    Check(CreateEmptyFile(path) && FileSize(path) == 0, "CreateEmptyFile makes an empty file");

    const char bytes[] =
        "a\nb\r\nc\x1a"
        "d";  // newlines and ^Z must pass unchanged
    const std::uint32_t count = sizeof bytes - 1;
    int writer = OpenForWriting(path);
    Check(writer >= 0 && WriteDescriptor(writer, bytes, count) == count, "WriteDescriptor");
    CloseDescriptor(writer);
    Check(FileSize(path) == count, "binary mode: no newline translation on writing");

    writer = OpenForWriting(path);
    Check(writer >= 0 && FileSize(path) == count, "OpenForWriting never truncates");
    Check(SeekDescriptor(writer, 0, SeekOrigin::End) == count, "SeekDescriptor to the end");
    CloseDescriptor(writer);

    char back[32] = {};
    int reader = OpenForReading(path);
    Check(reader >= 0 && ReadDescriptor(reader, back, sizeof back) == count &&
              std::memcmp(back, bytes, count) == 0,
          "ReadDescriptor gives the bytes back unchanged");
    Check(SeekDescriptor(reader, 2, SeekOrigin::Start) == 2 &&
              ReadDescriptor(reader, back, 1) == 1 && back[0] == 'b',
          "SeekDescriptor from the start");
    Check(ReadDescriptor(reader, back, 0) == 0, "a read of nothing");
    CloseDescriptor(reader);

    Check(CreateEmptyFile(path) && FileSize(path) == 0, "CreateEmptyFile truncates");
    DeleteFileA(path);
    Check(OpenForReading(path) == -1, "a missing file cannot be opened for reading");
    Check(OpenForReading("NUL") == -1 && OpenForWriting("NUL") == -1,
          "a device is not opened as a file");
}

void Registry() {
    const char* path = "Software\\Korvanth\\VorlixBackendCheck";
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, path);
    RegistryKey key = 0;
    bool created = false;
    Check(CreateRegistryKey(RegistryRoot::LocalMachine, path, key, created) && created,
          "CreateRegistryKey creates a missing key");
    std::uint32_t value = 300;
    Check(SetRegistryValue(key, "Density", REG_DWORD, &value, sizeof value), "SetRegistryValue");
    const char text[] = "1024x768";
    Check(SetRegistryValue(key, "Resolution", REG_SZ, text, 8), "a text without terminator");
    CloseRegistryKey(key);

    Check(CreateRegistryKey(RegistryRoot::LocalMachine, path, key, created) && !created,
          "CreateRegistryKey opens an existing key");
    std::uint32_t read = 0;
    std::uint32_t size = sizeof read;
    Check(QueryRegistryValue(key, "Density", &read, size) && size == 4 && read == 300,
          "QueryRegistryValue reads a number");
    char small[2];
    size = sizeof small;
    Check(!QueryRegistryValue(key, "Density", small, size), "a value that does not fit fails");
    size = sizeof read;
    Check(!QueryRegistryValue(key, "Missing", &read, size), "a missing value fails");
    char resolution[20] = {};
    size = sizeof resolution;
    Check(QueryRegistryValue(key, "Resolution", resolution, size) && size >= 8 &&
              std::strncmp(resolution, text, 8) == 0,
          "the text comes back");
    CloseRegistryKey(key);

    Check(OpenRegistryKey(RegistryRoot::LocalMachine, path, true, key), "open for writing");
    value = 400;
    Check(SetRegistryValue(key, "Density", REG_DWORD, &value, sizeof value), "write on it");
    CloseRegistryKey(key);
    Check(OpenRegistryKey(RegistryRoot::CurrentUser, "Control Panel\\Desktop", false, key),
          "the desktop key opens for reading");
    CloseRegistryKey(key);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, path);
    Check(!OpenRegistryKey(RegistryRoot::LocalMachine, path, true, key),
          "a missing key does not open");
}

std::atomic<int> threadRan{0};
void ThreadEntry() {
    threadRan.store(1);
}

void ClocksAndThreads() {
    std::uint32_t tick = TickCount();
    std::uint32_t time = MultimediaTime();
    SleepMilliseconds(50);
    Check(TickCount() - tick >= 30, "TickCount advances across a sleep");
    Check(MultimediaTime() - time >= 30, "MultimediaTime advances across a sleep");
    Check(StartThread(ThreadEntry), "StartThread");
    for (int i = 0; i < 200 && threadRan.load() == 0; ++i) SleepMilliseconds(10);
    Check(threadRan.load() == 1, "the thread ran");
}

void Libraries() {
    Check(!IsWin9xFamily(), "not the Windows 95/98/Me family");
    LibraryHandle kernel = LoadedModule("KERNEL32.DLL");
    Check(kernel != 0 && LibraryFunction(kernel, "GetTickCount") != nullptr,
          "a loaded module and its function");
    Check(LibraryFunction(kernel, "NoSuchFunction") == nullptr, "a missing function");
    Check(LoadNamedLibrary("NOSUCHLIBRARY.DLL") == 0, "a missing library");
    Check(LoadedModule("MPR.DLL") == 0, "LoadedModule never loads");
    Check(RegisterNamedMessage("QueryCancelAutoPlay") >= 0xC000, "a registered message");
}

void Display() {
    DesktopMode mode = ReadDesktopMode();
    std::printf("      desktop %dx%dx%d\n", mode.width, mode.height, mode.bitsPerPixel);
    Check(mode.width > 0 && mode.height > 0 && mode.bitsPerPixel == 16, "ReadDesktopMode");
    std::unique_ptr<DisplayDevice> device = CreateDisplayDevice();
    Check(device != nullptr, "CreateDisplayDevice");
    if (!device) return;
    Check(device->SetCooperativeLevel(0, false) == DeviceResult::Ok, "windowed level");
    std::unique_ptr<DisplaySurface> primary;
    Check(device->CreatePrimary(false, primary) == DeviceResult::Ok, "desktop primary");
    PixelMasks masks;
    Check(primary && primary->PixelFormat(masks) == DeviceResult::Ok && masks.green == 0x07E0 &&
              masks.bitsPerPixel == 16,
          "5-6-5 pixel format");
    std::unique_ptr<DisplaySurface> surface;
    Check(device->CreateOffscreen(64, 32, surface) == DeviceResult::Ok, "off-screen surface");
    if (!surface) return;
    LockedMemory memory;
    Check(surface->Lock(memory) == DeviceResult::Ok && memory.pixels != nullptr &&
              memory.pitchBytes >= 128,
          "Lock gives memory and pitch");
    LockedMemory again;
    DeviceResult second = surface->Lock(again);
    std::printf("      second lock: %d\n", static_cast<int>(second));
    Check(second != DeviceResult::Ok && second != DeviceResult::Failed,
          "a second lock is told apart from failure (busy)");
    Check(surface->Unlock() == DeviceResult::Ok, "Unlock");
    Check(surface->FillBlack() == DeviceResult::Ok, "FillBlack");
    Check(surface->SetColorKey(0xF81F) == DeviceResult::Ok, "SetColorKey");
    std::uint32_t caps = 0;
    Check(surface->Capabilities(caps) == DeviceResult::Ok &&
              (caps & (CapsSystemMemory | CapsVideoMemory)) != 0,
          "Capabilities");
    Check(!surface->IsLost(), "IsLost on a fresh surface");
    std::unique_ptr<DisplayClipper> clipper;
    Check(device->CreateClipper(clipper) == DeviceResult::Ok && clipper &&
              clipper->SetWindow(reinterpret_cast<vorlix::WindowHandle>(GetDesktopWindow())) ==
                  DeviceResult::Ok,
          "clipper");
    Check(primary->SetClipper(*clipper) == DeviceResult::Ok, "SetClipper");
    std::unique_ptr<DisplaySurface> none;
    Check(primary->AttachedBackBuffer(none) != DeviceResult::Ok && !none,
          "no back buffer on a desktop primary");
}

}  // namespace

vorlix::LResult PassOn(vorlix::WindowHandle window, vorlix::MessageId message, vorlix::WParam w,
                       vorlix::LParam l) {
    return DefWindowProcA(reinterpret_cast<HWND>(window), message, w, l);
}

// The monitors and a cover window over one: the primary first, a picture that shows.
void Monitors() {
    vorlix::MonitorInfo monitors[4];
    const int count = ReadMonitors(monitors, 4);
    Check(count >= 1, "ReadMonitors finds a monitor");
    if (count < 1) return;
    const vorlix::ScreenRect& primary = monitors[0].bounds;
    Check(primary.left == 0 && primary.top == 0 && primary.right > 0 && primary.bottom > 0,
          "ReadMonitors puts the primary, at 0,0, first");
    Check(ReadMonitors(monitors, 0) == 0, "ReadMonitors with no room gives 0");
    Check(OffersCoverWindows(), "cover windows are offered");

    CoverLayout layout;
    layout.monitor = vorlix::ScreenRect{0, 0, 64, 48};
    layout.width = 32;
    layout.height = 24;
    layout.zoom = 2;
    layout.procedure = PassOn;
    std::unique_ptr<CoverWindow> cover = CreateCoverWindow(layout);
    Check(cover != nullptr, "CreateCoverWindow");
    if (!cover) return;
    HWND window = reinterpret_cast<HWND>(cover->Handle());
    Check(IsWindowVisible(window) && GetForegroundWindow() != window,
          "the cover shows without taking the activation");
    Check((GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, "the cover is topmost");
    LockedMemory memory;
    Check(cover->Pixels(memory) && memory.pixels != nullptr && memory.pitchBytes == 64,
          "its picture: 32 pixels a row, 4-byte aligned");
    Check(cover->Show(), "Show puts the picture on it");
    cover->LeaveBlack();
    Check(cover->Show(), "a cover left black still shows");
    layout.width = layout.height = 0;
    std::unique_ptr<CoverWindow> black = CreateCoverWindow(layout);
    Check(black != nullptr && !black->Pixels(memory), "a black cover has no picture");
    cover.reset();
    Check(!IsWindow(window), "the cover's window goes with it");
}

int main() {
    Directories();
    Files();
    Registry();
    ClocksAndThreads();
    Libraries();
    Display();
    Monitors();
    std::printf("%d failed\n", failures);
    return failures;
}
