#pragma once
// The headless dialog controls: each control's checked state and text, per dialog and id,
// set and read by tests the way a person would fill the dialog in.
#include <string>

#include "platform/dialog_controls.h"

namespace vorlix::headless {

void ResetDialogControls();

void SetControlText(WindowHandle dialog, int id, const std::string& text);
std::string ControlText(WindowHandle dialog, int id);
void SetControlChecked(WindowHandle dialog, int id, bool checked);
bool ControlChecked(WindowHandle dialog, int id);
// Clicks an automatic radio button: it becomes the only checked one of ids first ... last.
void ClickRadioButton(WindowHandle dialog, int id, int first, int last);

// The result given to EndDialogWith, if it was called for this dialog.
bool DialogEnded(WindowHandle dialog, int& result);

}  // namespace vorlix::headless
