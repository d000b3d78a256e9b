#include "page_options.h"

#include <charconv>

#include "display/screen_plan.h"
#include "rain/rain_grid.h"
#include "settings/settings_store.h"

namespace vorlix::web {

namespace {

constexpr std::uint32_t MaxHighlight = 100;  // a percentage

bool ReadNumber(std::string_view text, std::uint64_t low, std::uint64_t high,
                std::uint64_t& value) {
    if (text.empty()) return false;
    std::uint64_t read = 0;
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), read);
    if (failure != std::errc() || end != text.data() + text.size()) return false;
    if (read < low || read > high) return false;
    value = read;
    return true;
}

void Complain(PageOptions& options, std::string_view name, std::string_view value,
              const std::string& wanted, const std::string& fallback) {
    std::string line(name);
    line.append("=").append(value).append(" is not ").append(wanted).append("; ");
    line.append(fallback);
    options.problems.push_back(std::move(line));
}

template <class Number>
void TakeNumber(PageOptions& options, std::string_view name, std::string_view value,
                std::uint64_t low, std::uint64_t high, Number& target) {
    std::uint64_t read = 0;
    if (ReadNumber(value, low, high, read)) {
        target = static_cast<Number>(read);
        return;
    }
    Complain(options, name, value,
             "a whole number from " + std::to_string(low) + " to " + std::to_string(high),
             "using " + std::to_string(target));
}

void TakeSwitch(PageOptions& options, std::string_view name, std::string_view value,
                bool& target) {
    if (value == "1" || value.empty()) {
        target = true;
    } else if (value == "0") {
        target = false;
    } else {
        Complain(options, name, value, "0 or 1", target ? "using 1" : "using 0");
    }
}

void TakeZoom(PageOptions& options, std::string_view value) {
    std::uint64_t zoom = 0;
    if (value == "auto") {
        options.rain.zoom = AutoGlyphZoom;
    } else if (ReadNumber(value, 1, MaxGlyphZoom, zoom)) {
        options.rain.zoom = static_cast<std::int32_t>(zoom);
    } else {
        Complain(options, "zoom", value,
                 "auto or a whole number from 1 to " + std::to_string(MaxGlyphZoom),
                 "using auto");
        options.rain.zoom = AutoGlyphZoom;
    }
}

void TakeSize(PageOptions& options, std::string_view value) {
    const std::size_t cross = value.find('x');
    std::uint64_t width = 0;
    std::uint64_t height = 0;
    if (cross != std::string_view::npos &&
        ReadNumber(value.substr(0, cross), 1, MaxPictureSide, width) &&
        ReadNumber(value.substr(cross + 1), 1, MaxPictureSide, height)) {
        options.width = static_cast<std::int32_t>(width);
        options.height = static_cast<std::int32_t>(height);
        return;
    }
    Complain(options, "size", value,
             "a width and height from 1 to " + std::to_string(MaxPictureSide) + " as WxH",
             "using the window's size");
}

void TakeSeed(PageOptions& options, std::string_view value) {
    std::uint64_t seed = 0;
    if (ReadNumber(value, 0, 0xFFFFFFFFu, seed)) {
        options.seed = static_cast<std::uint32_t>(seed);
        options.seedGiven = true;
        return;
    }
    Complain(options, "seed", value, "a whole number from 0 to 4294967295", "using a random one");
}

void Take(PageOptions& options, std::string_view name, std::string_view value) {
    if (name == "density") return TakeNumber(options, name, value, 0, MaxStreams, options.rain.density);
    if (name == "highlight")
        return TakeNumber(options, name, value, 0, MaxHighlight, options.rain.highlight);
    if (name == "frames") return TakeNumber(options, name, value, 0, MaxPageFrames, options.frames);
    if (name == "zoom") return TakeZoom(options, value);
    if (name == "seed") return TakeSeed(options, value);
    if (name == "size") return TakeSize(options, value);
    if (name == "still") return TakeSwitch(options, name, value, options.still);
    if (name == "saver") return TakeSwitch(options, name, value, options.saver);
}

}  // namespace

PageOptions ParsePageQuery(std::string_view query) {
    PageOptions options;
    const SettingsRecord defaults;
    options.rain.density = defaults.Density;
    options.rain.highlight = defaults.HighlightDensity;
    options.rain.zoom = static_cast<std::int32_t>(defaults.Zoom);
    if (!query.empty() && query.front() == '?') query.remove_prefix(1);
    while (!query.empty()) {
        const std::size_t end = query.find('&');
        const std::string_view pair = query.substr(0, end);
        query = end == std::string_view::npos ? std::string_view() : query.substr(end + 1);
        const std::size_t equals = pair.find('=');
        Take(options, pair.substr(0, equals),
             equals == std::string_view::npos ? std::string_view() : pair.substr(equals + 1));
    }
    return options;
}

}  // namespace vorlix::web
