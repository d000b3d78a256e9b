#pragma once

namespace vorlix {

// The framework's and the saver window's process-wide state back to what the process starts
// with: no window, no verifier, no input method, the first close trapped. Only while no saver
// window exists and no draw thread runs. Objects still named in WindowObjects are not freed:
// a destroyed window has freed its own, and a draw thread that never ended may still use them.
void ResetSaverState();

}  // namespace vorlix
