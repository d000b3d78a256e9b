#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "own_x_server.h"
#include "platform/sdl/gtk_start.h"
#include "platform/sdl/x11_windows.h"
// Last: Xlib's macros (None, Bool) must not meet gtest's names.
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

namespace vorlix::sdl {

namespace {

// A window that existed and is gone, as a screen saver's host window can be.
XWindowId VanishedWindow() {
    XWindowId window = X11CreateChild(X11RootWindow(), 8, 8);
    X11DestroyWindow(window);
    return window;
}

void RunAGtkWindow() {
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_widget_show_all(window);
    for (int i = 0; i < 100 && gtk_events_pending(); ++i) gtk_main_iteration_do(FALSE);
    gtk_widget_destroy(window);
    for (int i = 0; i < 100 && gtk_events_pending(); ++i) gtk_main_iteration_do(FALSE);
}

int Failed(const char* step) {
    std::fprintf(stderr, "X11Errors: %s\n", step);
    return 1;
}

// The checks, in a process of their own: 0 when all hold.
int CheckVanishedWindowErrors() {
    vorlix::testing::OwnXServer server;
    if (!server.Running()) return Failed("Xvfb did not start");
    if (!X11Open()) return Failed("no connection to the Xvfb");
    XWindowId gone = VanishedWindow();
    if (gone == 0) return Failed("no window could be made");
    if (X11CreateChild(gone, 8, 8) != 0) return Failed("no error for a gone window before GTK");

    if (!GtkReady()) return Failed("GTK did not start");
    RunAGtkWindow();
    if (X11CreateChild(gone, 8, 8) != 0) return Failed("no error for a gone window after GTK");

    // GTK's error traps put in GTK's handler for a while and ours back afterwards.
    GdkDisplay* display = gdk_display_get_default();
    gdk_x11_display_error_trap_push(display);
    gdk_x11_display_error_trap_pop_ignored(display);
    if (X11CreateChild(gone, 8, 8) != 0) return Failed("no error after a GTK error trap");
    if (X11CreateChild(X11RootWindow(), 8, 8) == 0) return Failed("a window that is there fails");
    X11Close();
    return 0;
}

// GTK starts once per process, cannot be stopped and keeps its display connection: run in this
// process, it would outlive the test's Xvfb and end the process at the next GTK call of a later
// test. So the whole check runs in a child.
TEST(X11Errors, AVanishedWindowStaysAnErrorAfterGtkStarts) {
    pid_t child = ::fork();
    ASSERT_NE(child, -1);
    if (child == 0) ::_exit(CheckVanishedWindowErrors());
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    pid_t done = 0;
    while ((done = ::waitpid(child, &status, WNOHANG)) == 0 &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (done == 0) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        FAIL() << "the check did not end within 60 s";
    }
    ASSERT_TRUE(WIFEXITED(status)) << "the check died of a signal";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "see the step it names on stderr";
}

}  // namespace

}  // namespace vorlix::sdl
