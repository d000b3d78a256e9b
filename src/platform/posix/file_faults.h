#pragma once
// Fault injection for tests of the file stream: the case a real disk gives only by accident.
namespace vorlix::posix {

// The next count calls of OpenForWriting fail as if another process held the file, after
// CreateEmptyFile has already done its work.
void FailOpensForWriting(int count);

// The count-th replacement of a file from now (see ReplacementPoint) ends the process at the
// moment before the new file takes the old one's place, as a crash there would, with this code.
constexpr int CrashExitCode = 86;
void CrashAtReplacement(int count);
// Called by code that replaces a file by a new one, just before the new one takes its place.
void ReplacementPoint();

// While on, every WriteDescriptor call waits before writing, as on a file system that stopped
// answering (a stalled network home directory).
void StallWrites(bool on);
// How many writes are waiting now.
int StalledWrites();

}  // namespace vorlix::posix
