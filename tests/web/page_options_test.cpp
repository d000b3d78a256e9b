#include "page_options.h"

#include <gtest/gtest.h>

#include <string>

#include "settings/settings_store.h"

namespace vorlix::web {
namespace {

TEST(PageOptions, AnEmptyQueryGivesTheSaversDefaults) {
    for (const char* query : {"", "?"}) {
        const PageOptions options = ParsePageQuery(query);
        const SettingsRecord defaults;
        EXPECT_EQ(options.rain.density, defaults.Density);
        EXPECT_EQ(options.rain.highlight, defaults.HighlightDensity);
        EXPECT_EQ(options.rain.zoom, 0);
        EXPECT_FALSE(options.seedGiven);
        EXPECT_EQ(options.frames, 0);
        EXPECT_FALSE(options.still);
        EXPECT_FALSE(options.saver);
        EXPECT_EQ(options.width, 0);
        EXPECT_TRUE(options.problems.empty());
    }
}

TEST(PageOptions, EveryValueIsTakenUpToItsLimits) {
    const PageOptions options = ParsePageQuery(
        "?density=400&highlight=100&zoom=4&seed=4294967295&frames=60&still=1&size=8192x1&saver");
    EXPECT_TRUE(options.problems.empty()) << options.problems.front();
    EXPECT_EQ(options.rain.density, 400u);
    EXPECT_EQ(options.rain.highlight, 100u);
    EXPECT_EQ(options.rain.zoom, 4);
    EXPECT_TRUE(options.seedGiven);
    EXPECT_EQ(options.seed, 4294967295u);
    EXPECT_EQ(options.frames, 60);
    EXPECT_TRUE(options.still);
    EXPECT_TRUE(options.saver);  // a bare name switches on
    EXPECT_EQ(options.width, 8192);
    EXPECT_EQ(options.height, 1);

    const PageOptions low = ParsePageQuery("density=0&highlight=0&zoom=auto&seed=0&still=0");
    EXPECT_TRUE(low.problems.empty());
    EXPECT_EQ(low.rain.density, 0u);
    EXPECT_EQ(low.rain.highlight, 0u);
    EXPECT_EQ(low.rain.zoom, 0);
    EXPECT_TRUE(low.seedGiven);
    EXPECT_FALSE(low.still);
}

TEST(PageOptions, EachBadValueIsNamedAndKeepsItsDefaultWhileTheOthersAreTaken) {
    const PageOptions options = ParsePageQuery(
        "density=401&highlight=8x&zoom=5&seed=4294967296&frames=-1&still=yes&size=640x&"
        "saver=2&density=99999999999999999999999");
    ASSERT_EQ(options.problems.size(), 9u);
    const char* named[] = {"density=401 ",  "highlight=8x ", "zoom=5 ",
                           "seed=4294967296 ", "frames=-1 ", "still=yes ",
                           "size=640x ",     "saver=2 ",     "density=99999999999999999999999 "};
    for (std::size_t i = 0; i < options.problems.size(); ++i)
        EXPECT_EQ(options.problems[i].rfind(named[i], 0), 0u) << options.problems[i];
    EXPECT_NE(options.problems[0].find("using 300"), std::string::npos) << options.problems[0];
    const SettingsRecord defaults;
    EXPECT_EQ(options.rain.density, defaults.Density);
    EXPECT_EQ(options.rain.highlight, defaults.HighlightDensity);
    EXPECT_EQ(options.rain.zoom, 0);
    EXPECT_FALSE(options.seedGiven);
    EXPECT_EQ(options.width, 0);
    EXPECT_EQ(options.height, 0);

    const PageOptions mixed = ParsePageQuery("density=abc&highlight=20");
    EXPECT_EQ(mixed.problems.size(), 1u);
    EXPECT_EQ(mixed.rain.highlight, 20u);
}

TEST(PageOptions, UnknownNamesAreLeftAloneAndTheLastOfARepeatedNameCounts) {
    const PageOptions options =
        ParsePageQuery("wallpaper=lively&&=3&density=10&density=20&x");
    EXPECT_TRUE(options.problems.empty());
    EXPECT_EQ(options.rain.density, 20u);
}

}  // namespace
}  // namespace vorlix::web
