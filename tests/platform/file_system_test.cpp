#include "platform/file_system.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "glyphs/graphics_loader.h"
#include "support/temp_directory.h"

namespace vorlix {
namespace {

using testing::ReadWholeFile;
using testing::TempDirectory;
using testing::WriteWholeFile;

// A FIFO with both ends held open here, so that a file layer that wrongly accepts it fails
// the test instead of waiting for a writer or a reader that never comes.
class HeldFifo {
  public:
    explicit HeldFifo(const std::string& path) : path_(path) {
        if (::mkfifo(path.c_str(), 0644) == 0) ends_ = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    }
    ~HeldFifo() {
        if (ends_ >= 0) ::close(ends_);
    }
    HeldFifo(const HeldFifo&) = delete;
    HeldFifo& operator=(const HeldFifo&) = delete;
    bool Ready() const { return ends_ >= 0; }
    const char* Path() const { return path_.c_str(); }

  private:
    std::string path_;
    int ends_ = -1;
};

void ExpectRefusedEverywhere(const char* path) {
    int reader = platform::OpenForReading(path);
    EXPECT_EQ(reader, -1) << path << " was opened for reading";
    if (reader >= 0) platform::CloseDescriptor(reader);
    int writer = platform::OpenForWriting(path);
    EXPECT_EQ(writer, -1) << path << " was opened for writing";
    if (writer >= 0) platform::CloseDescriptor(writer);
    EXPECT_FALSE(platform::CreateEmptyFile(path)) << path << " was emptied";
}

TEST(FileSystemKinds, OnlyPlainFilesAreOpened) {
    TempDirectory dir;
    HeldFifo fifo(dir.File("glyph2.ani"));
    ASSERT_TRUE(fifo.Ready());
    ExpectRefusedEverywhere(fifo.Path());
    ExpectRefusedEverywhere(dir.Path().c_str());
    ExpectRefusedEverywhere("/dev/null");
    // A refused FIFO is left as it was.
    struct stat status {};
    ASSERT_EQ(::stat(fifo.Path(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
}

TEST(FileSystemKinds, FifoWithoutReaderIsRefusedForWriting) {
    TempDirectory dir;
    std::string path = dir.File("lonely.fifo");
    ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
    EXPECT_EQ(platform::OpenForWriting(path.c_str()), -1);
    EXPECT_FALSE(platform::CreateEmptyFile(path.c_str()));
}

TEST(FileSystemKinds, PlainFilesStillReadWriteAndBlockAsUsual) {
    TempDirectory dir;
    std::string path = dir.File("plain.bin");
    WriteWholeFile(path, "left alone");
    int writer = platform::OpenForWriting(path.c_str());
    ASSERT_GE(writer, 0);
    // The descriptor is handed over in blocking mode, whatever the open needed.
    EXPECT_EQ(::fcntl(writer, F_GETFL) & O_NONBLOCK, 0);
    EXPECT_EQ(platform::WriteDescriptor(writer, "LEFT", 4), 4);
    platform::CloseDescriptor(writer);
    EXPECT_EQ(ReadWholeFile(path), "LEFT alone");

    int reader = platform::OpenForReading(path.c_str());
    ASSERT_GE(reader, 0);
    EXPECT_EQ(::fcntl(reader, F_GETFL) & O_NONBLOCK, 0);
    char bytes[16] = {};
    EXPECT_EQ(platform::ReadDescriptor(reader, bytes, sizeof bytes), 10);
    platform::CloseDescriptor(reader);

    EXPECT_TRUE(platform::CreateEmptyFile(path.c_str()));
    EXPECT_EQ(ReadWholeFile(path), "");
    std::string fresh = dir.File("fresh.bin");
    EXPECT_TRUE(platform::CreateEmptyFile(fresh.c_str()));
    EXPECT_EQ(ReadWholeFile(fresh), "");
}

// The loader meets a FIFO as it meets a missing file, and comes back at once.
TEST(FileSystemKinds, GlyphLoaderTreatsFifoAsMissing) {
    TempDirectory dir;
    HeldFifo fifo(dir.File("glyph2.ani"));
    ASSERT_TRUE(fifo.Ready());
    GraphicsLoader loader;
    ASSERT_NE(loader.ScratchPad, nullptr);
    EXPECT_EQ(loader.LoadAnimation(String(fifo.Path()), false), nullptr);
}

// A file written by one running program alone: a second writer neither empties nor joins it.
TEST(FileSystemKinds, AFileWrittenAloneIsLeftToItsWriter) {
    TempDirectory dir;
    std::string path = dir.File("alone.log");
    WriteWholeFile(path, "last run\n");
    bool busy = true;
    int first = platform::OpenForWritingAlone(path.c_str(), busy);
    ASSERT_GE(first, 0);
    EXPECT_FALSE(busy);
    EXPECT_EQ(ReadWholeFile(path), "");  // emptied for its new writer
    ASSERT_EQ(platform::WriteDescriptor(first, "first\n", 6), 6);

    EXPECT_LT(platform::OpenForWritingAlone(path.c_str(), busy), 0);
    EXPECT_TRUE(busy);
    EXPECT_EQ(ReadWholeFile(path), "first\n");

    platform::CloseDescriptor(first);
    int second = platform::OpenForWritingAlone(path.c_str(), busy);
    ASSERT_GE(second, 0);
    EXPECT_FALSE(busy);
    EXPECT_EQ(ReadWholeFile(path), "");
    platform::CloseDescriptor(second);

    HeldFifo fifo(dir.File("fifo"));
    ASSERT_TRUE(fifo.Ready());
    EXPECT_LT(platform::OpenForWritingAlone(fifo.Path(), busy), 0);
    EXPECT_FALSE(busy);
}

}  // namespace
}  // namespace vorlix
