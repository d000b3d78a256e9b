#pragma once
// How a number field of the configuration dialog reads, as GetDlgItemInt does unsigned: blanks
// around decimal digits are allowed; anything else, nothing at all, or a value beyond 32 bits
// is no number and reads as 0.
#include <cstdint>

namespace vorlix {

std::uint32_t ParseDialogNumber(const char* text);

}  // namespace vorlix
