#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/sdl/settings_file.h"

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
    EXPECT_FALSE(ParseSettingsDocument("REGEDIT4\n[K]\n\"D\"=hex(4):01\n\"D\"=hex(4):02\n",
                                       document));
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

}  // namespace vorlix::sdl
