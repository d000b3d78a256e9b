// vorlix-record as a person runs it: exit codes, messages and the file it leaves.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "glyphs/masked_rows.h"

namespace {

struct Outcome {
    int exitCode = -1;
    std::string output;  // stdout and stderr together
};

Outcome RunRecorder(const std::string& arguments) {
    Outcome outcome;
    const std::string command = std::string(VORLIX_RECORD_TOOL) + " " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return outcome;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) outcome.output += buffer;
    const int status = pclose(pipe);
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

bool Exists(const std::string& path) {
    return std::ifstream(path).good();
}

TEST(RecordCommand, BadOptionsGiveAMessageAndExitTwo) {
    for (const char* arguments :
         {"--density 500", "--resolution big", "--frobnicate", "--seconds"}) {
        const Outcome outcome = RunRecorder(arguments);
        EXPECT_EQ(outcome.exitCode, 2) << arguments;
        EXPECT_NE(outcome.output.find("vorlix-record: "), std::string::npos) << outcome.output;
        EXPECT_NE(outcome.output.find("--help"), std::string::npos);
    }
}

TEST(RecordCommand, HelpListsTheOptions) {
    const Outcome outcome = RunRecorder("--help");
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_NE(outcome.output.find("--density"), std::string::npos);
}

TEST(RecordCommand, RecordsAShortGifAndSaysWhereItWent) {
    const std::string path = ::testing::TempDir() + "cli_short.gif";
    std::remove(path.c_str());
    const Outcome outcome = RunRecorder("--resolution 160x120 --seconds 0.3 --output " + path);
    EXPECT_EQ(outcome.exitCode, 0) << outcome.output;
    EXPECT_TRUE(Exists(path));
    EXPECT_FALSE(Exists(path + ".part"));
    EXPECT_NE(outcome.output.find("Wrote 10 frames of 160x120"), std::string::npos)
        << outcome.output;
    EXPECT_NE(outcome.output.find(path), std::string::npos);
    EXPECT_NE(outcome.output.find("recorded 10 of 10 frames"), std::string::npos);  // no terminal
    std::ifstream gif(path, std::ios::binary);
    char magic[6] = {};
    gif.read(magic, 6);
    EXPECT_EQ(std::string(magic, 6), "GIF89a");
    std::remove(path.c_str());
}

TEST(RecordCommand, MissingGlyphFileIsAClearFailure) {
    const std::string path = ::testing::TempDir() + "cli_missing.gif";
    const Outcome outcome = RunRecorder("--glyphs /nonexistent/glyph2.ani --output " + path);
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_NE(outcome.output.find("cannot load the glyphs from /nonexistent/glyph2.ani"),
              std::string::npos)
        << outcome.output;
    EXPECT_FALSE(Exists(path));
}

TEST(RecordCommand, UnwritableOutputIsAClearFailure) {
    const Outcome outcome = RunRecorder("--seconds 0.1 --output /nonexistent-dir/x.gif");
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_NE(outcome.output.find("cannot write /nonexistent-dir/x.gif"), std::string::npos)
        << outcome.output;
}

}  // namespace

namespace {

std::string FileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Incremental frames leave the recording as full redraws make it, and the baseline processor
// path as the masked stores make it: every frame's pixels, and the GIF, are the same for the
// same seed and options, whatever VORLIX_FULL_REDRAW and VORLIX_CPU the test itself runs with.
TEST(RecordCommand, IncrementalFramesAndBothProcessorPathsRecordTheSamePixels) {
    if (!vorlix::masked_rows::Supported())
        std::printf("No AVX-512 on this processor: both processor paths are its baseline.\n");
    const std::string options = "--resolution 320x240 --density 120 --highlight 30 --seconds 3 "
                                "--seed 12345 ";
    constexpr int Runs = 4;
    std::string gifs[Runs];
    std::string directories[Runs];
    const char* environments[Runs] = {"VORLIX_FULL_REDRAW=1 VORLIX_CPU= ",
                                      "VORLIX_FULL_REDRAW= VORLIX_CPU= ",
                                      "VORLIX_FULL_REDRAW=1 VORLIX_CPU=baseline ",
                                      "VORLIX_FULL_REDRAW= VORLIX_CPU=baseline "};
    for (int run = 0; run < Runs; ++run) {
        directories[run] = ::testing::TempDir() + "record_frames_" + std::to_string(run);
        gifs[run] = directories[run] + ".gif";
        std::filesystem::remove_all(directories[run]);
        const std::string command = std::string("env ") + environments[run] + VORLIX_RECORD_TOOL +
                                    " " + options + "--frames " + directories[run] +
                                    " --output " + gifs[run] + " 2>&1";
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;
    }
    for (int run = 1; run < Runs; ++run) {
        int compared = 0;
        for (const auto& entry : std::filesystem::directory_iterator(directories[0])) {
            const std::string name = entry.path().filename().string();
            const std::string other = directories[run] + "/" + name;
            ASSERT_TRUE(Exists(other)) << environments[run] << name;
            EXPECT_EQ(FileBytes(entry.path().string()), FileBytes(other))
                << environments[run] << name;
            ++compared;
        }
        EXPECT_EQ(compared, 100);
        EXPECT_EQ(FileBytes(gifs[0]), FileBytes(gifs[run])) << environments[run];
    }
    for (const std::string& directory : directories) std::filesystem::remove_all(directory);
    for (const std::string& gif : gifs) std::remove(gif.c_str());
}

}  // namespace
