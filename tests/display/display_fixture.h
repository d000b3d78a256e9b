#pragma once
// A fresh memory display, window manager and log for each display-manager test.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "diagnostics/debug_log.h"
#include "display/ddraw_manager.h"
#include "platform/headless/headless_host.h"
#include "support/fresh_process.h"

namespace vorlix::display_test {

class DisplayTest : public testing::FreshProcessTest {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        directory_ = std::filesystem::path(::testing::TempDir()) /
                     ("vorlix_display_" + std::string(info->name()) + "_" +
                      std::to_string(::getpid()));
        std::filesystem::remove_all(directory_);
        std::filesystem::create_directories(directory_);
        headless::SetDirectories(directory_.c_str(), directory_.c_str(), directory_.c_str());
        ASSERT_TRUE(InitErrorMsg(true));
    }

    void TearDown() override {
        StopErrorMsg();
        std::filesystem::remove_all(directory_);
    }

    std::string LogText() const {
        std::ifstream file(directory_ / "vorlix_fs.log", std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    bool Logged(const std::string& prefix, const std::string& line) const {
        return LogText().find(prefix + line + "\n") != std::string::npos;
    }

    // A preview window at (100, 50) of the given size.
    WindowHandle PreviewWindow(std::int32_t width, std::int32_t height) {
        ScreenRect rect{100, 50, 100 + width, 50 + height};
        return headless::AddWindow(0, rect, "preview", nullptr);
    }

    WindowHandle FullScreenWindow() {
        return headless::AddWindow(0, ScreenRect{0, 0, 1024, 768}, "Screen Saver", nullptr);
    }

    std::filesystem::path directory_;
};

inline int CallCount(headless::DisplayOp op) {
    return static_cast<int>(headless::DisplayCalls(op).size());
}

}  // namespace vorlix::display_test
