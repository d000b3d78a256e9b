// vorlix-record as a person runs it: exit codes, messages and the file it leaves.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <string>

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
