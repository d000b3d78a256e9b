#pragma once
// The window thread's watchdog: a thread of its own ends the saver when the window thread has
// not come back to its message loop for too long (stuck in the X server, SDL or GTK).
namespace vorlix::sdl {

// Starts watching (the thread starts once, on the first call).
void StartWatchdog();
// The message loop came back.
void WatchdogBeat();

// While one lives, a dialog or message box waits for the user: that time does not count.
class UserWait {
  public:
    UserWait();
    ~UserWait();
    UserWait(const UserWait&) = delete;
    UserWait& operator=(const UserWait&) = delete;
};

}  // namespace vorlix::sdl
