#include "platform/sdl/settings_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "child_process.h"
#include "platform/posix/file_faults.h"
#include "platform/registry.h"
#include "platform/window_messages.h"
#include "settings/settings_store.h"
#include "support/temp_directory.h"

namespace vorlix::sdl {

namespace {

const char* SampleText =
    "REGEDIT4\n"
    "\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Korvanth\\Vorlix]\n"
    "\"Resolution\"=hex(1):31,30,32,34,78,37,36,38\n"
    "\"Density\"=hex(4):2c,01,00,00\n"
    "\"HighlightDensity\"=hex(4):08,00,00,00\n";

std::string TemporaryDirectory() {
    char pattern[] = "/tmp/vorlix-settings-XXXXXX";
    const char* made = mkdtemp(pattern);
    return made != nullptr ? made : "/tmp";
}

}  // namespace

TEST(SettingsFile, KeepsKeyPathNamesTypesAndBytesExactly) {
    SettingsDocument document;
    ASSERT_TRUE(ParseSettingsDocument(SampleText, document));
    ASSERT_EQ(document.keys.size(), 1u);
    StoredKey& key = document.keys[0];
    EXPECT_EQ(key.path, "HKEY_LOCAL_MACHINE\\Software\\Korvanth\\Vorlix");
    StoredValue* resolution = FindValue(key, "Resolution");
    ASSERT_NE(resolution, nullptr);
    EXPECT_EQ(resolution->type, 1u);
    EXPECT_EQ(std::string(resolution->data.begin(), resolution->data.end()), "1024x768");
    StoredValue* density = FindValue(key, "Density");
    ASSERT_NE(density, nullptr);
    EXPECT_EQ(density->type, 4u);
    EXPECT_EQ(density->data, (std::vector<std::uint8_t>{0x2c, 0x01, 0, 0}));
    EXPECT_EQ(FormatSettingsDocument(document), SampleText);
}

TEST(SettingsFile, EmptyValuesAndOddNamesSurviveARoundTrip) {
    SettingsDocument document;
    document.keys.push_back(StoredKey{"HKEY_LOCAL_MACHINE\\A", {}});
    ASSERT_TRUE(PutValue(document.keys[0], "Resolution", 1, nullptr, 0));
    ASSERT_TRUE(PutValue(document.keys[0], "quote\"and\\slash", 4, "\x01\x02\x03\x04", 4));
    SettingsDocument again;
    ASSERT_TRUE(ParseSettingsDocument(FormatSettingsDocument(document), again));
    ASSERT_EQ(again.keys[0].values.size(), 2u);
    EXPECT_TRUE(again.keys[0].values[0].data.empty());
    EXPECT_EQ(again.keys[0].values[1].name, "quote\"and\\slash");
    EXPECT_EQ(again.keys[0].values[1].data.size(), 4u);
}

TEST(SettingsFile, RefusesWhatItWouldNeverHaveWritten) {
    SettingsDocument document;
    EXPECT_FALSE(ParseSettingsDocument("", document));
    EXPECT_FALSE(ParseSettingsDocument("garbage\n", document));
    EXPECT_FALSE(ParseSettingsDocument("REGEDIT4\n\"Density\"=hex(4):01\n", document));
    EXPECT_FALSE(ParseSettingsDocument("REGEDIT4\n[K]\n\"Density\"=hex(4):1\n", document));
    EXPECT_FALSE(ParseSettingsDocument("REGEDIT4\n[K]\n\"Density\"=dword:00000001\n", document));
    EXPECT_FALSE(ParseSettingsDocument("REGEDIT4\n[K]\n\"D\"=hex(4):01,\n", document));
    EXPECT_FALSE(
        ParseSettingsDocument("REGEDIT4\n[K]\n\"D\"=hex(4):01\n\"D\"=hex(4):02\n", document));
    EXPECT_FALSE(ParseSettingsDocument(std::string("REGEDIT4\n[K]\n\0x", 15), document));
    std::string huge = "REGEDIT4\n[K]\n\"D\"=hex(3):";
    for (int i = 0; i < 2000; ++i) huge += i == 0 ? "00" : ",00";
    EXPECT_FALSE(ParseSettingsDocument(huge + "\n", document));
    EXPECT_TRUE(ParseSettingsDocument("REGEDIT4\r\n\r\n[K]\r\n\"D\"=hex(4):01\r\n", document));
}

TEST(SettingsFile, ReplacingLeavesOneWholeFileAndNoTemporaryBehind) {
    std::string directory = TemporaryDirectory();
    std::string path = directory + "/settings.reg";
    ASSERT_TRUE(ReplaceSettingsFile(path, "first\n"));
    ASSERT_TRUE(ReplaceSettingsFile(path, SampleText));
    std::string text;
    ASSERT_TRUE(ReadSettingsFile(path, text));
    EXPECT_EQ(text, SampleText);
    std::string listing = "ls -A " + directory + " | wc -l";
    FILE* count = popen(listing.c_str(), "r");
    int files = 0;
    ASSERT_EQ(fscanf(count, "%d", &files), 1);
    pclose(count);
    EXPECT_EQ(files, 1);
    EXPECT_FALSE(ReplaceSettingsFile(directory + "/missing/settings.reg", "x"));
    std::system(("rm -rf " + directory).c_str());
}

TEST(SettingsFile, ACheckedReadTellsMissingReadAndUnreadableApart) {
    std::string directory = TemporaryDirectory();
    std::string text, why;
    EXPECT_EQ(ReadSettingsFileChecked(directory + "/none.reg", text, why),
              SettingsFileRead::Missing);

    std::string plain = directory + "/settings.reg";
    ASSERT_TRUE(ReplaceSettingsFile(plain, SampleText));
    EXPECT_EQ(ReadSettingsFileChecked(plain, text, why), SettingsFileRead::Read);
    EXPECT_EQ(text, SampleText);

    // Root reads past any permission bits: these fail for everyone.
    std::string folder = directory + "/folder.reg";
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    EXPECT_EQ(ReadSettingsFileChecked(folder, text, why), SettingsFileRead::Unreadable);
    EXPECT_EQ(why, "is not a regular file");
    EXPECT_TRUE(text.empty());

    // A FIFO nobody writes to would block a plain read for ever.
    std::string fifo = directory + "/fifo.reg";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    why.clear();
    EXPECT_EQ(ReadSettingsFileChecked(fifo, text, why), SettingsFileRead::Unreadable);
    EXPECT_EQ(why, "is not a regular file");

    std::string beneathAFile = plain + "/settings.reg";
    why.clear();
    EXPECT_EQ(ReadSettingsFileChecked(beneathAFile, text, why), SettingsFileRead::Unreadable);
    EXPECT_NE(why.find("cannot be examined"), std::string::npos);

    std::string device = "/dev/zero";
    EXPECT_EQ(ReadSettingsFileChecked(device, text, why), SettingsFileRead::Unreadable);

    std::system(("rm -rf " + directory).c_str());
}

// Written out, a document read at the size limit grows by a blank line before each key: that
// file could not be read back, so the old one stays.
TEST(SettingsFile, ADocumentTooLargeToReadBackIsNotWritten) {
    auto valueLine = [](const std::string& name, std::size_t bytes) {
        std::string line(1, '"');
        line.append(name).append("\"=hex(3):");
        for (std::size_t i = 0; i < bytes; ++i) line += i == 0 ? "00" : ",00";
        return line + "\n";
    };
    std::string text = "REGEDIT4\n";
    for (int key = 0; key < 16; ++key) text += "[K" + std::to_string(key) + "]\n";
    for (int value = 0; MaxSettingsFileBytes - text.size() > 3083; ++value)
        text += valueLine(std::to_string(value), 1000);
    // "z"=hex(3): and a newline are 12 characters, each byte after the first 3 more.
    text += valueLine("z", (MaxSettingsFileBytes - text.size() - 11) / 3);
    SettingsDocument document;
    ASSERT_TRUE(ParseSettingsDocument(text, document));
    std::string directory = TemporaryDirectory();
    std::string path = directory + "/settings.reg";
    ASSERT_TRUE(ReplaceSettingsFile(path, SampleText));
    EXPECT_FALSE(ReplaceSettingsFile(path, FormatSettingsDocument(document)));
    std::string kept;
    ASSERT_TRUE(ReadSettingsFile(path, kept));
    EXPECT_EQ(kept, SampleText);
    std::system(("rm -rf " + directory).c_str());
}

namespace {

using vorlix::testing::ReadWholeFile;
using vorlix::testing::StartChild;
using vorlix::testing::TempDirectory;
using vorlix::testing::WaitForChild;
using vorlix::testing::WriteWholeFile;

constexpr const char* KeyPath = "Software\\Korvanth\\Vorlix";
constexpr const char* FullKeyPath = "HKEY_LOCAL_MACHINE\\Software\\Korvanth\\Vorlix";
constexpr int HangSeconds = 60;

bool IsLink(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

std::vector<std::string> Listing(const std::filesystem::path& directory) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Whatever already has the new file's name stays as it is, and is not written through.
TEST(SettingsFileReplacement, WhatIsPlantedAtTheNewFilesNameIsNeverOpened) {
    TempDirectory directory;
    std::string path = directory.File("settings.reg");
    std::string victim = directory.File("victim");
    WriteWholeFile(victim, "not the settings\n");
    std::string planted = path + ".new." + std::to_string(::getpid());
    ASSERT_EQ(::symlink(victim.c_str(), planted.c_str()), 0);
    std::string plantedFile = planted + ".1";
    WriteWholeFile(plantedFile, "someone's file\n");

    ASSERT_TRUE(ReplaceSettingsFile(path, SampleText));
    EXPECT_EQ(ReadWholeFile(path), SampleText);
    EXPECT_FALSE(IsLink(path));
    EXPECT_EQ(ReadWholeFile(victim), "not the settings\n");
    EXPECT_TRUE(IsLink(planted));
    EXPECT_EQ(ReadWholeFile(plantedFile), "someone's file\n");
    EXPECT_EQ(Listing(directory.Path()).size(), 4u);  // nothing else left behind
}

// A dotfiles setup links settings.reg to a file kept elsewhere, through one link or several.
TEST(SettingsFileReplacement, ALinkedFileIsReplacedAndTheLinkStays) {
    TempDirectory directory;
    std::filesystem::create_directories(directory.Path() / "dotfiles");
    std::filesystem::create_directories(directory.Path() / "config");
    std::string kept = directory.File("dotfiles/settings.reg");
    std::string link = directory.File("config/settings.reg");
    std::string second = directory.File("config/second.reg");
    WriteWholeFile(kept, "REGEDIT4\n");
    ::chmod(kept.c_str(), 0640);
    ASSERT_EQ(::symlink("../dotfiles/settings.reg", second.c_str()), 0);
    ASSERT_EQ(::symlink("second.reg", link.c_str()), 0);
    EXPECT_EQ(FollowLinks(link), directory.File("config/../dotfiles/settings.reg"));

    ASSERT_TRUE(ReplaceSettingsFile(link, SampleText));
    EXPECT_TRUE(IsLink(link));
    EXPECT_TRUE(IsLink(second));
    EXPECT_EQ(ReadWholeFile(kept), SampleText);
    struct stat info {};
    ASSERT_EQ(::stat(kept.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(Listing(directory.Path() / "dotfiles"), std::vector<std::string>{"settings.reg"});
    EXPECT_EQ(Listing(directory.Path() / "config"),
              (std::vector<std::string>{"second.reg", "settings.reg"}));

    // A link to a file not yet there makes that file.
    std::string dangling = directory.File("config/dangling.reg");
    ASSERT_EQ(::symlink("../dotfiles/new.reg", dangling.c_str()), 0);
    ASSERT_TRUE(ReplaceSettingsFile(dangling, SampleText));
    EXPECT_TRUE(IsLink(dangling));
    EXPECT_EQ(ReadWholeFile(directory.File("dotfiles/new.reg")), SampleText);
}

// The Linux registry over a settings file in a folder of the test's own.
class SettingsFileWriters : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("XDG_CONFIG_HOME", config_.Path().string().c_str(), 1);
        std::filesystem::create_directories(config_.Path() / "vorlix");
        Settings = SettingsRecord{};
    }
    void TearDown() override {
        ::unsetenv("XDG_CONFIG_HOME");
        Settings = SettingsRecord{};
        posix::CrashAtReplacement(0);
    }
    std::string File(const std::string& name) const { return config_.File("vorlix/" + name); }
    std::string SettingsPath() const { return File("settings.reg"); }

    // The key's values as the file holds them now; false when the file is not ours.
    bool StoredValues(StoredKey& key) const {
        SettingsDocument document;
        if (!ParseSettingsDocument(ReadWholeFile(SettingsPath()), document)) return false;
        StoredKey* found = FindKey(document, FullKeyPath);
        if (found == nullptr) return false;
        key = *found;
        return true;
    }
    static std::uint32_t Number(StoredKey& key, const std::string& name) {
        StoredValue* value = FindValue(key, name);
        if (value == nullptr || value->data.size() != 4) return 0xFFFFFFFF;
        std::uint32_t number = 0;
        std::memcpy(&number, value->data.data(), 4);
        return number;
    }
    static std::string Text(StoredKey& key, const std::string& name) {
        StoredValue* value = FindValue(key, name);
        return value == nullptr ? "(missing)" : std::string(value->data.begin(), value->data.end());
    }
    static bool SetNumber(const std::string& name, std::uint32_t number) {
        platform::RegistryKey key = 0;
        bool created = false;
        if (!platform::CreateRegistryKey(platform::RegistryRoot::LocalMachine, KeyPath, key,
                                         created))
            return false;
        bool set = platform::SetRegistryValue(key, name.c_str(), REG_DWORD, &number, 4);
        platform::CloseRegistryKey(key);
        return set;
    }

    TempDirectory config_;
};

// The dialog and a saver that writes back a missing value run at once: each writer's values
// reach the file, none is undone by the other's.
TEST_F(SettingsFileWriters, TwoProcessesWritingAtOnceLoseNothing) {
    constexpr int Names = 30;  // each: two writers' names stay within a key's 64 values
    constexpr int Rounds = 5;
    std::vector<pid_t> writers;
    for (const char* prefix : {"A", "B"}) {
        writers.push_back(StartChild([prefix] {
            for (int i = 0; i < Names * Rounds; ++i)
                if (!SetNumber(prefix + std::to_string(i % Names), static_cast<std::uint32_t>(i)))
                    return 1;
            return 0;
        }));
    }
    for (pid_t writer : writers) {
        vorlix::testing::ChildEnd end = WaitForChild(writer, HangSeconds);
        EXPECT_TRUE(end.exited);
        EXPECT_EQ(end.code, 0);
    }
    StoredKey key;
    ASSERT_TRUE(StoredValues(key));
    EXPECT_EQ(key.values.size(), 2u * Names);
    for (const char* prefix : {"A", "B"}) {
        for (int i = 0; i < Names; ++i) {
            // Each name's last write, in the last round.
            std::uint32_t last = static_cast<std::uint32_t>(Names * (Rounds - 1) + i);
            EXPECT_EQ(Number(key, prefix + std::to_string(i)), last) << prefix << i;
        }
    }
    EXPECT_FALSE(std::filesystem::exists(SettingsPath() + ".bad"));
}

// A saver found Density missing and writes it back, while the dialog has saved one since the
// saver read the file: the dialog's value stays. A value nobody changed meanwhile is written.
TEST_F(SettingsFileWriters, AWriteBackYieldsToAValueSavedSinceTheFileWasRead) {
    ASSERT_TRUE(SetNumber("HighlightDensity", 8));
    platform::RegistryKey saver = 0;
    bool created = false;
    ASSERT_TRUE(
        platform::CreateRegistryKey(platform::RegistryRoot::LocalMachine, KeyPath, saver, created));
    ASSERT_TRUE(SetNumber("Density", 50));  // the dialog's save
    std::uint32_t fallback = 300;
    EXPECT_TRUE(platform::SetRegistryValue(saver, "Density", REG_DWORD, &fallback, 4));
    EXPECT_TRUE(platform::SetRegistryValue(saver, "HighlightDensity", REG_DWORD, &fallback, 4));
    std::uint32_t read = 0;
    std::uint32_t size = sizeof read;
    EXPECT_TRUE(platform::QueryRegistryValue(saver, "Density", &read, size));
    EXPECT_EQ(read, 50u);
    platform::CloseRegistryKey(saver);

    StoredKey stored;
    ASSERT_TRUE(StoredValues(stored));
    EXPECT_EQ(Number(stored, "Density"), 50u);
    EXPECT_EQ(Number(stored, "HighlightDensity"), 300u);
}

// The file was damaged when the key was opened, and another instance has written a good one
// since: that one is written into, not set aside.
TEST_F(SettingsFileWriters, TheDamageVerdictIsTakenAgainAtTheWrite) {
    WriteWholeFile(SettingsPath(), "garbage\n");
    platform::RegistryKey key = 0;
    bool created = false;
    ASSERT_TRUE(
        platform::CreateRegistryKey(platform::RegistryRoot::LocalMachine, KeyPath, key, created));
    EXPECT_TRUE(created);
    ASSERT_TRUE(ReplaceSettingsFile(SettingsPath(), SampleText));
    std::uint32_t zoom = 2;
    EXPECT_TRUE(platform::SetRegistryValue(key, "Zoom", REG_DWORD, &zoom, 4));
    platform::CloseRegistryKey(key);

    EXPECT_FALSE(std::filesystem::exists(SettingsPath() + ".bad"));
    StoredKey stored;
    ASSERT_TRUE(StoredValues(stored));
    EXPECT_EQ(Text(stored, "Resolution"), "1024x768");
    EXPECT_EQ(Number(stored, "Density"), 300u);
    EXPECT_EQ(Number(stored, "Zoom"), 2u);

    // Still damaged at the write: kept aside whole, and a clean file written.
    WriteWholeFile(SettingsPath(), "garbage\n");
    EXPECT_TRUE(SetNumber("Density", 12));
    EXPECT_EQ(ReadWholeFile(SettingsPath() + ".bad"), "garbage\n");
    ASSERT_TRUE(StoredValues(stored));
    EXPECT_EQ(Number(stored, "Density"), 12u);
    EXPECT_EQ(stored.values.size(), 1u);
}

TEST_F(SettingsFileWriters, AFileThatTurnedUnreadableIsNotWrittenOver) {
    platform::RegistryKey key = 0;
    bool created = false;
    ASSERT_TRUE(
        platform::CreateRegistryKey(platform::RegistryRoot::LocalMachine, KeyPath, key, created));
    ASSERT_EQ(::mkdir(SettingsPath().c_str(), 0700), 0);  // no regular file any more
    std::uint32_t zoom = 2;
    EXPECT_FALSE(platform::SetRegistryValue(key, "Zoom", REG_DWORD, &zoom, 4));
    platform::CloseRegistryKey(key);
    EXPECT_TRUE(std::filesystem::is_directory(SettingsPath()));
    EXPECT_FALSE(std::filesystem::exists(SettingsPath() + ".bad"));
}

TEST_F(SettingsFileWriters, ABatchIsWrittenAtItsCommitOnly) {
    WriteWholeFile(SettingsPath(), SampleText);
    platform::RegistryKey key = 0;
    ASSERT_TRUE(
        platform::OpenRegistryKey(platform::RegistryRoot::LocalMachine, KeyPath, true, key));
    platform::BeginRegistryBatch(key);
    std::uint32_t density = 12;
    ASSERT_TRUE(platform::SetRegistryValue(key, "Density", REG_DWORD, &density, 4));
    std::uint32_t read = 0, size = 4;
    EXPECT_TRUE(platform::QueryRegistryValue(key, "Density", &read, size));
    EXPECT_EQ(read, 12u);
    EXPECT_EQ(ReadWholeFile(SettingsPath()), SampleText);
    platform::CloseRegistryKey(key);  // not committed: dropped
    EXPECT_EQ(ReadWholeFile(SettingsPath()), SampleText);

    ASSERT_TRUE(
        platform::OpenRegistryKey(platform::RegistryRoot::LocalMachine, KeyPath, true, key));
    platform::BeginRegistryBatch(key);
    ASSERT_TRUE(platform::SetRegistryValue(key, "Density", REG_DWORD, &density, 4));
    EXPECT_TRUE(platform::CommitRegistryBatch(key));
    platform::CloseRegistryKey(key);
    StoredKey stored;
    ASSERT_TRUE(StoredValues(stored));
    EXPECT_EQ(Number(stored, "Density"), 12u);
    EXPECT_EQ(Number(stored, "HighlightDensity"), 8u);
}

// A save cut off anywhere (a crash, a power cut) leaves the old settings whole or the new ones
// whole, never some of each.
TEST_F(SettingsFileWriters, ASaveCutOffAnywhereLeavesOldOrNewNeverAMix) {
    const std::string old = std::string(SampleText) + "\"Zoom\"=hex(4):00,00,00,00\n";
    for (int cutAt = 1; cutAt <= 4; ++cutAt) {
        SCOPED_TRACE("cut at replacement " + std::to_string(cutAt));
        WriteWholeFile(SettingsPath(), old);
        pid_t saver = StartChild([cutAt] {
            if (!LoadSettings(0)) return 1;
            std::memcpy(Settings.ResolutionText, "640x480\0", 8);
            Settings.Density = 12;
            Settings.HighlightDensity = 34;
            Settings.Zoom = 2;
            posix::CrashAtReplacement(cutAt);
            SaveSettings(0);
            return 0;
        });
        vorlix::testing::ChildEnd end = WaitForChild(saver, HangSeconds);
        ASSERT_TRUE(end.exited);
        EXPECT_TRUE(end.code == 0 || end.code == posix::CrashExitCode) << end.code;
        StoredKey key;
        ASSERT_TRUE(StoredValues(key));
        bool isOld = Text(key, "Resolution") == "1024x768" && Number(key, "Density") == 300 &&
                     Number(key, "HighlightDensity") == 8 && Number(key, "Zoom") == 0;
        bool isNew = Text(key, "Resolution") == "640x480" && Number(key, "Density") == 12 &&
                     Number(key, "HighlightDensity") == 34 && Number(key, "Zoom") == 2;
        EXPECT_TRUE(isOld || isNew) << ReadWholeFile(SettingsPath());
        EXPECT_EQ(isNew, end.code == 0);
    }
}

}  // namespace

}  // namespace vorlix::sdl
