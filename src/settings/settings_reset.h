#pragma once

namespace vorlix {

// The settings back to what the process starts with: the record's defaults and no overrides.
// Nothing is read from or written to the store.
void ResetSettingsState();

}  // namespace vorlix
