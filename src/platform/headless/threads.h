#pragma once
// The headless thread start: a detached std::thread. A test can make the start fail.
namespace vorlix::headless {

void FailThreadStart(bool fail);
int ThreadStartCount();  // threads started since the process began or the last ResetThreads
void ResetThreads();      // starts succeed again and the count is 0; running threads go on

}  // namespace vorlix::headless
