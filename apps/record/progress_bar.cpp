#include "progress_bar.h"

#include <unistd.h>

namespace vorlix::record {

namespace {
constexpr int BarWidth = 40;
}

ProgressBar::ProgressBar(std::FILE* stream)
    : stream_(stream), terminal_(isatty(fileno(stream)) != 0) {}

void ProgressBar::Show(int done, int total) {
    if (total <= 0) return;
    if (done > total) done = total;
    if (!terminal_) {
        const int tenth = done * 10 / total;
        if (tenth == lastTenth_) return;
        lastTenth_ = tenth;
        std::fprintf(stream_, "recorded %d of %d frames\n", done, total);
        std::fflush(stream_);
        return;
    }
    const int filled = done * BarWidth / total;
    if (filled == lastWidth_ && done != total) return;
    lastWidth_ = filled;
    char bar[BarWidth + 1];
    for (int i = 0; i < BarWidth; ++i) bar[i] = i < filled ? '#' : '.';
    bar[BarWidth] = '\0';
    std::fprintf(stream_, "\r[%s] %3d%%  %d/%d frames", bar, done * 100 / total, done, total);
    std::fflush(stream_);
}

void ProgressBar::Finish() {
    if (terminal_) std::fputc('\n', stream_);
    std::fflush(stream_);
}

}  // namespace vorlix::record
