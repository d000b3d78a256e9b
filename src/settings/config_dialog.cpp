#include "settings/config_dialog.h"

#include <cstring>

#include "platform/desktop.h"
#include "platform/dialog_controls.h"
#include "platform/screen_layout.h"
#include "platform/window_messages.h"
#include "settings/resolution_table.h"
#include "settings/settings_store.h"

namespace vorlix {

namespace {

constexpr WParam CommandOk = 1;
constexpr WParam CommandCancel = 2;

void ShowDesktopChoices(WindowHandle dialog) {
    bool desktop = Settings.ResolutionIndex == DesktopSizeIndex;
    platform::CheckDialogButton(dialog, IdResolutionDesktop, desktop);
    std::uint32_t zoom = Settings.Zoom < ZoomButtons ? Settings.Zoom : 0;
    for (int button = 0; button < ZoomButtons; ++button)
        platform::CheckDialogButton(dialog, IdZoomFirst + button,
                                    static_cast<std::uint32_t>(button) == zoom);
}

LResult InitDialog(WindowHandle dialog) {
    LoadSettings(dialog);
    // Shown once, before anything can be changed: whatever is chosen now cannot be kept.
    if (const char* refusal = SettingsStoreRefusal())
        platform::ShowMessageBox(dialog, refusal, "Vorlix", MB_ICONERROR);
    for (int row = 0; row < ResolutionRows; ++row)
        platform::CheckDialogButton(dialog, IdResolutionFirst + row, false);
    std::int32_t index = Settings.ResolutionIndex;
    bool offersDesktop = platform::OffersDesktopSize();
    if (offersDesktop) ShowDesktopChoices(dialog);
    if (offersDesktop && index == DesktopSizeIndex) index = 0;
    else if (index < 1 || index > ResolutionRows) index = FallbackResolutionIndex;
    if (index != 0) platform::CheckDialogButton(dialog, IdResolutionFirst + index - 1, true);
    platform::SetDialogNumber(dialog, IdDensity, Settings.Density);
    platform::SetDialogNumber(dialog, IdHighlight, Settings.HighlightDensity);
    return 1;
}

std::int32_t CheckedResolution(WindowHandle dialog) {
    std::int32_t index = -1;
    for (int row = 0; row < ResolutionRows; ++row)
        if (platform::IsDialogButtonChecked(dialog, IdResolutionFirst + row)) index = row + 1;
    if (platform::OffersDesktopSize() &&
        platform::IsDialogButtonChecked(dialog, IdResolutionDesktop))
        index = DesktopSizeIndex;
    return index == -1 ? FallbackResolutionIndex : index;
}

std::uint32_t CheckedZoom(WindowHandle dialog) {
    for (int button = 0; button < ZoomButtons; ++button)
        if (platform::IsDialogButtonChecked(dialog, IdZoomFirst + button))
            return static_cast<std::uint32_t>(button);
    return 0;
}

std::uint32_t NumberAtMost(WindowHandle dialog, int id, std::uint32_t limit) {
    std::uint32_t value = platform::DialogNumber(dialog, id);
    return value > limit ? limit : value;
}

LResult AcceptDialog(WindowHandle dialog) {
    Settings.ResolutionIndex = CheckedResolution(dialog);
    Settings.Density = NumberAtMost(dialog, IdDensity, MaxDensity);
    Settings.HighlightDensity = NumberAtMost(dialog, IdHighlight, MaxHighlightDensity);
    if (platform::OffersDesktopSize()) Settings.Zoom = CheckedZoom(dialog);
    const char* text = Settings.ResolutionIndex == DesktopSizeIndex
                           ? DesktopSizeText
                           : ResolutionRowOf(Settings.ResolutionIndex).text;
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
