// Corrupt inputs fed to the vorlix-glyphs executable: it must exit 1 with a message on stderr,
// never crash, and write nothing.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Save(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
}

struct Outcome {
    int exitCode = -1;  // -1: killed by a signal
    std::string stderrText;
};

// The tests run in parallel in one directory, so each one names its files after itself.
std::string Name(const std::string& file) {
    return std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
           file;
}

// In args, every "@name" stands for that test's own file.
Outcome RunTool(std::string args) {
    for (std::size_t at = args.find('@'); at != std::string::npos; at = args.find('@')) {
        const std::size_t end = args.find(' ', at);
        const std::string file = args.substr(at + 1, end == std::string::npos ? end : end - at - 1);
        args.replace(at, file.size() + 1, Name(file));
    }
    const std::string command = std::string(VORLIX_GLYPHS_TOOL) + " " + args +
                                " >/dev/null 2>" + Name("stderr.txt");
    const int status = std::system(command.c_str());
    Outcome outcome;
    if (WIFEXITED(status)) outcome.exitCode = WEXITSTATUS(status);
    const Bytes text = Load(Name("stderr.txt"));
    outcome.stderrText.assign(text.begin(), text.end());
    return outcome;
}

void ExpectRefused(const std::string& args, const std::string& message) {
    std::remove(Name("out.ani").c_str());
    std::remove(Name("out.png").c_str());
    const Outcome outcome = RunTool(args);
    EXPECT_EQ(outcome.exitCode, 1) << args << ": " << outcome.stderrText;
    EXPECT_NE(outcome.stderrText.find(message), std::string::npos)
        << args << ": " << outcome.stderrText;
    EXPECT_TRUE(Load(Name("out.ani")).empty() && Load(Name("out.png")).empty()) << args;
}

void PutU32BigEndian(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

// Rewrites the IHDR size and its CRC, so only the size is wrong.
Bytes WithPngSize(Bytes png, std::uint32_t width, std::uint32_t height) {
    PutU32BigEndian(png, 16, width);
    PutU32BigEndian(png, 20, height);
    const uLong crc = crc32(0, png.data() + 12, 17);
    PutU32BigEndian(png, 29, static_cast<std::uint32_t>(crc));
    return png;
}

class GlyphToolCli : public ::testing::Test {
protected:
    void SetUp() override {
        good = Load(VORLIX_GLYPH_FILE);
        ASSERT_GT(good.size(), 12u);
        ASSERT_EQ(RunTool(std::string("sheet ") + VORLIX_GLYPH_FILE + " @good.png").exitCode, 0);
        sheet = Load(Name("good.png"));
        ASSERT_GT(sheet.size(), 33u);
    }
    Bytes good;
    Bytes sheet;
};

TEST_F(GlyphToolCli, CorruptGlyphFilesAreRefused) {
    struct Case {
        std::size_t offset;
        Bytes patch;
        std::size_t keep;  // 0 keeps the whole file
        const char* message;
    };
    const Case cases[] = {
        {0, {}, 5, "truncated header"},
        {0, {}, 20000, "truncated: 55 frames need"},
        {4, {1}, 0, "wrong file format version 1"},
        {4, {3}, 0, "wrong file format version 3"},
        {5, {200}, 0, "200 frames are too many"},
        {6, {0, 0}, 0, "is empty"},
        {6, {0xFF, 0xFF, 0xFF, 0xFF}, 0, "too large"},
    };
    for (const Case& c : cases) {
        Bytes bytes = good;
        if (c.keep) bytes.resize(c.keep);
        std::copy(c.patch.begin(), c.patch.end(), bytes.begin() + static_cast<long>(c.offset));
        Save(Name("bad.ani"), bytes);
        ExpectRefused("sheet @bad.ani @out.png", c.message);
    }
}

TEST_F(GlyphToolCli, CorruptSheetsAreRefused) {
    Bytes cut(sheet.begin(), sheet.begin() + static_cast<long>(sheet.size() / 2));
    Save(Name("bad.png"), cut);
    ExpectRefused("from-png @bad.png @out.ani", "bad PNG");

    Bytes flipped = sheet;
    flipped[sheet.size() / 2] ^= 0x55;
    Save(Name("bad.png"), flipped);
    ExpectRefused("from-png @bad.png @out.ani", "bad PNG");

    Save(Name("bad.png"), Bytes(sheet.begin(), sheet.begin() + 8));
    ExpectRefused("from-png @bad.png @out.ani", "bad PNG header");

    Save(Name("bad.png"), WithPngSize(sheet, 1u << 30, 1u << 30));
    ExpectRefused("from-png @bad.png @out.ani", "bad PNG header");

    Save(Name("bad.png"), WithPngSize(sheet, 1u << 16, 1u << 16));
    ExpectRefused("from-png @bad.png @out.ani", "image too large");

    // A real sheet whose size does not match what its metadata says.
    Save(Name("bad.png"), WithPngSize(sheet, 324, 32));
    ExpectRefused("from-png @bad.png @out.ani", "");
}

TEST_F(GlyphToolCli, UsageErrorsExitWithTwo) {
    EXPECT_EQ(RunTool("").exitCode, 2);
    EXPECT_EQ(RunTool("sheet").exitCode, 2);
    EXPECT_EQ(RunTool("from-png a.png b.ani --cell 0x16").exitCode, 2);
    EXPECT_EQ(RunTool("from-png a.png b.ani --scale 99").exitCode, 2);
    EXPECT_EQ(RunTool("--help").exitCode, 0);
}

}  // namespace
