#pragma once
// The page's settings from its URL query: density=, highlight=, zoom=, seed=, and for tests
// and wrappers frames=, still=, size=WxH and saver=. A value that is not understood is named
// in a problem line and its default is used; names the page does not know are left alone,
// for wallpaper hosts that add their own.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/web/rain_page.h"

namespace vorlix::web {

struct PageOptions {
    RainChoices rain;
    std::uint32_t seed = 0;
    bool seedGiven = false;
    std::int32_t frames = 0;  // 0: rain until the page is closed
    bool still = false;       // draw the frames at once, show the last, stop
    std::int32_t width = 0;   // size=WxH; 0: the window's device pixels, following resizes
    std::int32_t height = 0;
    bool saver = false;  // full screen on the first click, left again on input
    std::vector<std::string> problems;
};

constexpr std::int32_t MaxPageFrames = 100000;

PageOptions ParsePageQuery(std::string_view query);

}  // namespace vorlix::web
