#pragma once
// Progress on the terminal: a bar redrawn in place when stderr is a terminal, otherwise a
// plain line at every tenth.
#include <cstdio>

namespace vorlix::record {

class ProgressBar {
  public:
    explicit ProgressBar(std::FILE* stream);
    void Show(int done, int total);
    void Finish();

  private:
    std::FILE* stream_;
    bool terminal_;
    int lastTenth_ = -1;
    int lastWidth_ = -1;
};

}  // namespace vorlix::record
