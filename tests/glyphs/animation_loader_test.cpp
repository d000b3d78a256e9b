#include <sys/mman.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "glyph_test_files.h"
#include "glyphs/blitters.h"
#include "glyphs/graphics_loader.h"
#include "support/fresh_process.h"

namespace vorlix {
namespace {

using glyph_tests::Bytes;
using glyph_tests::GlyphFile;
using glyph_tests::GlyphHeader;
using glyph_tests::LogSession;
using glyph_tests::TempDir;
using glyph_tests::WriteBytes;
using Lines = std::vector<std::string>;

const std::string Tag = "LOG_ERROR: [GraphicsLoader::LoadAnimation] ";

// The 5-5-5 value of pixel (frame, column, row) of the generated glyph files.
std::uint16_t Generated(unsigned frame, unsigned column, unsigned row) {
    const std::uint8_t bgr[3] = {static_cast<std::uint8_t>(column * 8),
                                 static_cast<std::uint8_t>(row * 8),
                                 static_cast<std::uint8_t>(frame * 8)};
    return PackRgb555(bgr);
}

// A read error in the middle of a file, which an ordinary disk file never gives: the bytes
// are placed at the end of a mapped page with nothing mapped after it and read through
// /proc/self/mem, so the read that reaches past the page fails.
class FaultingStream {
public:
    explicit FaultingStream(const Bytes& content) {
        const long page = sysconf(_SC_PAGESIZE);
        void* want = reinterpret_cast<void*>(0x30000000);
        void* at = mmap(want, 2 * page, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
        if (at != want) return;
        base_ = static_cast<std::uint8_t*>(at);
        page_ = page;
        munmap(base_ + page, page);
        std::memcpy(base_ + page - content.size(), content.data(), content.size());
        stream_ = std::make_unique<BinaryFile>("/proc/self/mem", FileMode::Read);
        const auto offset = reinterpret_cast<std::intptr_t>(base_) + page - content.size();
        if (stream_->SeekFromStart(static_cast<std::int32_t>(offset)) < 0) stream_.reset();
    }
    ~FaultingStream() {
        stream_.reset();
        if (base_ != nullptr) munmap(base_, page_);
    }
    BinaryFile* Stream() { return stream_.get(); }

private:
    std::uint8_t* base_ = nullptr;
    long page_ = 0;
    std::unique_ptr<BinaryFile> stream_;
};

class AnimationLoader : public testing::FreshProcessTest {
protected:
    AnimationLoader() { loader.SetPixelFormat(Rgb555); }

    std::unique_ptr<Animation> LoadBytes(const Bytes& bytes, bool compress = false) {
        const std::string path = dir.File("glyph2.ani");
        WriteBytes(path, bytes);
        return std::unique_ptr<Animation>(loader.LoadAnimation(path.c_str(), compress));
    }

    TempDir dir;
    GraphicsLoader loader;
};

TEST_F(AnimationLoader, ReadsEveryFrameTopRowFirst) {
    LogSession log(dir);
    auto animation = LoadBytes(GlyphFile(3, 5, 4, false));
    ASSERT_TRUE(animation);
    EXPECT_EQ(animation->width, 5);
    EXPECT_EQ(animation->height, 4);
    EXPECT_EQ(animation->frameCount, 3);
    EXPECT_EQ(animation->compressed, 0u);
    EXPECT_EQ(animation->hasMaps, 0);
    for (unsigned f = 0; f < 3; ++f) {
        for (unsigned r = 0; r < 4; ++r) {
            for (unsigned c = 0; c < 5; ++c) {
                ASSERT_EQ(animation->frames[f][r * 5 + c], Generated(f, c, r));
            }
        }
    }
    EXPECT_EQ(animation->frames[3], nullptr);
    EXPECT_TRUE(log.Lines().empty());
}

TEST_F(AnimationLoader, ConvertsIntoTheLoadersLayout) {
    loader.SetPixelFormat(Rgb565);
    Bytes bytes = GlyphHeader(2, 1, 2, 1, false);
    glyph_tests::PutBgr(bytes, 255, 255, 255);
    glyph_tests::PutBgr(bytes, 255, 0, 255);
    auto animation = LoadBytes(bytes);
    ASSERT_TRUE(animation);
    EXPECT_EQ(animation->frames[0][0], 0xFFFF);
    EXPECT_EQ(animation->frames[0][1], 0xF81F);
}

TEST_F(AnimationLoader, CompressedFramesDrawLikeRawOnes) {
    auto raw = LoadBytes(GlyphFile(2, 6, 3, false), false);
    auto lle = LoadBytes(GlyphFile(2, 6, 3, false), true);
    ASSERT_TRUE(raw && lle);
    EXPECT_EQ(lle->compressed, 1u);
    ClipRect = {0, 0, 8, 5};
    std::vector<std::uint16_t> a(8 * 5, 0), b(8 * 5, 0);
    DrawGlyph(*raw, {a.data(), 8, 5, 8}, 1, 1, 1);
    DrawGlyph(*lle, {b.data(), 8, 5, 8}, 1, 1, 1);
    EXPECT_EQ(a, b);
}

TEST_F(AnimationLoader, WrongVersionsLogTheirNumber) {
    LogSession log(dir);
    for (unsigned version : {1u, 3u, 0u, 255u}) {
        Bytes bytes = GlyphFile(1, 2, 2, false);
        bytes[4] = static_cast<std::uint8_t>(version);
        EXPECT_FALSE(LoadBytes(bytes));
    }
    EXPECT_EQ(log.Lines(), (Lines{Tag + "Wrong file format version, found 1",
                                  Tag + "Wrong file format version, found 3",
                                  Tag + "Wrong file format version, found 0",
                                  Tag + "Wrong file format version, found 255"}));
}

TEST_F(AnimationLoader, MissingFileAndUnreadableHeaderLogNothing) {
    LogSession log(dir);
    EXPECT_EQ(loader.LoadAnimation(dir.File("absent.ani").c_str(), false), nullptr);
    // A directory opens for reading, but every read of it fails.
    EXPECT_EQ(loader.LoadAnimation(dir.Path().c_str(), false), nullptr);
    EXPECT_TRUE(log.Lines().empty());
}

TEST_F(AnimationLoader, AFileShorterThanItsHeaderIsNotVersionTwo) {
    LogSession log(dir);
    EXPECT_FALSE(LoadBytes({0, 0, 0}));
    EXPECT_FALSE(LoadBytes({}));
    EXPECT_EQ(log.Lines(), (Lines{Tag + "Wrong file format version, found 0",
                                  Tag + "Wrong file format version, found 0"}));
}

TEST_F(AnimationLoader, MissingScratchPadIsLoggedForBothForms) {
    LogSession log(dir);
    delete[] loader.ScratchPad;
    loader.ScratchPad = nullptr;
    const std::string path = dir.File("glyph2.ani");
    WriteBytes(path, GlyphFile(1, 2, 2, false));
    EXPECT_EQ(loader.LoadAnimation(path.c_str(), false), nullptr);
    BinaryFile stream(path.c_str(), FileMode::Read);
    EXPECT_EQ(loader.LoadAnimationFromStream(stream, false), nullptr);
    EXPECT_EQ(log.Lines(), (Lines{Tag + "NULL pointer detected in ScratchPad",
                                  Tag + "NULL pointer detected in ScratchPad"}));
}

TEST_F(AnimationLoader, RefusesHeadersItCannotHold) {
    LogSession log(dir);
    EXPECT_FALSE(LoadBytes(GlyphHeader(2, 101, 2, 2, false)));
    EXPECT_FALSE(LoadBytes(GlyphHeader(2, 255, 2, 2, true)));
    EXPECT_FALSE(LoadBytes(GlyphHeader(2, 1, 0, 5, false)));
    EXPECT_FALSE(LoadBytes(GlyphHeader(2, 1, 5, 0, false)));
    EXPECT_FALSE(LoadBytes(GlyphHeader(2, 1, 801, 600, false)));
    EXPECT_FALSE(LoadBytes(GlyphHeader(2, 1, 65535, 65535, false)));
    EXPECT_EQ(log.Lines(),
              (Lines{Tag + "Too many frames in animation file, found 101 (at most 100)",
                     Tag + "Too many frames in animation file, found 255 (at most 100)",
                     Tag + "Empty frame in animation file, found 0x5",
                     Tag + "Empty frame in animation file, found 5x0",
                     Tag + "Frame too large in animation file, found 801x600 (at most 480000 "
                           "pixels)",
                     Tag + "Frame too large in animation file, found 65535x65535 (at most "
                           "480000 pixels)"}));
}

// A header that promises far more than the file holds: every row after the end is what the
// row buffer last held, so all frames repeat the last bytes there were.
TEST_F(AnimationLoader, AShortFileWithATallHeaderRepeatsItsLastRow) {
    Bytes bytes = GlyphHeader(2, 3, 2, 20000, false);
    glyph_tests::PutBgr(bytes, 8, 16, 24);
    glyph_tests::PutBgr(bytes, 32, 40, 48);
    glyph_tests::PutBgr(bytes, 56, 64, 72);  // half of row 1
    auto animation = LoadBytes(bytes);
    ASSERT_TRUE(animation);
    const std::uint8_t first[3] = {8, 16, 24}, second[3] = {32, 40, 48}, third[3] = {56, 64, 72};
    EXPECT_EQ(animation->frames[0][0], PackRgb555(first));
    EXPECT_EQ(animation->frames[0][1], PackRgb555(second));
    for (int f = 0; f < 3; ++f) {
        EXPECT_EQ(animation->frames[f][2 * 19999], PackRgb555(third)) << "frame " << f;
        EXPECT_EQ(animation->frames[f][2 * 19999 + 1], PackRgb555(second)) << "frame " << f;
    }
}

TEST_F(AnimationLoader, LimitsThemselvesAreAccepted) {
    // The files end after the header, so every frame is what the zeroed row buffer holds.
    auto many = LoadBytes(GlyphHeader(2, 100, 2, 2, false));
    ASSERT_TRUE(many);
    EXPECT_EQ(many->frameCount, 100);
    EXPECT_EQ(many->frames[99][3], 0);
    auto large = LoadBytes(GlyphHeader(2, 1, 800, 600, false));
    ASSERT_TRUE(large);
    EXPECT_EQ(large->frames[0][479999], 0);
}

TEST_F(AnimationLoader, NoFramesGivesAnEmptyAnimationOfTheHeadersSize) {
    auto animation = LoadBytes(GlyphHeader(2, 0, 9, 13, false));
    ASSERT_TRUE(animation);
    EXPECT_EQ(animation->frameCount, 0);
    EXPECT_EQ(animation->width, 9);
    EXPECT_EQ(animation->height, 13);
}

TEST_F(AnimationLoader, MapsFollowTheirFramesAndKeepFramesRaw) {
    auto animation = LoadBytes(GlyphFile(3, 4, 2, true), true);
    ASSERT_TRUE(animation);
    EXPECT_EQ(animation->compressed, 0u);
    EXPECT_EQ(animation->hasMaps, 1);
    for (unsigned f = 0; f < 3; ++f) {
        ASSERT_NE(animation->maps[f], nullptr);
        for (unsigned r = 0; r < 2; ++r) {
            for (unsigned c = 0; c < 4; ++c) {
                EXPECT_EQ(animation->maps[f][r * 4 + c], f + r + c);
                EXPECT_EQ(animation->frames[f][r * 4 + c], Generated(f, c, r));
            }
        }
    }
}

TEST_F(AnimationLoader, ATruncatedFrameKeepsWhatTheRowBufferHeld) {
    LogSession log(dir);
    Bytes bytes = GlyphFile(1, 4, 3, false);
    bytes.resize(12 + 12 + 6);  // row 0 and half of row 1
    auto animation = LoadBytes(bytes);
    ASSERT_TRUE(animation);
    const std::uint16_t* frame = animation->frames[0];
    for (unsigned c = 0; c < 4; ++c) EXPECT_EQ(frame[c], Generated(0, c, 0));
    EXPECT_EQ(frame[4 + 0], Generated(0, 0, 1));
    EXPECT_EQ(frame[4 + 1], Generated(0, 1, 1));
    EXPECT_EQ(frame[4 + 2], Generated(0, 2, 0)) << "the rest of the row comes from row 0";
    EXPECT_EQ(frame[4 + 3], Generated(0, 3, 0));
    for (unsigned c = 0; c < 4; ++c) EXPECT_EQ(frame[8 + c], frame[4 + c]);
    EXPECT_TRUE(log.Lines().empty());
}

TEST_F(AnimationLoader, StreamFormMirrorsRowsAndLeavesTheStreamOpen) {
    const std::string path = dir.File("stream.ani");
    Bytes bytes = {'J', 'U', 'N', 'K'};
    const Bytes file = GlyphFile(2, 3, 4, false);
    bytes.insert(bytes.end(), file.begin(), file.end());
    bytes.push_back(0x77);  // trailing byte, never read
    WriteBytes(path, bytes);

    BinaryFile stream(path.c_str(), FileMode::Read);
    ASSERT_EQ(stream.SeekFromStart(4), 4);
    std::unique_ptr<Animation> animation(loader.LoadAnimationFromStream(stream, false));
    ASSERT_TRUE(animation);
    for (unsigned f = 0; f < 2; ++f) {
        for (unsigned r = 0; r < 4; ++r) {
            for (unsigned c = 0; c < 3; ++c) {
                ASSERT_EQ(animation->frames[f][(3 - r) * 3 + c], Generated(f, c, r));
            }
        }
    }
    EXPECT_EQ(stream.Status(), FileOk);
    EXPECT_EQ(stream.SeekFromCurrent(0), static_cast<std::int32_t>(4 + file.size()));
}

TEST_F(AnimationLoader, StreamFormStaysOpenAfterAFailure) {
    LogSession log(dir);
    const std::string path = dir.File("v3.ani");
    Bytes bytes = GlyphFile(1, 2, 2, false);
    bytes[4] = 3;
    WriteBytes(path, bytes);
    BinaryFile stream(path.c_str(), FileMode::Read);
    EXPECT_EQ(loader.LoadAnimationFromStream(stream, false), nullptr);
    EXPECT_EQ(stream.Status(), FileOk);
    EXPECT_EQ(stream.SeekFromCurrent(0), 12);

    BinaryFile closed(dir.File("absent.ani").c_str(), FileMode::Read);
    EXPECT_EQ(loader.LoadAnimationFromStream(closed, false), nullptr);
    BinaryFile writing(dir.File("new.ani").c_str(), FileMode::Write);
    EXPECT_EQ(loader.LoadAnimationFromStream(writing, false), nullptr);
    EXPECT_EQ(log.Lines(), (Lines{Tag + "Wrong file format version, found 3"}));
}

TEST_F(AnimationLoader, ReadErrorsInRowsAndMapsAreLogged) {
    LogSession log(dir);
    {
        Bytes rows = GlyphFile(1, 4, 3, false);
        rows.resize(12 + 12 + 5);  // the third row's read fails
        FaultingStream fault(rows);
        if (fault.Stream() == nullptr) GTEST_SKIP() << "no fixed low mapping here";
        EXPECT_EQ(loader.LoadAnimationFromStream(*fault.Stream(), false), nullptr);
        EXPECT_EQ(fault.Stream()->Status(), FileOk);
    }
    {
        Bytes maps = GlyphFile(2, 2, 2, true);
        maps.resize(12 + 12 + 4 + 12);  // the second map's read fails
        FaultingStream fault(maps);
        ASSERT_NE(fault.Stream(), nullptr);
        EXPECT_EQ(loader.LoadAnimationFromStream(*fault.Stream(), true), nullptr);
    }
    EXPECT_EQ(log.Lines(), (Lines{Tag + "Unable to read source file",
                                  Tag + "Unable to read transparecy map"}));
}

}  // namespace
}  // namespace vorlix
