#include <gtest/gtest.h>

#include "command_line.h"

namespace vorlix::linuxhost {

namespace {
RunRequest Parse(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "vorlix");
    return ParseCommandLine(static_cast<int>(arguments.size()), arguments.data());
}
}  // namespace

TEST(CommandLine, WindowsSwitchesPassThroughAsSwitchText) {
    EXPECT_EQ(Parse({}).switchText, "");
    EXPECT_EQ(Parse({"/s"}).switchText, "/s");
    EXPECT_EQ(Parse({"/p", "1234"}).switchText, "/p 1234");
    EXPECT_EQ(Parse({"-c:77"}).switchText, "-c:77");
    EXPECT_TRUE(Parse({"/s"}).error.empty());
}

TEST(CommandLine, XScreenSaverOptionsBecomeThePreviewSwitch) {
    EXPECT_EQ(Parse({"--window-id", "0x1e00004"}).switchText, "/p 31457284");
    EXPECT_EQ(Parse({"-window-id", "42"}).switchText, "/p 42");
    RunRequest root = Parse({"--root", "--density", "500", "-highlight", "12"});
    EXPECT_TRUE(root.wantsRoot);
    EXPECT_TRUE(root.hasDensity);
    EXPECT_EQ(root.density, 500u);
    EXPECT_EQ(root.highlight, 12u);
    EXPECT_TRUE(root.error.empty());
}

TEST(CommandLine, UnusableInputIsNamed) {
    EXPECT_FALSE(Parse({"--window-id"}).error.empty());
    EXPECT_FALSE(Parse({"--window-id", "0"}).error.empty());
    EXPECT_FALSE(Parse({"--window-id", "12ab"}).error.empty());
    EXPECT_FALSE(Parse({"--window-id", "0x100000000"}).error.empty());
    EXPECT_FALSE(Parse({"--density", "-3"}).error.empty());
    EXPECT_FALSE(Parse({"--highlight", "lots"}).error.empty());
    EXPECT_FALSE(Parse({"--root", "--window-id", "5"}).error.empty());
    EXPECT_FALSE(Parse({"--root", "/s"}).error.empty());
    EXPECT_EQ(Parse({"--density", "99999999999999"}).density, 0xFFFFFFFFu);
}

TEST(CommandLine, UnknownOptionsAreRefusedByName) {
    for (const char* unknown : {"--bogus", "-bogus", "/x", "bogus", "--s", "-root=1", "/s/c"}) {
        RunRequest request = Parse({unknown});
        EXPECT_EQ(request.error, std::string("unknown option: ") + unknown) << unknown;
    }
    EXPECT_EQ(Parse({"/s", "--bogus"}).error, "unknown option: --bogus");
    EXPECT_TRUE(Parse({"/p", "1234"}).error.empty());
    EXPECT_TRUE(Parse({"-c:1234"}).error.empty());
    EXPECT_TRUE(Parse({"/S"}).error.empty());
    EXPECT_TRUE(Parse({"-l", "77"}).error.empty());
}

TEST(CommandLine, TheZoomIsOneToFour) {
    RunRequest zoomed = Parse({"/s", "--zoom", "3"});
    EXPECT_TRUE(zoomed.error.empty());
    EXPECT_TRUE(zoomed.hasZoom);
    EXPECT_EQ(zoomed.zoom, 3u);
    EXPECT_EQ(zoomed.switchText, "/s");
    EXPECT_EQ(Parse({"-zoom", "1", "--root"}).zoom, 1u);
    EXPECT_FALSE(Parse({"--zoom", "0"}).error.empty());
    EXPECT_FALSE(Parse({"--zoom", "5"}).error.empty());
    EXPECT_FALSE(Parse({"--zoom", "2x"}).error.empty());
    EXPECT_FALSE(Parse({"--zoom"}).error.empty());
    EXPECT_FALSE(Parse({"/s"}).hasZoom);
}

}  // namespace vorlix::linuxhost
