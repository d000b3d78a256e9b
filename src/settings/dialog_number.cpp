#include "settings/dialog_number.h"

namespace vorlix {

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
}  // namespace

std::uint32_t ParseDialogNumber(const char* text) {
    if (text == nullptr) return 0;
    while (IsBlank(*text)) ++text;
    std::uint64_t value = 0;
    int digits = 0;
    for (; *text >= '0' && *text <= '9'; ++text, ++digits) {
        value = value * 10 + static_cast<std::uint64_t>(*text - '0');
        if (value > 0xFFFFFFFFu) return 0;
    }
    while (IsBlank(*text)) ++text;
    if (digits == 0 || *text != 0) return 0;
    return static_cast<std::uint32_t>(value);
}

}  // namespace vorlix
