#pragma once

namespace vorlix {

// The blitters' clip rectangle and the display's pixel layout back to what the process starts
// with: an empty clip and 5-6-5. Only while no draw thread runs.
void ResetGlyphsState();

}  // namespace vorlix
