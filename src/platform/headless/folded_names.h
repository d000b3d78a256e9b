#pragma once
// Windows matches registry paths, value names, library names and registered messages without
// regard to case: the fakes keep such names folded to lower case.
#include <string>

namespace vorlix::headless {

std::string Folded(const std::string& text);

}  // namespace vorlix::headless
