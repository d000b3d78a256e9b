// "Desktop size", the glyph zoom and a settings store that cannot be read, where the host
// offers them (the Linux host) and where it does not (the Windows module).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/headless/dialog_controls.h"
#include "platform/headless/display_device.h"
#include "platform/headless/message_boxes.h"
#include "platform/headless/registry.h"
#include "platform/headless/saver_shell.h"
#include "platform/saver_shell.h"
#include "platform/window_messages.h"
#include "settings/config_dialog.h"
#include "settings/resolution_table.h"
#include "settings/settings_override.h"
#include "settings/settings_store.h"
#include "support/fresh_process.h"

namespace vorlix {
namespace {

using headless::DialogStep;
using platform::RegistryRoot;

const char* const Key = "Software\\Korvanth\\Vorlix";
const char* const Unreadable = "The settings file /x/settings.reg is not a regular file.";

class DesktopSizeSettings : public testing::FreshProcessTest {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset() {
        headless::ResetRegistry();
        headless::ResetMessageBoxes();
        headless::ResetDialogControls();
        headless::ResetSaverShell();
        headless::ResetDisplay();
        ClearSettingsOverrides();
        Settings = SettingsRecord{};
    }

    static void StoreAll(const std::string& resolution, std::uint32_t density,
                         std::uint32_t highlight) {
        headless::StoreText(RegistryRoot::LocalMachine, Key, "Resolution", resolution);
        headless::StoreNumber(RegistryRoot::LocalMachine, Key, "Density", density);
        headless::StoreNumber(RegistryRoot::LocalMachine, Key, "HighlightDensity", highlight);
    }
    static bool Has(const std::string& name) {
        headless::StoredValue value;
        return headless::FindValue(RegistryRoot::LocalMachine, Key, name, value);
    }
    static std::string StoredText(const std::string& name) {
        headless::StoredValue value;
        EXPECT_TRUE(headless::FindValue(RegistryRoot::LocalMachine, Key, name, value)) << name;
        return std::string(value.bytes.begin(), value.bytes.end());
    }
    static std::uint32_t StoredNumber(const std::string& name) {
        headless::StoredValue value;
        EXPECT_TRUE(headless::FindValue(RegistryRoot::LocalMachine, Key, name, value)) << name;
        if (value.bytes.size() != 4) return 0xFFFFFFFF;
        return value.bytes[0] | value.bytes[1] << 8 | value.bytes[2] << 16 |
               static_cast<std::uint32_t>(value.bytes[3]) << 24;
    }
    static int Run(const std::vector<DialogStep>& steps) {
        headless::ScriptDialog(steps);
        return platform::RunModalDialog(ConfigDialogTemplate, 0, ScreenSaverConfigureDialog);
    }
    static DialogStep Check(int id, bool on) { return DialogStep{DialogStep::Check, id, "", on}; }
    static DialogStep Command(int id) { return DialogStep{DialogStep::Command, id, "", false}; }
};

TEST_F(DesktopSizeSettings, ANewStoreStartsWithDesktopSizeWhereItIsOffered) {
    headless::OfferDesktopSize(true);
    ASSERT_TRUE(LoadSettings(0));
    EXPECT_EQ(StoredText("Resolution"), "Desktop size");
    EXPECT_EQ(Settings.ResolutionIndex, DesktopSizeIndex);
    EXPECT_EQ(Settings.Zoom, 0u);
    EXPECT_FALSE(Has("Zoom"));  // automatic until someone chooses
}

TEST_F(DesktopSizeSettings, TheWindowsModuleKeepsItsSixModesAndNoZoom) {
    ASSERT_TRUE(LoadSettings(0));
    EXPECT_EQ(StoredText("Resolution"), "1024x768");
    StoreAll("Desktop size", 300, 8);
    headless::StoreNumber(RegistryRoot::LocalMachine, Key, "Zoom", 3);
    ASSERT_TRUE(LoadSettings(0));
    EXPECT_NE(Settings.ResolutionIndex, DesktopSizeIndex);
    EXPECT_EQ(Settings.ScreenWidth, 1024);  // the index held before: an unknown text
    EXPECT_EQ(Settings.Zoom, 0u);
    EXPECT_EQ(Run({Command(1)}), 1);
    EXPECT_EQ(StoredText("Resolution"), "1024x768");
    for (const std::string& name : headless::RegistryWrites()) EXPECT_NE(name, "Zoom");
}

TEST_F(DesktopSizeSettings, TheStoredZoomIsReadAndKeptInRange) {
    headless::OfferDesktopSize(true);
    StoreAll("Desktop size", 300, 8);
    headless::StoreNumber(RegistryRoot::LocalMachine, Key, "Zoom", 3);
    ASSERT_TRUE(LoadSettings(0));
    EXPECT_EQ(Settings.Zoom, 3u);
    headless::StoreNumber(RegistryRoot::LocalMachine, Key, "Zoom", 9);
    ASSERT_TRUE(LoadSettings(0));
    EXPECT_EQ(Settings.Zoom, 4u);
    StoreAll("1280x1024", 300, 8);
    ASSERT_TRUE(LoadSettings(0));
    EXPECT_EQ(Settings.ResolutionIndex, 5);
    EXPECT_EQ(Settings.ScreenWidth, 1280);
}

TEST_F(DesktopSizeSettings, AOneRunZoomIsAppliedButNeverSaved) {
    headless::OfferDesktopSize(true);
    StoreAll("Desktop size", 300, 8);
    OverrideZoom(7);
    ASSERT_TRUE(LoadSettings(0));
    EXPECT_EQ(Settings.Zoom, 4u);
    EXPECT_TRUE(headless::RegistryWrites().empty());
}

TEST_F(DesktopSizeSettings, TheDialogOffersDesktopSizeAndTheZoom) {
    headless::OfferDesktopSize(true);
    StoreAll("Desktop size", 300, 8);
    headless::StoreNumber(RegistryRoot::LocalMachine, Key, "Zoom", 2);
    EXPECT_EQ(Run({Command(1)}), 1);
    WindowHandle dialog = headless::LastDialog();
    EXPECT_TRUE(headless::ControlChecked(dialog, IdResolutionDesktop));
    EXPECT_TRUE(headless::ControlChecked(dialog, IdZoomFirst + 2));
    EXPECT_FALSE(headless::ControlChecked(dialog, IdZoomFirst));
    for (int id = IdResolutionFirst; id < IdResolutionFirst + ResolutionRows; ++id)
        EXPECT_FALSE(headless::ControlChecked(dialog, id)) << id;
    EXPECT_EQ(StoredText("Resolution"), "Desktop size");
    EXPECT_EQ(StoredNumber("Zoom"), 2u);

    // A mode chosen, the zoom back to automatic.
    EXPECT_EQ(Run({Check(IdResolutionDesktop, false), Check(1003, true),
                   Check(IdZoomFirst + 2, false), Check(IdZoomFirst, true), Command(1)}),
              1);
    EXPECT_EQ(StoredText("Resolution"), "1152x864");
    EXPECT_EQ(StoredNumber("Zoom"), 0u);

    EXPECT_EQ(Run({Check(1003, false), Check(IdResolutionDesktop, true),
                   Check(IdZoomFirst, false), Check(IdZoomFirst + 4, true), Command(1)}),
              1);
    EXPECT_EQ(StoredText("Resolution"), "Desktop size");
    EXPECT_EQ(StoredNumber("Zoom"), 4u);
}

TEST_F(DesktopSizeSettings, AnUnreadableStoreGivesTheDefaultsAndIsNeverWritten) {
    headless::OfferDesktopSize(true);
    StoreAll("1600x1200", 50, 60);
    headless::MakeStoreUnreadable(Unreadable);
    ASSERT_TRUE(LoadSettings(0));
    EXPECT_EQ(Settings.ResolutionIndex, DesktopSizeIndex);
    EXPECT_EQ(Settings.Density, 300u);
    EXPECT_EQ(Settings.HighlightDensity, 8u);
    ASSERT_NE(SettingsStoreRefusal(), nullptr);
    EXPECT_NE(std::string(SettingsStoreRefusal()).find(Unreadable), std::string::npos);
    EXPECT_TRUE(headless::RecordedMessageBoxes().empty());  // a run only logs it
    SaveSettings(0);
    EXPECT_TRUE(headless::RegistryWrites().empty());
    EXPECT_EQ(StoredText("Resolution"), "1600x1200");

    headless::MakeStoreUnreadable("");
    ASSERT_TRUE(LoadSettings(0));
    EXPECT_EQ(SettingsStoreRefusal(), nullptr);
    EXPECT_EQ(Settings.Density, 50u);
}

TEST_F(DesktopSizeSettings, TheDialogSaysWhyAndSavesNothingOverAnUnreadableStore) {
    headless::OfferDesktopSize(true);
    StoreAll("1600x1200", 50, 60);
    headless::MakeStoreUnreadable(Unreadable);
    EXPECT_EQ(Run({Check(IdResolutionDesktop, false), Check(1000, true), Command(1)}), 1);
    auto boxes = headless::RecordedMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find(Unreadable), std::string::npos);
    EXPECT_NE(boxes[0].text.find("saves nothing over it"), std::string::npos);
    EXPECT_EQ(boxes[0].style, MB_ICONERROR);
    EXPECT_EQ(boxes[0].owner, headless::LastDialog());
    EXPECT_TRUE(headless::RegistryWrites().empty());
    EXPECT_EQ(StoredText("Resolution"), "1600x1200");
}

}  // namespace
}  // namespace vorlix
