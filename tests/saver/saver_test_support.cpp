#include "saver_test_support.h"

#include <atomic>
#include <fstream>
#include <new>
#include <random>

#include "platform/desktop.h"
#include "platform/headless/headless_host.h"
#include "platform/saver_shell.h"
#include "saver/framework.h"
#include "saver/saver_state.h"
#include "settings/settings_store.h"

namespace {

std::atomic<std::size_t> FailingSize{0};

void* NothrowAllocate(std::size_t bytes, bool array) noexcept {
    std::size_t armed = bytes;
    if (bytes != 0 && FailingSize.compare_exchange_strong(armed, 0)) return nullptr;
    try {
        return array ? ::operator new[](bytes) : ::operator new(bytes);
    } catch (...) {
        return nullptr;
    }
}

}  // namespace

// Test-only: lets a test make one of the saver's own allocations fail.
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept {
    return NothrowAllocate(bytes, false);
}
void* operator new[](std::size_t bytes, const std::nothrow_t&) noexcept {
    return NothrowAllocate(bytes, true);
}

namespace vorlix::testing {

void FailNothrowAllocation(std::size_t bytes) { FailingSize.store(bytes); }

void WriteGlyphFile(const std::filesystem::path& path, int frames, int width, int height) {
    std::ofstream file(path, std::ios::binary);
    const unsigned char header[12] = {'G', 'L', 'Y', 'F', 2, static_cast<unsigned char>(frames),
                                      static_cast<unsigned char>(width & 0xFF),
                                      static_cast<unsigned char>(width >> 8),
                                      static_cast<unsigned char>(height & 0xFF),
                                      static_cast<unsigned char>(height >> 8), 0, 0};
    file.write(reinterpret_cast<const char*>(header), sizeof header);
    for (int frame = 0; frame < frames; ++frame) {
        for (int pixel = 0; pixel < width * height; ++pixel) {
            // A green ramp per frame; the blank cell is black.
            unsigned char green = frame == 54 ? 0 : static_cast<unsigned char>(40 + frame * 3);
            const char bgr[3] = {0, static_cast<char>(green), 0};
            file.write(bgr, 3);
        }
    }
}

void SaverTest::SetUp() {
    std::random_device random;
    directory = std::filesystem::temp_directory_path() /
                ("vorlix-saver-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(directory);
    WriteGlyphFile(directory / "glyph2.ani", 55, 8, 8);
    std::string path = directory.string();
    headless::SetDirectories(path.c_str(), path.c_str(), path.c_str());
    headless::SetPrefixDataDirectory(nullptr);
    StoreSettings("640x480", 40, 8);
    headless::SetCursorPoint(ScreenPoint{200, 200});
}

void SaverTest::TearDown() {
    DestroySaver();
    FailNothrowAllocation(0);
    std::error_code ignored;
    std::filesystem::remove_all(directory, ignored);
}

void SaverTest::StoreSettings(const std::string& resolution, std::uint32_t density,
                              std::uint32_t highlight) {
    const char* key = "Software\\Korvanth\\Vorlix";
    auto root = platform::RegistryRoot::LocalMachine;
    headless::StoreText(root, key, "Resolution", resolution);
    headless::StoreNumber(root, key, "Density", density);
    headless::StoreNumber(root, key, "HighlightDensity", highlight);
}

WindowHandle SaverTest::CreateFullScreen() {
    EXPECT_TRUE(platform::RegisterSaverClass(SaverWindowProc));
    platform::SaverWindowLayout layout;
    layout.title = "Screen Saver";
    layout.fullScreen = true;
    layout.bounds = platform::ScreenClipBox();
    saver = platform::CreateSaverWindow(layout);
    return saver;
}

WindowHandle SaverTest::CreatePreview(WindowHandle parent) {
    IsPreview = true;
    EXPECT_TRUE(platform::RegisterSaverClass(SaverWindowProc));
    platform::SaverWindowLayout layout;
    layout.parent = parent;
    layout.title = "Preview";
    layout.fullScreen = false;
    layout.bounds = ScreenRect{0, 0, 152, 112};
    saver = platform::CreateSaverWindow(layout);
    return saver;
}

WindowHandle SaverTest::AddPreviewParent() {
    return headless::AddWindow(0, ScreenRect{300, 200, 452, 312}, "Display Properties", nullptr);
}

void SaverTest::DestroySaver() {
    if (saver != 0 && platform::IsWindowHandle(saver)) headless::DestroyWindow(saver);
    saver = 0;
}

std::vector<std::string> SaverTest::LogLines(bool fullScreen) const {
    std::ifstream file(directory / (fullScreen ? "vorlix_fs.log" : "vorlix.log"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
}

::testing::AssertionResult SaverTest::InOrder(const std::vector<std::string>& lines,
                                              const std::vector<std::string>& expected) {
    std::size_t at = 0;
    for (const std::string& text : expected) {
        while (at < lines.size() && lines[at].find(text) == std::string::npos) ++at;
        if (at == lines.size()) {
            std::string log;
            for (const std::string& line : lines) log += "  " + line + "\n";
            return ::testing::AssertionFailure() << "not found in order: " << text << "\n"
                                                 << log;
        }
        ++at;
    }
    return ::testing::AssertionSuccess();
}

bool SaverTest::Contains(const std::vector<std::string>& lines, const std::string& text) {
    for (const std::string& line : lines)
        if (line.find(text) != std::string::npos) return true;
    return false;
}

}  // namespace vorlix::testing
