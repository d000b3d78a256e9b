#pragma once
#include <cstdint>

namespace vorlix {

// The process's one pseudo-random generator of uniform integers 0 ... 32767. The same seed
// gives the same sequence on every platform.
void SeedRandom(std::uint32_t seed);
std::int32_t Random();

}  // namespace vorlix
