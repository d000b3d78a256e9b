#include "glyphs/binary_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/posix/file_faults.h"
#include "support/fresh_process.h"
#include "support/temp_directory.h"

namespace vorlix {
namespace {

using testing::ReadWholeFile;
using testing::TempDirectory;
using testing::WriteWholeFile;

class BinaryFileRead : public testing::FreshProcessTest {};

TEST_F(BinaryFileRead, ShortReadAtEndIsSuccessAndKeepsTheRestOfTheBuffer) {
    TempDirectory dir;
    std::string path = dir.File("short.bin");
    WriteWholeFile(path, "ABCDE");

    BinaryFile file(path.c_str(), FileMode::Read);
    ASSERT_EQ(file.Status(), FileOk);
    char header[12];
    std::memset(header, '#', sizeof header);
    EXPECT_EQ(file.Read(header, sizeof header), FileOk);
    EXPECT_EQ(std::string(header, sizeof header), "ABCDE#######");

    std::memset(header, '?', sizeof header);
    EXPECT_EQ(file.Read(header, sizeof header), FileOk);
    EXPECT_EQ(std::string(header, sizeof header), std::string(12, '?'));
}

TEST_F(BinaryFileRead, BytesComeBackUntranslated) {
    TempDirectory dir;
    std::string path = dir.File("raw.bin");
    std::string bytes("a\r\nb\n\x1a\0c", 8);
    {
        BinaryFile out(String(path.c_str()), FileMode::Write);
        ASSERT_EQ(out.Status(), FileOk);
        EXPECT_EQ(out.Write(bytes.data(), static_cast<std::uint32_t>(bytes.size())), FileOk);
    }
    EXPECT_EQ(ReadWholeFile(path), bytes);

    BinaryFile in(path.c_str(), FileMode::Read);
    char back[8] = {};
    EXPECT_EQ(in.Read(back, sizeof back), FileOk);
    EXPECT_EQ(std::string(back, sizeof back), bytes);
}

class BinaryFileModes : public testing::FreshProcessTest {};

TEST_F(BinaryFileModes, WrongDirectionIsRefusedAndTouchesNothing) {
    TempDirectory dir;
    std::string path = dir.File("both.bin");
    WriteWholeFile(path, "content");

    BinaryFile reader(path.c_str(), FileMode::Read);
    EXPECT_EQ(reader.Write("xx", 2), FileWriteOnReadStream);
    EXPECT_EQ(ReadWholeFile(path), "content");

    BinaryFile writer(path.c_str(), FileMode::Write);
    ASSERT_EQ(writer.Write("new", 3), FileOk);
    char buffer[4] = {'k', 'k', 'k', 'k'};
    EXPECT_EQ(writer.Read(buffer, sizeof buffer), FileReadOnWriteStream);
    EXPECT_EQ(std::string(buffer, 4), "kkkk");
    EXPECT_EQ(ReadWholeFile(path), "new");
}

TEST_F(BinaryFileModes, UnknownOrClosedModeOpensNothing) {
    TempDirectory dir;
    std::string path = dir.File("untouched.bin");
    WriteWholeFile(path, "keep");
    for (std::uint32_t mode : {0u, 3u, 7u}) {
        BinaryFile file(path.c_str(), mode);
        EXPECT_EQ(file.Status(), FileClosedOrError) << mode;
        EXPECT_EQ(file.Mode(), FileMode::Closed) << mode;
        char byte = 0;
        EXPECT_EQ(file.Read(&byte, 1), FileClosedOrError);
        EXPECT_EQ(file.Write("x", 1), FileClosedOrError);
        EXPECT_EQ(file.SeekFromStart(0), -1);
    }
    EXPECT_EQ(ReadWholeFile(path), "keep");
}

class BinaryFileOpen : public testing::FreshProcessTest {};

TEST_F(BinaryFileOpen, MissingFileOrDirectoryGivesAClosedStream) {
    TempDirectory dir;
    BinaryFile missing(dir.File("absent.bin").c_str(), FileMode::Read);
    EXPECT_EQ(missing.Status(), FileClosedOrError);
    char byte = 0;
    EXPECT_EQ(missing.Read(&byte, 1), FileClosedOrError);
    EXPECT_EQ(missing.SeekFromEnd(0), -1);

    BinaryFile noDirectory(dir.File("no/such/dir/out.bin").c_str(), FileMode::Write);
    EXPECT_EQ(noDirectory.Status(), FileClosedOrError);
    EXPECT_EQ(noDirectory.Write("x", 1), FileClosedOrError);

    BinaryFile nullPath(static_cast<const char*>(nullptr), FileMode::Read);
    EXPECT_EQ(nullPath.Status(), FileClosedOrError);
}

TEST_F(BinaryFileOpen, WriteModeTruncatesAnExistingFile) {
    TempDirectory dir;
    std::string path = dir.File("old.bin");
    WriteWholeFile(path, "a much longer old content");
    {
        BinaryFile file(path.c_str(), FileMode::Write);
        ASSERT_EQ(file.Status(), FileOk);
        EXPECT_EQ(file.Write("short", 5), FileOk);
    }
    EXPECT_EQ(ReadWholeFile(path), "short");
}

TEST_F(BinaryFileOpen, WriteModeTruncatesEvenWhenTheOpenFails) {
    TempDirectory dir;
    std::string path = dir.File("locked.bin");
    WriteWholeFile(path, "previous run");
    posix::FailOpensForWriting(1);
    BinaryFile file(path.c_str(), FileMode::Write);
    EXPECT_EQ(file.Status(), FileClosedOrError);
    EXPECT_EQ(file.Write("x", 1), FileClosedOrError);
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(ReadWholeFile(path), "");
}

class BinaryFileSeek : public testing::FreshProcessTest {};

TEST_F(BinaryFileSeek, PositionsFromEachOrigin) {
    TempDirectory dir;
    std::string path = dir.File("hundred.bin");
    WriteWholeFile(path, std::string(100, 'h'));
    BinaryFile file(path.c_str(), FileMode::Read);
    EXPECT_EQ(file.SeekFromEnd(0), 100);
    EXPECT_EQ(file.SeekFromStart(-1), -1);
    EXPECT_EQ(file.SeekFromStart(10), 10);
    EXPECT_EQ(file.SeekFromCurrent(5), 15);
    EXPECT_EQ(file.SeekFromCurrent(-15), 0);
    EXPECT_EQ(file.SeekFromEnd(-40), 60);
}

class BinaryFileClose : public testing::FreshProcessTest {};

TEST_F(BinaryFileClose, CloseEndsTheStreamOnce) {
    TempDirectory dir;
    std::string path = dir.File("closed.bin");
    BinaryFile file(path.c_str(), FileMode::Write);
    ASSERT_EQ(file.Write("data", 4), FileOk);
    EXPECT_EQ(file.Close(), 0);
    EXPECT_EQ(file.Status(), FileClosedOrError);
    EXPECT_EQ(file.Write("more", 4), FileClosedOrError);
    EXPECT_EQ(file.SeekFromCurrent(0), -1);
    EXPECT_EQ(file.Close(), 0);
    EXPECT_EQ(ReadWholeFile(path), "data");
}

}  // namespace
}  // namespace vorlix
