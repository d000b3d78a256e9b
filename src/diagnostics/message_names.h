#pragma once
#include <cstdint>

namespace vorlix {

// The name of a window message, or "UNKNOWN MESSAGE, id 0x...." formatted into the shared
// title buffer, valid until that buffer is written again.
const char* GetMessageName(std::uint32_t message);

// The process-wide 256-byte text buffer shared with the child-window enumeration.
extern char SharedTitleBuffer[256];

}  // namespace vorlix
