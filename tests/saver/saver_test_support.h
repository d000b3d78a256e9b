#pragma once
// Shared set-up of the saver tests: a headless desktop reset to its defaults, a small valid
// glyph file of its own in a fresh directory, settings in the registry, and the log's lines.
#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/types.h"
#include "support/fresh_process.h"

namespace vorlix::testing {

// Writes a glyph animation file: version 2, frames of width x height pixels, no maps.
void WriteGlyphFile(const std::filesystem::path& path, int frames, int width, int height);

// Makes the next nothrow allocation of exactly this many bytes fail (0: none).
void FailNothrowAllocation(std::size_t bytes);

// Waits, sleeping, until the condition holds or about five seconds have passed.
template <class Condition>
bool WaitFor(Condition condition) {
    for (int i = 0; i < 5000; ++i) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return condition();
}

class SaverTest : public FreshProcessTest {
protected:
    void SetUp() override;
    void TearDown() override;

    static void StoreSettings(const std::string& resolution, std::uint32_t density,
                              std::uint32_t highlight);
    // Saver windows made through the shell, as RunSaver makes them.
    WindowHandle CreateFullScreen();
    WindowHandle CreatePreview(WindowHandle parent);
    static WindowHandle AddPreviewParent();
    // Destroys the saver window if it is still there; the draw thread ends with it.
    void DestroySaver();

    std::vector<std::string> LogLines(bool fullScreen) const;
    // Every expected text is found in the log, each on a later line than the one before.
    static ::testing::AssertionResult InOrder(const std::vector<std::string>& lines,
                                              const std::vector<std::string>& expected);
    static bool Contains(const std::vector<std::string>& lines, const std::string& text);

    std::filesystem::path directory;
    WindowHandle saver = 0;
};

}  // namespace vorlix::testing
