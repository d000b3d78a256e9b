#include "settings/config_dialog.h"

#include <cstring>

#include "platform/dialog_controls.h"
#include "platform/window_messages.h"
#include "settings/resolution_table.h"
#include "settings/settings_store.h"

namespace vorlix {

namespace {

constexpr std::uint32_t MaxDensity = 400;
constexpr std::uint32_t MaxHighlight = 100;
constexpr WParam CommandOk = 1;
constexpr WParam CommandCancel = 2;

LResult InitDialog(WindowHandle dialog) {
    LoadSettings(dialog);
    for (int row = 0; row < ResolutionRows; ++row)
        platform::CheckDialogButton(dialog, IdResolutionFirst + row, false);
    std::int32_t index = Settings.ResolutionIndex;
    if (index < 1 || index > ResolutionRows) index = FallbackResolutionIndex;
    platform::CheckDialogButton(dialog, IdResolutionFirst + index - 1, true);
    platform::SetDialogNumber(dialog, IdDensity, Settings.Density);
    platform::SetDialogNumber(dialog, IdHighlight, Settings.HighlightDensity);
    return 1;
}

std::int32_t CheckedResolution(WindowHandle dialog) {
    std::int32_t index = -1;
    for (int row = 0; row < ResolutionRows; ++row)
        if (platform::IsDialogButtonChecked(dialog, IdResolutionFirst + row)) index = row + 1;
    return index == -1 ? FallbackResolutionIndex : index;
}

std::uint32_t NumberAtMost(WindowHandle dialog, int id, std::uint32_t limit) {
    std::uint32_t value = platform::DialogNumber(dialog, id);
    return value > limit ? limit : value;
}

LResult AcceptDialog(WindowHandle dialog) {
    Settings.ResolutionIndex = CheckedResolution(dialog);
    Settings.Density = NumberAtMost(dialog, IdDensity, MaxDensity);
    Settings.HighlightDensity = NumberAtMost(dialog, IdHighlight, MaxHighlight);
    const char* text = ResolutionRowOf(Settings.ResolutionIndex).text;
    std::memset(Settings.ResolutionText, 0, sizeof Settings.ResolutionText);
    std::memcpy(Settings.ResolutionText, text, std::strlen(text));
    SaveSettings(dialog);
    platform::EndDialogWith(dialog, 1);
    return 1;
}

}  // namespace

LResult ScreenSaverConfigureDialog(WindowHandle dialog, MessageId message, WParam w, LParam) {
    if (message == WM_INITDIALOG) return InitDialog(dialog);
    if (message != WM_COMMAND) return 0;
    if (w == CommandOk) return AcceptDialog(dialog);
    if (w == CommandCancel) {
        platform::EndDialogWith(dialog, 0);
        return 1;
    }
    return 0;
}

}  // namespace vorlix
