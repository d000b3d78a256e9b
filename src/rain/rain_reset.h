#pragma once

namespace vorlix {

// The thread flags, the draw thread's targets and the generator back to what the process
// starts with. Only while no draw thread runs: the flags are what it steers by.
void ResetRainState();

}  // namespace vorlix
