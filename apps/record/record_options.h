#pragma once
// The recorder's command line.
#include <cstdint>
#include <string>

namespace vorlix::record {

struct RecordOptions {
    std::int32_t width = 800;  // the settings record's own default resolution
    std::int32_t height = 600;
    std::uint32_t density = 300;
    std::uint32_t highlight = 8;
    double seconds = 3.0;
    std::uint32_t seed = 1;
    std::string output = "vorlix.gif";
    std::string glyphs;           // empty: look beside the program
    std::string framesDirectory;  // non-empty: also a PNG per frame there
    bool realTime = false;        // run on the real clock instead of the virtual one
    bool help = false;
};

constexpr std::int32_t MaxWidth = 3840;
constexpr std::int32_t MaxHeight = 2400;
constexpr double MaxSeconds = 3600.0;

// False with a one-line reason in error when the command line is not understood.
bool ParseRecordOptions(int argc, const char* const* argv, RecordOptions& options,
                        std::string& error);
const char* RecordUsage();

}  // namespace vorlix::record
