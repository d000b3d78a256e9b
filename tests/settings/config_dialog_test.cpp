#include <gtest/gtest.h>

#include <string>

#include "platform/headless/dialog_controls.h"
#include "platform/headless/message_boxes.h"
#include "platform/headless/registry.h"
#include "platform/headless/saver_shell.h"
#include "platform/headless/window_manager.h"
#include "platform/saver_shell.h"
#include "platform/window_messages.h"
#include "settings/config_dialog.h"
#include "settings/settings_store.h"
#include "support/fresh_process.h"

namespace vorlix {
namespace {

using headless::DialogStep;
using platform::RegistryRoot;

const char* const Key = "Software\\Korvanth\\Vorlix";

class ConfigDialog : public testing::FreshProcessTest {
protected:
    static void StoreAll(const std::string& resolution, std::uint32_t density,
                         std::uint32_t highlight) {
        headless::StoreText(RegistryRoot::LocalMachine, Key, "Resolution", resolution);
        headless::StoreNumber(RegistryRoot::LocalMachine, Key, "Density", density);
        headless::StoreNumber(RegistryRoot::LocalMachine, Key, "HighlightDensity", highlight);
    }
    static std::string StoredText(const std::string& name) {
        headless::StoredValue value;
        EXPECT_TRUE(headless::FindValue(RegistryRoot::LocalMachine, Key, name, value));
        return std::string(value.bytes.begin(), value.bytes.end());
    }
    static std::uint32_t StoredNumber(const std::string& name) {
        headless::StoredValue value;
        EXPECT_TRUE(headless::FindValue(RegistryRoot::LocalMachine, Key, name, value));
        if (value.bytes.size() != 4) return 0xFFFFFFFF;
        return value.bytes[0] | value.bytes[1] << 8 | value.bytes[2] << 16 |
               static_cast<std::uint32_t>(value.bytes[3]) << 24;
    }
    static int Run(const std::vector<DialogStep>& steps) {
        headless::ScriptDialog(steps);
        return platform::RunModalDialog(ConfigDialogTemplate, 0, ScreenSaverConfigureDialog);
    }
    static DialogStep Text(int id, const char* text) {
        return DialogStep{DialogStep::Text, id, text, false};
    }
    static DialogStep Radio(int id) { return DialogStep{DialogStep::Radio, id, "", false}; }
    static DialogStep Check(int id, bool on) { return DialogStep{DialogStep::Check, id, "", on}; }
    static DialogStep Command(int id) { return DialogStep{DialogStep::Command, id, "", false}; }
    static int CheckedButton() {
        int checked = 0;
        for (int id = IdResolutionFirst; id < IdResolutionFirst + 6; ++id)
            if (headless::ControlChecked(headless::LastDialog(), id)) checked = checked * 10000 + id;
        return checked;
    }
};

TEST_F(ConfigDialog, OpensWithTheStoredValues) {
    StoreAll("1600x1200", 123, 45);
    EXPECT_EQ(Run({}), -1);  // nothing pressed: the script runs out
    EXPECT_EQ(CheckedButton(), 1005);
    EXPECT_EQ(headless::ControlText(headless::LastDialog(), IdDensity), "123");
    EXPECT_EQ(headless::ControlText(headless::LastDialog(), IdHighlight), "45");
}

TEST_F(ConfigDialog, UnknownStoredTextOpensWithTheHeldIndex) {
    StoreAll("1600 by 1200", 300, 8);
    Run({});
    EXPECT_EQ(CheckedButton(), 1001);
    Settings.ResolutionIndex = 9;  // outside the table: 800x600 is checked
    StoreAll("nothing", 300, 8);
    Run({});
    EXPECT_EQ(CheckedButton(), 1001);
}

TEST_F(ConfigDialog, NumbersAreClampedOrReadAsZero) {
    struct Case {
        const char* density;
        const char* highlight;
        std::uint32_t savedDensity;
        std::uint32_t savedHighlight;
    };
    const Case cases[] = {
        {"401", "250", 400, 100}, {"400", "0", 400, 0},    {"abc", "100", 0, 100},
        {"-5", "x1", 0, 0},       {"", "101", 0, 100},     {" 17 ", "99", 17, 99},
        {"99999999999", "5", 0, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.density) + " / " + c.highlight);
        StoreAll("1024x768", 300, 8);
        EXPECT_EQ(Run({Text(IdDensity, c.density), Text(IdHighlight, c.highlight), Command(1)}),
                  1);
        EXPECT_EQ(StoredNumber("Density"), c.savedDensity);
        EXPECT_EQ(StoredNumber("HighlightDensity"), c.savedHighlight);
        EXPECT_EQ(StoredText("Resolution"), "1024x768");
    }
}

TEST_F(ConfigDialog, TheCheckedButtonChoosesTheResolution) {
    StoreAll("1024x768", 300, 8);
    EXPECT_EQ(Run({Radio(1000), Command(1)}), 1);
    EXPECT_EQ(StoredText("Resolution"), "640x480");
    EXPECT_EQ(Settings.ResolutionIndex, 1);

    // Two checked: the later one wins. None checked: 800x600.
    EXPECT_EQ(Run({Check(1003, true), Check(1004, true), Command(1)}), 1);
    EXPECT_EQ(StoredText("Resolution"), "1280x1024");
    EXPECT_EQ(Run({Check(1004, false), Check(1003, false), Check(1000, false), Command(1)}), 1);
    EXPECT_EQ(StoredText("Resolution"), "800x600");
    EXPECT_EQ(Settings.ResolutionIndex, 2);
}

TEST_F(ConfigDialog, FirstRunOkWritesTheDefaultsAgain) {
    EXPECT_EQ(Run({Command(1)}), 1);
    EXPECT_EQ(StoredText("Resolution"), "1024x768");
    EXPECT_EQ(StoredNumber("Density"), 300u);
    EXPECT_EQ(StoredNumber("HighlightDensity"), 8u);
}

TEST_F(ConfigDialog, CancelWritesNothing) {
    StoreAll("1152x864", 200, 20);
    EXPECT_EQ(Run({Radio(1005), Text(IdDensity, "1"), Text(IdHighlight, "2"), Command(2)}), 0);
    EXPECT_TRUE(headless::RegistryWrites().empty());
    EXPECT_EQ(StoredText("Resolution"), "1152x864");
    EXPECT_EQ(Settings.Density, 200u);
}

TEST_F(ConfigDialog, OnlyPlainOkAndCancelCount) {
    StoreAll("1024x768", 300, 8);
    WindowHandle dialog = 0x77;
    ScreenSaverConfigureDialog(dialog, WM_INITDIALOG, 0, 0);
    EXPECT_EQ(ScreenSaverConfigureDialog(dialog, WM_COMMAND, 0x00010001, 0), 0);
    EXPECT_EQ(ScreenSaverConfigureDialog(dialog, WM_COMMAND, 0x00010002, 0), 0);
    EXPECT_EQ(ScreenSaverConfigureDialog(dialog, WM_COMMAND, 1006, 0), 0);
    EXPECT_EQ(ScreenSaverConfigureDialog(dialog, WM_PAINT, 0, 0), 0);
    int result = 0;
    EXPECT_FALSE(headless::DialogEnded(dialog, result));
    EXPECT_TRUE(headless::RegistryWrites().empty());
}

TEST_F(ConfigDialog, LoadAndSaveFailuresStillLetTheDialogRun) {
    headless::FailRegistryCall(headless::RegistryCall::Create);
    headless::FailRegistryCall(headless::RegistryCall::Open);
    EXPECT_EQ(Run({Text(IdDensity, "5"), Command(1)}), 1);
    auto boxes = headless::RecordedMessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "[WinMain] Unable to open/create software registry key");
    EXPECT_EQ(boxes[1].text, "Unable to open registry key to store values");
    EXPECT_EQ(boxes[1].owner, headless::LastDialog());
    EXPECT_EQ(CheckedButton(), 1001);  // the record held in memory: 800x600
}

}  // namespace
}  // namespace vorlix
