#include "platform/dialog_controls.h"

#include <windows.h>

#include "platform/win32/handles.h"

namespace vorlix::platform {

void CheckDialogButton(WindowHandle dialog, int id, bool checked) {
    CheckDlgButton(ToHwnd(dialog), id, checked ? BST_CHECKED : BST_UNCHECKED);
}

bool IsDialogButtonChecked(WindowHandle dialog, int id) {
    return IsDlgButtonChecked(ToHwnd(dialog), id) == BST_CHECKED;
}

void SetDialogNumber(WindowHandle dialog, int id, std::uint32_t value) {
    SetDlgItemInt(ToHwnd(dialog), id, value, FALSE);
}

std::uint32_t DialogNumber(WindowHandle dialog, int id) {
    return GetDlgItemInt(ToHwnd(dialog), id, nullptr, FALSE);
}

void EndDialogWith(WindowHandle dialog, int result) {
    EndDialog(ToHwnd(dialog), result);
}

}  // namespace vorlix::platform
