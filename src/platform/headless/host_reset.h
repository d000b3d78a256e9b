#pragma once

namespace vorlix::headless {

// Every service of the headless host back to its defaults, as at the start of the process:
// windows, clock, thread starts, directories, message boxes, display, cover windows, registry,
// dialog controls, the saver shell, and the file faults of the POSIX layer under it.
void ResetHost();

}  // namespace vorlix::headless
