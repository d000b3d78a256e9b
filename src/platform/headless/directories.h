#pragma once
// The directories the headless desktop reports: where the log goes and where the glyph file
// is looked for. Each starts as the current directory, but for the prefix data directory.
namespace vorlix::headless {

// A null directory makes its query fail, as an unreadable Windows directory would.
void SetDirectories(const char* log, const char* data, const char* fallback);
// Unset (null) unless a test names one, as on Windows.
void SetPrefixDataDirectory(const char* prefix);
void ResetDirectories();

}  // namespace vorlix::headless
