#pragma once

namespace vorlix {

// The blitters' clip rectangle, the display's pixel layout and the processor path back to what
// the process starts with: an empty clip, 5-6-5 and what the processor offers. Only while no
// draw thread runs.
void ResetGlyphsState();

}  // namespace vorlix
