#include <gtest/gtest.h>

#include <memory>

#include "own_x_server.h"
#include "platform/sdl/gtk_start.h"
#include "platform/sdl/x11_windows.h"
// Last: Xlib's macros (None, Bool) must not meet gtest's names.
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

namespace vorlix::sdl {

namespace {

// GTK starts once per process and cannot be stopped: one test holds every step.
class X11Errors : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { server_ = std::make_unique<vorlix::testing::OwnXServer>(); }
    static void TearDownTestSuite() {
        X11Close();
        server_.reset();
    }
    void SetUp() override {
        ASSERT_TRUE(server_->Running()) << "Xvfb did not start";
        ASSERT_TRUE(X11Open());
    }

    // A window that existed and is gone, as a screen saver's host window can be.
    static XWindowId VanishedWindow() {
        XWindowId window = X11CreateChild(X11RootWindow(), 8, 8);
        X11DestroyWindow(window);
        return window;
    }

    static std::unique_ptr<vorlix::testing::OwnXServer> server_;
};

std::unique_ptr<vorlix::testing::OwnXServer> X11Errors::server_;

void RunAGtkWindow() {
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_widget_show_all(window);
    for (int i = 0; i < 100 && gtk_events_pending(); ++i) gtk_main_iteration_do(FALSE);
    gtk_widget_destroy(window);
    for (int i = 0; i < 100 && gtk_events_pending(); ++i) gtk_main_iteration_do(FALSE);
}

// A child window made inside a window that is gone is known only by the error it raises.
TEST_F(X11Errors, AVanishedWindowStaysAnErrorAfterGtkStarts) {
    XWindowId gone = VanishedWindow();
    ASSERT_NE(gone, 0u);
    EXPECT_EQ(X11CreateChild(gone, 8, 8), 0u) << "before GTK";

    ASSERT_TRUE(GtkReady());
    RunAGtkWindow();
    EXPECT_EQ(X11CreateChild(gone, 8, 8), 0u) << "after GTK started";

    // GTK's error traps put in GTK's handler for a while and ours back afterwards.
    GdkDisplay* display = gdk_display_get_default();
    gdk_x11_display_error_trap_push(display);
    gdk_x11_display_error_trap_pop_ignored(display);
    EXPECT_EQ(X11CreateChild(gone, 8, 8), 0u) << "after a GTK error trap";
    EXPECT_NE(X11CreateChild(X11RootWindow(), 8, 8), 0u) << "a window that is there still works";
}

}  // namespace

}  // namespace vorlix::sdl
