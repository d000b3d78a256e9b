#include "platform/headless/folded_names.h"

#include <algorithm>
#include <cctype>

namespace vorlix::headless {

std::string Folded(const std::string& text) {
    std::string folded = text;
    std::transform(folded.begin(), folded.end(), folded.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return folded;
}

}  // namespace vorlix::headless
