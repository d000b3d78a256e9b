#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/headless/message_boxes.h"
#include "platform/headless/registry.h"
#include "platform/window_messages.h"
#include "settings/settings_store.h"
#include "support/fresh_process.h"

namespace vorlix {
namespace {

using headless::RegistryCall;
using platform::RegistryRoot;

const char* const Key = "Software\\Korvanth\\Vorlix";
constexpr WindowHandle Owner = 0x4242;

class SettingsStore : public testing::FreshProcessTest {
protected:
    static void Store(const std::string& name, const std::string& text) {
        headless::StoreText(RegistryRoot::LocalMachine, Key, name, text);
    }
    static void Store(const std::string& name, std::uint32_t value) {
        headless::StoreNumber(RegistryRoot::LocalMachine, Key, name, value);
    }
    static void StoreAll(const std::string& resolution, std::uint32_t density,
                         std::uint32_t highlight) {
        Store("Resolution", resolution);
        Store("Density", density);
        Store("HighlightDensity", highlight);
    }
    static headless::StoredValue Stored(const std::string& name) {
        headless::StoredValue value;
        EXPECT_TRUE(headless::FindValue(RegistryRoot::LocalMachine, Key, name, value)) << name;
        return value;
    }
    static std::string StoredText(const std::string& name) {
        headless::StoredValue value = Stored(name);
        return std::string(value.bytes.begin(), value.bytes.end());
    }
    static std::uint32_t StoredNumber(const std::string& name) {
        headless::StoredValue value = Stored(name);
        EXPECT_EQ(value.bytes.size(), 4u);
        if (value.bytes.size() != 4) return 0xFFFFFFFF;
        return value.bytes[0] | value.bytes[1] << 8 | value.bytes[2] << 16 |
               static_cast<std::uint32_t>(value.bytes[3]) << 24;
    }
    static std::string HeldText() {
        return std::string(Settings.ResolutionText,
                           strnlen(Settings.ResolutionText, sizeof Settings.ResolutionText));
    }
    static void ExpectOneBox(const std::string& text) {
        auto boxes = headless::RecordedMessageBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, text);
        EXPECT_EQ(boxes[0].caption, "Vorlix");
        EXPECT_EQ(boxes[0].style, MB_ICONERROR);
        EXPECT_EQ(boxes[0].owner, Owner);
    }
    static void ExpectRecord(int index, int width, int height, std::uint32_t density,
                             std::uint32_t highlight) {
        EXPECT_EQ(Settings.ResolutionIndex, index);
        EXPECT_EQ(Settings.ScreenWidth, width);
        EXPECT_EQ(Settings.ScreenHeight, height);
        EXPECT_EQ(Settings.Density, density);
        EXPECT_EQ(Settings.HighlightDensity, highlight);
    }
};

TEST_F(SettingsStore, FirstRunCreatesTheKeyWithDefaults) {
    ASSERT_TRUE(LoadSettings(Owner));
    headless::StoredValue resolution = Stored("Resolution");
    EXPECT_EQ(resolution.type, REG_SZ);
    EXPECT_EQ(StoredText("Resolution"), "1024x768");  // no terminator stored
    EXPECT_EQ(Stored("Density").type, REG_DWORD);
    EXPECT_EQ(StoredNumber("Density"), 300u);
    EXPECT_EQ(StoredNumber("HighlightDensity"), 8u);
    ExpectRecord(3, 1024, 768, 300, 8);
    EXPECT_EQ(headless::OpenRegistryKeys(), 0);
    EXPECT_TRUE(headless::RecordedMessageBoxes().empty());
}

TEST_F(SettingsStore, EmptyKeyGetsEveryValueWrittenBackFromMemory) {
    headless::AddRegistryKey(RegistryRoot::LocalMachine, Key);
    ASSERT_TRUE(LoadSettings(Owner));
    EXPECT_EQ(StoredText("Resolution"), "");
    EXPECT_EQ(StoredNumber("Density"), 300u);
    EXPECT_EQ(StoredNumber("HighlightDensity"), 8u);
    ExpectRecord(2, 800, 600, 300, 8);
    EXPECT_EQ(headless::OpenRegistryKeys(), 0);
}

TEST_F(SettingsStore, KnownResolutionsSelectTheirRow) {
    StoreAll("1280x1024", 120, 30);
    ASSERT_TRUE(LoadSettings(Owner));
    ExpectRecord(5, 1280, 1024, 120, 30);
    StoreAll("640x480", 0, 0);
    ASSERT_TRUE(LoadSettings(Owner));
    ExpectRecord(1, 640, 480, 0, 0);
    EXPECT_TRUE(headless::RegistryWrites().empty());
}

TEST_F(SettingsStore, NearMissesFallBackAndStayStored) {
    for (const char* text : {"1280X1024", "1280x1024 ", "", "x", "1024x76"}) {
        SCOPED_TRACE(text);
        Settings = SettingsRecord{};
        StoreAll(text, 300, 8);
        ASSERT_TRUE(LoadSettings(Owner));
        ExpectRecord(2, 800, 600, 300, 8);
        EXPECT_EQ(StoredText("Resolution"), text);
    }
    EXPECT_TRUE(headless::RegistryWrites().empty());
}

TEST_F(SettingsStore, UnknownTextKeepsThePreviouslyHeldIndex) {
    StoreAll("1600x1200", 300, 8);
    ASSERT_TRUE(LoadSettings(Owner));
    Store("Resolution", "wide");
    ASSERT_TRUE(LoadSettings(Owner));
    ExpectRecord(6, 1600, 1200, 300, 8);
    EXPECT_EQ(HeldText(), "wide");
}

TEST_F(SettingsStore, ATrailingTerminatorReadsLikeNone) {
    headless::StoreValue(RegistryRoot::LocalMachine, Key, "Resolution", REG_SZ,
                         {'1', '2', '8', '0', 'x', '1', '0', '2', '4', 0});
    Store("Density", 300u);
    Store("HighlightDensity", 8u);
    ASSERT_TRUE(LoadSettings(Owner));
    ExpectRecord(5, 1280, 1024, 300, 8);
    EXPECT_EQ(HeldText(), "1280x1024");

    // Twenty characters and a terminator: still within the limit once the terminator goes.
    std::string full(20, 'a');
    std::vector<std::uint8_t> bytes(full.size() + 1, 'a');
    bytes.back() = 0;
    headless::StoreValue(RegistryRoot::LocalMachine, Key, "Resolution", REG_SZ, bytes);
    ASSERT_TRUE(LoadSettings(Owner));
    EXPECT_EQ(HeldText(), full);
    EXPECT_TRUE(headless::RegistryWrites().empty());
}

TEST_F(SettingsStore, OverLongResolutionIsRewrittenWithTheHeldText) {
    StoreAll(std::string(25, '9'), 300, 8);
    ASSERT_TRUE(LoadSettings(Owner));
    EXPECT_EQ(StoredText("Resolution"), "");  // a fresh process holds the empty text
    ExpectRecord(2, 800, 600, 300, 8);

    StoreAll("1152x864", 300, 8);
    ASSERT_TRUE(LoadSettings(Owner));
    Store("Resolution", std::string(64, 'z'));
    ASSERT_TRUE(LoadSettings(Owner));
    EXPECT_EQ(StoredText("Resolution"), "1152x864");  // never the bytes of the failed read
    ExpectRecord(4, 1152, 864, 300, 8);
}

TEST_F(SettingsStore, DensityAbove400IsLimitedHighlightIsKept) {
    StoreAll("800x600", 500, 250);
    ASSERT_TRUE(LoadSettings(Owner));
    EXPECT_EQ(Settings.Density, 400u);
    EXPECT_EQ(Settings.HighlightDensity, 250u);
    EXPECT_EQ(StoredNumber("Density"), 500u);  // loading writes nothing back
}

TEST_F(SettingsStore, ShortNumbersReadWithZeroHighBytes) {
    StoreAll("800x600", 0, 8);
    headless::StoreValue(RegistryRoot::LocalMachine, Key, "Density", REG_DWORD, {0x2C, 0x01});
    ASSERT_TRUE(LoadSettings(Owner));
    EXPECT_EQ(Settings.Density, 300u);
}

struct LoadFailure {
    const char* name;
    bool freshKey;
    RegistryCall call;
    const char* value;
    bool failQueryToo;
    const char* text;
};

class SettingsLoadFailure : public SettingsStore,
                            public ::testing::WithParamInterface<LoadFailure> {};

TEST_P(SettingsLoadFailure, ShowsItsTextAndClosesTheKey) {
    const LoadFailure& failure = GetParam();
    if (!failure.freshKey) StoreAll("1024x768", 300, 8);
    headless::FailRegistryCall(failure.call, failure.value);
    if (failure.failQueryToo) headless::FailRegistryCall(RegistryCall::Query, failure.value);
    EXPECT_FALSE(LoadSettings(Owner));
    ExpectOneBox(failure.text);
    EXPECT_EQ(headless::OpenRegistryKeys(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, SettingsLoadFailure,
    ::testing::Values(
        LoadFailure{"Create", true, RegistryCall::Create, "", false,
                    "[WinMain] Unable to open/create software registry key"},
        LoadFailure{"DefaultResolution", true, RegistryCall::Set, "Resolution", false,
                    "[WinMain] Unable to set resolution value in "
                    "HKEY_LOCAL_MACHINE/Software/Korvanth/Vorlix"},
        LoadFailure{"DefaultDensity", true, RegistryCall::Set, "Density", false,
                    "[WinMain] Unable to set density value in "
                    "HKEY_LOCAL_MACHINE/Software/Korvanth/Vorlix"},
        LoadFailure{"DefaultHighlight", true, RegistryCall::Set, "HighlightDensity", false,
                    "[WinMain] Unable to set highlight density value in "
                    "HKEY_LOCAL_MACHINE/Software/Korvanth/Vorlix"},
        LoadFailure{"Resolution", false, RegistryCall::Set, "Resolution", true,
                    "[WinMain] Unable to get resolution value from "
                    "HKEY_LOCAL_MACHINE/Software/Korvanth/Vorlix"},
        LoadFailure{"Density", false, RegistryCall::Set, "Density", true,
                    "[WinMain] Unable to get density value from "
                    "HKEY_LOCAL_MACHINE/Software/Korvanth/Vorlix"},
        LoadFailure{"Highlight", false, RegistryCall::Set, "HighlightDensity", true,
                    "Unable to get highlight density value from "
                    "HKEY_LOCAL_MACHINE/Software/Korvanth/Vorlix"}),
    [](const ::testing::TestParamInfo<LoadFailure>& info) { return info.param.name; });

TEST_F(SettingsStore, AFailedReadWithAWorkingWriteIsNoError) {
    StoreAll("1024x768", 77, 8);
    headless::FailRegistryCall(RegistryCall::Query, "Density");
    ASSERT_TRUE(LoadSettings(Owner));
    EXPECT_EQ(StoredNumber("Density"), 300u);  // the value held in memory
    EXPECT_TRUE(headless::RecordedMessageBoxes().empty());
}

TEST_F(SettingsStore, SaveWritesAllThreeValues) {
    StoreAll("1024x768", 300, 8);
    ASSERT_TRUE(LoadSettings(Owner));
    std::memcpy(Settings.ResolutionText, "640x480\0", 8);
    Settings.Density = 12;
    Settings.HighlightDensity = 34;
    SaveSettings(Owner);
    EXPECT_EQ(StoredText("Resolution"), "640x480");
    EXPECT_EQ(StoredNumber("Density"), 12u);
    EXPECT_EQ(StoredNumber("HighlightDensity"), 34u);
    EXPECT_TRUE(headless::RecordedMessageBoxes().empty());
    EXPECT_EQ(headless::OpenRegistryKeys(), 0);
}

TEST_F(SettingsStore, SaveWithTheKeyGoneWritesNothing) {
    ASSERT_TRUE(LoadSettings(Owner));
    headless::DeleteRegistryKey(RegistryRoot::LocalMachine, Key);
    headless::ResetMessageBoxes();
    SaveSettings(Owner);
    ExpectOneBox("Unable to open registry key to store values");
    EXPECT_FALSE(headless::RegistryKeyExists(RegistryRoot::LocalMachine, Key));
}

TEST_F(SettingsStore, EachSaveFailureStopsTheSaveWithItsText) {
    struct Case {
        const char* value;
        const char* text;
        std::vector<std::string> written;
    };
    const Case cases[] = {
        {"Resolution", "Unable to set resolution settings in registry", {}},
        {"Density", "Unable to set density settings in registry", {"Resolution"}},
        {"HighlightDensity", "Unable to set density settings in registry",
         {"Resolution", "Density"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        testing::ResetProcessState();
        StoreAll("1024x768", 300, 8);
        headless::FailRegistryCall(RegistryCall::Set, c.value);
        SaveSettings(Owner);
        ExpectOneBox(c.text);
        EXPECT_EQ(headless::RegistryWrites(), c.written);
        EXPECT_EQ(headless::OpenRegistryKeys(), 0);
    }
}

// A save cut short must not leave a mix of the new values and the old ones in the store.
TEST_F(SettingsStore, ASaveReachesTheStoreWholeOrNotAtAll) {
    struct Case {
        RegistryCall call;
        const char* value;
        const char* text;
    };
    const Case cases[] = {
        {RegistryCall::Set, "HighlightDensity", "Unable to set density settings in registry"},
        {RegistryCall::Commit, "", "Unable to store the settings in registry"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        testing::ResetProcessState();
        StoreAll("1024x768", 300, 8);
        ASSERT_TRUE(LoadSettings(Owner));
        std::memcpy(Settings.ResolutionText, "640x480\0", 8);
        Settings.Density = 12;
        Settings.HighlightDensity = 34;
        headless::FailRegistryCall(c.call, c.value);
        SaveSettings(Owner);
        ExpectOneBox(c.text);
        EXPECT_EQ(StoredText("Resolution"), "1024x768");
        EXPECT_EQ(StoredNumber("Density"), 300u);
        EXPECT_EQ(StoredNumber("HighlightDensity"), 8u);
        EXPECT_EQ(headless::OpenRegistryKeys(), 0);
    }
    testing::ResetProcessState();
    StoreAll("1024x768", 300, 8);
    Settings.Density = 12;
    SaveSettings(Owner);
    EXPECT_EQ(headless::RegistryCallCount(RegistryCall::Commit), 1);
    EXPECT_EQ(StoredNumber("Density"), 12u);
}

}  // namespace
}  // namespace vorlix
