#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/headless/display_device.h"
#include "platform/headless/window_manager.h"
#include "support/fresh_process.h"

namespace vorlix {
namespace {

using platform::DeviceResult;

struct FullScreenChain {
    std::unique_ptr<platform::DisplayDevice> device = platform::CreateDisplayDevice();
    std::unique_ptr<platform::DisplaySurface> primary;
    std::unique_ptr<platform::DisplaySurface> back;

    FullScreenChain(std::int32_t width, std::int32_t height) {
        EXPECT_EQ(device->SetCooperativeLevel(1, true), DeviceResult::Ok);
        EXPECT_EQ(device->SetDisplayMode(width, height, 16), DeviceResult::Ok);
        EXPECT_EQ(device->CreatePrimary(true, primary), DeviceResult::Ok);
        EXPECT_EQ(primary->AttachedBackBuffer(back), DeviceResult::Ok);
    }
};

void* LockedPixels(platform::DisplaySurface& surface) {
    platform::LockedMemory memory;
    EXPECT_EQ(surface.Lock(memory), DeviceResult::Ok);
    EXPECT_EQ(surface.Unlock(), DeviceResult::Ok);
    return memory.pixels;
}

class HeadlessDisplay : public testing::FreshProcessTest {};

TEST_F(HeadlessDisplay, FlipChainSwapsTwoBuffersAndShowsTheFront) {
    FullScreenChain chain(64, 32);
    void* first = LockedPixels(*chain.back);
    static_cast<std::uint16_t*>(first)[0] = 0xF800;
    EXPECT_EQ(chain.primary->Flip(), DeviceResult::Ok);
    void* second = LockedPixels(*chain.back);
    EXPECT_NE(first, second);
    EXPECT_EQ(LockedPixels(*chain.primary), first);

    headless::ShownFrame frame;
    ASSERT_TRUE(headless::CaptureShownFrame(frame));
    EXPECT_EQ(frame.width, 64);
    EXPECT_EQ(frame.height, 32);
    EXPECT_EQ(frame.number, 1u);
    EXPECT_EQ(frame.pixels[0], 0xF800);
    std::vector<std::uint8_t> rgb = headless::ToRgb(frame);
    EXPECT_EQ(rgb[0], 255);
    EXPECT_EQ(rgb[1], 0);
    EXPECT_EQ(rgb[2], 0);

    EXPECT_EQ(chain.primary->Flip(), DeviceResult::Ok);
    EXPECT_EQ(LockedPixels(*chain.back), first);
}

TEST_F(HeadlessDisplay, PitchCarriesTheRowPadding) {
    headless::SetRowPaddingBytes(3);
    FullScreenChain chain(640, 480);
    platform::LockedMemory memory;
    ASSERT_EQ(chain.back->Lock(memory), DeviceResult::Ok);
    EXPECT_EQ(memory.pitchBytes, 1283);
    EXPECT_EQ(chain.back->Lock(memory), DeviceResult::Busy);
    EXPECT_EQ(chain.primary->Flip(), DeviceResult::Busy);
    EXPECT_EQ(chain.back->Unlock(), DeviceResult::Ok);
}

TEST_F(HeadlessDisplay, InjectedFaultsCountDownAndMatchTheRole) {
    FullScreenChain chain(32, 32);
    headless::InjectFault(headless::DisplayOp::FlipStatus, DeviceResult::Pending, 2,
                          headless::Role::BackBuffer, 1);
    EXPECT_EQ(chain.primary->FlipStatus(), DeviceResult::Ok);
    EXPECT_EQ(chain.back->FlipStatus(), DeviceResult::Ok);  // skipped
    EXPECT_EQ(chain.back->FlipStatus(), DeviceResult::Pending);
    EXPECT_EQ(chain.back->FlipStatus(), DeviceResult::Pending);
    EXPECT_EQ(chain.back->FlipStatus(), DeviceResult::Ok);

    headless::InjectFault(headless::DisplayOp::Create, DeviceResult::Failed, 1);
    EXPECT_EQ(platform::CreateDisplayDevice(), nullptr);
    EXPECT_NE(platform::CreateDisplayDevice(), nullptr);
}

TEST_F(HeadlessDisplay, LostSurfacesComeBackWithTheChainPrimary) {
    FullScreenChain chain(32, 32);
    void* before = LockedPixels(*chain.back);
    headless::LoseSurfaces();
    EXPECT_TRUE(chain.back->IsLost());
    platform::LockedMemory memory;
    EXPECT_EQ(chain.back->Lock(memory), DeviceResult::Lost);
    EXPECT_EQ(chain.primary->Flip(), DeviceResult::Lost);
    EXPECT_EQ(chain.primary->Restore(), DeviceResult::Ok);
    EXPECT_FALSE(chain.back->IsLost());
    EXPECT_EQ(LockedPixels(*chain.back), before);
}

TEST_F(HeadlessDisplay, WindowedCopyLandsInTheDesktopAndIsClipped) {
    headless::SetDesktopMode(100, 80, 16);
    headless::SetDisplayLayout(headless::DisplayLayout::Rgb555);
    auto device = platform::CreateDisplayDevice();
    std::unique_ptr<platform::DisplaySurface> primary, back;
    ASSERT_EQ(device->SetCooperativeLevel(7, false), DeviceResult::Ok);
    EXPECT_EQ(device->CreatePrimary(true, primary), DeviceResult::Failed);
    ASSERT_EQ(device->CreatePrimary(false, primary), DeviceResult::Ok);
    ASSERT_EQ(device->CreateOffscreen(20, 10, back), DeviceResult::Ok);
    auto* pixels = static_cast<std::uint16_t*>(LockedPixels(*back));
    for (int i = 0; i < 20 * 10; ++i) pixels[i] = 0x7C00;

    ASSERT_EQ(primary->CopyFrom(*back, {90, 75, 110, 85}, {0, 0, 20, 10}), DeviceResult::Ok);
    headless::ShownFrame frame;
    ASSERT_TRUE(headless::CaptureShownFrame(frame));
    EXPECT_EQ(frame.width, 10);
    EXPECT_EQ(frame.height, 5);
    EXPECT_EQ(frame.layout, headless::DisplayLayout::Rgb555);
    EXPECT_EQ(frame.pixels[0], 0x7C00);
    EXPECT_EQ(primary->CopyFrom(*back, {0, 0, 40, 20}, {0, 0, 20, 10}), DeviceResult::Failed);
}

TEST_F(HeadlessDisplay, CopyIntoTheDesktopIsClippedToTheClippersWindow) {
    WindowHandle window = headless::AddWindow(0, ScreenRect{10, 10, 30, 20}, "preview", nullptr);
    auto device = platform::CreateDisplayDevice();
    std::unique_ptr<platform::DisplaySurface> primary, back;
    std::unique_ptr<platform::DisplayClipper> clipper;
    ASSERT_EQ(device->SetCooperativeLevel(window, false), DeviceResult::Ok);
    ASSERT_EQ(device->CreatePrimary(false, primary), DeviceResult::Ok);
    ASSERT_EQ(device->CreateClipper(clipper), DeviceResult::Ok);
    ASSERT_EQ(clipper->SetWindow(window), DeviceResult::Ok);
    ASSERT_EQ(primary->SetClipper(*clipper), DeviceResult::Ok);
    ASSERT_EQ(device->CreateOffscreen(40, 30, back), DeviceResult::Ok);
    auto* pixels = static_cast<std::uint16_t*>(LockedPixels(*back));
    for (int i = 0; i < 40 * 30; ++i) pixels[i] = static_cast<std::uint16_t>(i);

    ASSERT_EQ(primary->CopyFrom(*back, {0, 0, 40, 30}, {0, 0, 40, 30}), DeviceResult::Ok);
    headless::ShownFrame frame;
    ASSERT_TRUE(headless::CaptureShownFrame(frame));
    EXPECT_EQ(frame.width, 20);
    EXPECT_EQ(frame.height, 10);
    EXPECT_EQ(frame.pixels[0], 10 * 40 + 10);
    auto* desktop = static_cast<std::uint16_t*>(LockedPixels(*primary));
    EXPECT_EQ(desktop[0], 0);
    EXPECT_EQ(desktop[9 * 1024 + 9], 0);

    headless::DestroyWindow(window);  // a vanished window takes nothing
    std::uint64_t shown = headless::ShownFrameCount();
    EXPECT_EQ(primary->CopyFrom(*back, {0, 0, 40, 30}, {0, 0, 40, 30}), DeviceResult::Ok);
    EXPECT_EQ(headless::ShownFrameCount(), shown);
}

TEST_F(HeadlessDisplay, KeyedCopyLeavesOutTheKey) {
    FullScreenChain chain(8, 8);
    std::unique_ptr<platform::DisplaySurface> sprite;
    ASSERT_EQ(chain.device->CreateOffscreen(2, 1, sprite), DeviceResult::Ok);
    ASSERT_EQ(sprite->SetColorKey(0xF81F), DeviceResult::Ok);
    auto* in = static_cast<std::uint16_t*>(LockedPixels(*sprite));
    in[0] = 0xF81F;
    in[1] = 0x1234;
    auto* out = static_cast<std::uint16_t*>(LockedPixels(*chain.back));
    out[0] = 0x0001;
    ASSERT_EQ(chain.back->CopyKeyedFrom(*sprite, 0, 0, {0, 0, 2, 1}), DeviceResult::Ok);
    EXPECT_EQ(out[0], 0x0001);
    EXPECT_EQ(out[1], 0x1234);
}

TEST_F(HeadlessDisplay, SavesTheShownFrameAsPng) {
    FullScreenChain chain(16, 8);
    ASSERT_EQ(chain.primary->Flip(), DeviceResult::Ok);
    headless::ShownFrame frame;
    ASSERT_TRUE(headless::CaptureShownFrame(frame));
    std::string path = ::testing::TempDir() + "vorlix_shown_frame.png";
    ASSERT_TRUE(headless::SavePng(frame, path));
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    unsigned char signature[8] = {};
    EXPECT_EQ(std::fread(signature, 1, 8, file), 8u);
    std::fclose(file);
    std::remove(path.c_str());
    EXPECT_EQ(std::memcmp(signature, "\x89PNG\r\n\x1a\n", 8), 0);
    EXPECT_FALSE(headless::SavePng(frame, "/nonexistent-directory/x.png"));
}

}  // namespace
}  // namespace vorlix
