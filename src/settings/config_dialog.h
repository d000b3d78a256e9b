#pragma once
#include "platform/types.h"

namespace vorlix {

constexpr int ConfigDialogTemplate = 2003;
constexpr int IdResolutionFirst = 1000;  // 1000 ... 1005: the six resolutions
constexpr int IdDensity = 1006;
constexpr int IdHighlight = 1007;

// The configuration dialog's procedure: WM_INITDIALOG and WM_COMMAND.
LResult ScreenSaverConfigureDialog(WindowHandle dialog, MessageId message, WParam w, LParam l);

}  // namespace vorlix
