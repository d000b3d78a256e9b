#pragma once
// The controls of the configuration dialog, addressed by dialog and control id.
#include <cstdint>

#include "platform/types.h"

namespace vorlix::platform {

void CheckDialogButton(WindowHandle dialog, int id, bool checked);
bool IsDialogButtonChecked(WindowHandle dialog, int id);
void SetDialogNumber(WindowHandle dialog, int id, std::uint32_t value);
// GetDlgItemInt, unsigned: text that is no unsigned decimal number gives 0.
std::uint32_t DialogNumber(WindowHandle dialog, int id);
void EndDialogWith(WindowHandle dialog, int result);

}  // namespace vorlix::platform
