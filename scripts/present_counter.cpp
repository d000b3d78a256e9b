// Counts the updates the X server draws into top-level windows, as its Damage extension reports
// them: one per drawing request, whatever the program behind it. Prints "SECONDS COUNT" (time
// since start, updates so far) once a second until killed. Built and run by soak-saver.sh.
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#include <poll.h>

#include <chrono>
#include <cstdint>
#include <cstdio>

namespace {

// Windows come and go; a watch on one that has gone is not an error worth stopping for.
int IgnoreError(Display*, XErrorEvent*) {
    return 0;
}

void Watch(Display* display, Window window) {
    XDamageCreate(display, window, XDamageReportRawRectangles);
}

void WatchExisting(Display* display, Window root) {
    Window rootReturn = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(display, root, &rootReturn, &parent, &children, &count) == 0) return;
    for (unsigned i = 0; i < count; ++i) Watch(display, children[i]);
    if (children != nullptr) XFree(children);
}

}  // namespace

int main() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "present_counter: no display\n");
        return 1;
    }
    int damageEvent = 0;
    int damageError = 0;
    if (!XDamageQueryExtension(display, &damageEvent, &damageError)) {
        std::fprintf(stderr, "present_counter: the X server has no Damage extension\n");
        return 1;
    }
    XSetErrorHandler(IgnoreError);
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    WatchExisting(display, root);
    XFlush(display);

    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    Clock::time_point nextReport = start + std::chrono::seconds(1);
    std::uint64_t updates = 0;
    pollfd connection{ConnectionNumber(display), POLLIN, 0};
    for (;;) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == CreateNotify) Watch(display, event.xcreatewindow.window);
            if (event.type != damageEvent + XDamageNotify) continue;
            // A request that damages several boxes sends one event per box; count it once.
            if (!reinterpret_cast<XDamageNotifyEvent&>(event).more) ++updates;
        }
        const Clock::time_point now = Clock::now();
        if (now >= nextReport) {
            const double seconds = std::chrono::duration<double>(now - start).count();
            std::printf("%.3f %llu\n", seconds, static_cast<unsigned long long>(updates));
            std::fflush(stdout);
            nextReport += std::chrono::seconds(1);
            continue;
        }
        const auto wait =
            std::chrono::duration_cast<std::chrono::milliseconds>(nextReport - now).count();
        XFlush(display);
        if (poll(&connection, 1, static_cast<int>(wait) + 1) < 0) return 1;
        if ((connection.revents & (POLLHUP | POLLERR)) != 0) return 0;
    }
}
