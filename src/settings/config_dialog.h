#pragma once
#include "platform/types.h"

namespace vorlix {

constexpr int ConfigDialogTemplate = 2003;
constexpr int IdResolutionFirst = 1000;  // 1000 ... 1005: the six resolutions
constexpr int IdDensity = 1006;
constexpr int IdHighlight = 1007;
// Only where the host offers them (the Linux dialog): "Desktop size" and the glyph zoom,
// Auto then 1 to 4.
constexpr int IdResolutionDesktop = 1008;
constexpr int IdZoomFirst = 1009;
constexpr int ZoomButtons = 5;

// The configuration dialog's procedure: WM_INITDIALOG and WM_COMMAND.
LResult ScreenSaverConfigureDialog(WindowHandle dialog, MessageId message, WParam w, LParam l);

}  // namespace vorlix
