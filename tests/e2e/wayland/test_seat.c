// A weston module for the Wayland suite: weston's headless backend has no input device, so no
// wl_seat, and a client cannot be driven. This one adds a seat with a keyboard and a pointer,
// and turns lines read from the FIFO named by VORLIX_TEST_INPUT into input events:
//   key CODE      a press and release of the Linux key code (57 is space)
//   click         a press and release of the left button
//   move DX DY    a relative pointer motion
// Loaded with weston --modules=/path/to/vorlix-test-seat.so.
#include <fcntl.h>
#include <libweston/libweston.h>
#include <linux/input-event-codes.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include <wayland-server.h>

// libweston exports these to its backends without installing their header.
void weston_seat_init(struct weston_seat* seat, struct weston_compositor* compositor,
                      const char* name);
int weston_seat_init_pointer(struct weston_seat* seat);
int weston_seat_init_keyboard(struct weston_seat* seat, struct xkb_keymap* keymap);
void notify_key(struct weston_seat* seat, const struct timespec* time, uint32_t key,
                enum wl_keyboard_key_state state, enum weston_key_state_update update);
void notify_motion(struct weston_seat* seat, const struct timespec* time,
                   struct weston_pointer_motion_event* event);
void notify_button(struct weston_seat* seat, const struct timespec* time, int32_t button,
                   enum wl_pointer_button_state state);
void notify_pointer_frame(struct weston_seat* seat);

struct test_seat {
    struct weston_seat seat;
    int fifo;
    char line[256];
    size_t used;
};

static void press_key(struct test_seat* test, uint32_t code) {
    struct timespec now;
    weston_compositor_get_time(&now);
    notify_key(&test->seat, &now, code, WL_KEYBOARD_KEY_STATE_PRESSED, STATE_UPDATE_AUTOMATIC);
    notify_key(&test->seat, &now, code, WL_KEYBOARD_KEY_STATE_RELEASED, STATE_UPDATE_AUTOMATIC);
}

static void click(struct test_seat* test) {
    struct timespec now;
    weston_compositor_get_time(&now);
    notify_button(&test->seat, &now, BTN_LEFT, WL_POINTER_BUTTON_STATE_PRESSED);
    notify_pointer_frame(&test->seat);
    notify_button(&test->seat, &now, BTN_LEFT, WL_POINTER_BUTTON_STATE_RELEASED);
    notify_pointer_frame(&test->seat);
}

static void move(struct test_seat* test, double dx, double dy) {
    struct weston_pointer_motion_event event;
    memset(&event, 0, sizeof event);
    weston_compositor_get_time(&event.time);
    event.mask = WESTON_POINTER_MOTION_REL;
    event.dx = dx;
    event.dy = dy;
    notify_motion(&test->seat, &event.time, &event);
    notify_pointer_frame(&test->seat);
}

static void run_line(struct test_seat* test, const char* line) {
    unsigned code = 0;
    double dx = 0, dy = 0;
    if (sscanf(line, "key %u", &code) == 1) press_key(test, code);
    else if (strcmp(line, "click") == 0) click(test);
    else if (sscanf(line, "move %lf %lf", &dx, &dy) == 2) move(test, dx, dy);
    else weston_log("vorlix-test-seat: unknown command '%s'\n", line);
}

static int on_input(int fd, uint32_t mask, void* data) {
    struct test_seat* test = data;
    (void)mask;
    ssize_t got = read(fd, test->line + test->used, sizeof test->line - 1 - test->used);
    if (got <= 0) return 0;
    test->used += (size_t)got;
    test->line[test->used] = 0;
    char* end;
    while ((end = strchr(test->line, '\n')) != NULL) {
        *end = 0;
        run_line(test, test->line);
        size_t rest = test->used - (size_t)(end + 1 - test->line);
        memmove(test->line, end + 1, rest);
        test->used = rest;
        test->line[rest] = 0;
    }
    if (test->used == sizeof test->line - 1) test->used = 0;
    return 0;
}

WL_EXPORT int wet_module_init(struct weston_compositor* compositor, int* argc, char* argv[]) {
    (void)argc;
    (void)argv;
    struct test_seat* test = calloc(1, sizeof *test);
    if (test == NULL) return -1;
    weston_seat_init(&test->seat, compositor, "vorlix-test");
    if (weston_seat_init_pointer(&test->seat) < 0 ||
        weston_seat_init_keyboard(&test->seat, NULL) < 0)
        return -1;
    const char* path = getenv("VORLIX_TEST_INPUT");
    if (path == NULL || *path == 0) return 0;
    // Opened read-write so that the FIFO never reports an end when a writer leaves.
    test->fifo = open(path, O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (test->fifo < 0) {
        weston_log("vorlix-test-seat: cannot open %s\n", path);
        return -1;
    }
    struct wl_event_loop* loop = wl_display_get_event_loop(compositor->wl_display);
    wl_event_loop_add_fd(loop, test->fifo, WL_EVENT_READABLE, on_input, test);
    return 0;
}
