#pragma once
// The windows over the monitors beside the saver's own display, where the host covers them
// so (Windows): made at window creation, after the display mode is set, from the monitors as
// they are laid out then.
#include "platform/types.h"

namespace vorlix {

// Reads the monitors and makes a cover for each one beside the primary: rain where its grid
// and pixels can be made, black otherwise, and one log line per monitor. Null, or the line to
// fail the start with: no monitor at all, or no memory for the covers' records.
const char* BuildMonitorCovers();
void FreeMonitorCovers();

// The covers' window procedure: what a person does on a cover reaches the saver window, and
// its rules, as if done there.
LResult CoverWindowProc(WindowHandle window, MessageId message, WParam w, LParam l);

}  // namespace vorlix
