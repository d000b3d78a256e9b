#pragma once
// Fault injection for tests of the file stream: the case a real disk gives only by accident.
namespace vorlix::posix {

// The next count calls of OpenForWriting fail as if another process held the file, after
// CreateEmptyFile has already done its work.
void FailOpensForWriting(int count);

}  // namespace vorlix::posix
