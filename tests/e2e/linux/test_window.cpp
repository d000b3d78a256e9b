// A window of the test's own for vorlix --window-id: prints its id, then follows commands read
// from standard input, one per line: "resize W H", "destroy", "quit".
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: vorlix-test-window X Y WIDTH HEIGHT [RGB]\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "vorlix-test-window: no display\n");
        return 1;
    }
    unsigned long background = argc > 5 ? std::strtoul(argv[5], nullptr, 16) : 0x2040A0;
    Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), std::atoi(argv[1]),
                                        std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]),
                                        0, 0, background);
    XStoreName(display, window, "vorlix test window");
    // Keep the window where it was asked to be, also under a window manager.
    XSizeHints hints{};
    hints.flags = USPosition | USSize;
    hints.x = std::atoi(argv[1]);
    hints.y = std::atoi(argv[2]);
    XSetWMNormalHints(display, window, &hints);
    XMapWindow(display, window);
    XSync(display, False);
    std::printf("%lu\n", window);
    std::fflush(stdout);
    char line[128];
    bool alive = true;
    while (std::fgets(line, sizeof line, stdin) != nullptr) {
        int width = 0, height = 0;
        if (std::sscanf(line, "resize %d %d", &width, &height) == 2 && alive) {
            XResizeWindow(display, window, static_cast<unsigned>(width),
                          static_cast<unsigned>(height));
        } else if (std::strncmp(line, "destroy", 7) == 0 && alive) {
            XDestroyWindow(display, window);
            alive = false;
        } else if (std::strncmp(line, "quit", 4) == 0) {
            break;
        }
        XSync(display, False);
        std::printf("ok\n");
        std::fflush(stdout);
    }
    XCloseDisplay(display);
    return 0;
}
