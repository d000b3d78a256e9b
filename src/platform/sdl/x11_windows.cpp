#include "platform/sdl/x11_windows.h"

#include <SDL2/SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <atomic>
#include <cstring>

namespace vorlix::sdl {

namespace {

Display* Query = nullptr;

// Every X error of the process lands here: a window that vanished between two calls is an
// everyday event for a screen saver drawn into someone else's window.
std::atomic<unsigned long> ErrorCount{0};
// The handler GTK put in, which still answers for GTK's own connection.
std::atomic<XErrorHandler> GtkHandler{nullptr};

int CountError(Display* display, XErrorEvent* error) {
    ErrorCount.fetch_add(1);
    XErrorHandler gtk = GtkHandler.load();
    if (gtk != nullptr && display != Query) return gtk(display, error);
    return 0;
}

// True when the requests made since marker raised no error.
bool NoErrorSince(unsigned long marker) {
    XSync(Query, False);
    return ErrorCount.load() == marker;
}

Window AsWindow(XWindowId window) { return static_cast<Window>(window); }

}  // namespace

bool X11Open() {
    if (Query != nullptr) return true;
    Query = XOpenDisplay(nullptr);
    if (Query == nullptr) return false;
    XSetErrorHandler(CountError);
    return true;
}

void X11TakeBackErrors() {
    XErrorHandler previous = XSetErrorHandler(CountError);
    if (previous != CountError) GtkHandler.store(previous);
}

void X11Close() {
    if (Query == nullptr) return;
    XCloseDisplay(Query);
    Query = nullptr;
}

void X11RoundTrip() {
    if (Query != nullptr) XSync(Query, False);
}

XWindowId X11RootWindow() { return Query ? DefaultRootWindow(Query) : 0; }

bool X11WindowExists(XWindowId window) {
    if (Query == nullptr || window == 0) return false;
    unsigned long marker = ErrorCount.load();
    XWindowAttributes attributes;
    Status got = XGetWindowAttributes(Query, AsWindow(window), &attributes);
    return NoErrorSince(marker) && got != 0;
}

bool X11WindowSize(XWindowId window, std::int32_t& width, std::int32_t& height) {
    if (Query == nullptr || window == 0) return false;
    unsigned long marker = ErrorCount.load();
    XWindowAttributes attributes;
    Status got = XGetWindowAttributes(Query, AsWindow(window), &attributes);
    if (!NoErrorSince(marker) || got == 0) return false;
    width = attributes.width;
    height = attributes.height;
    return true;
}

bool X11WindowOrigin(XWindowId window, std::int32_t& x, std::int32_t& y) {
    if (Query == nullptr || window == 0) return false;
    unsigned long marker = ErrorCount.load();
    int rootX = 0, rootY = 0;
    Window child = 0;
    Bool same = XTranslateCoordinates(Query, AsWindow(window), DefaultRootWindow(Query), 0, 0,
                                      &rootX, &rootY, &child);
    if (!NoErrorSince(marker) || !same) return false;
    x = rootX;
    y = rootY;
    return true;
}

XWindowId X11ParentOf(XWindowId window) {
    if (Query == nullptr || window == 0) return 0;
    unsigned long marker = ErrorCount.load();
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    Status got = XQueryTree(Query, AsWindow(window), &root, &parent, &children, &count);
    if (children != nullptr) XFree(children);
    if (!NoErrorSince(marker) || got == 0) return 0;
    return parent;
}

int X11WindowTitle(XWindowId window, char* buffer, int size) {
    if (buffer == nullptr || size <= 0) return 0;
    buffer[0] = 0;
    if (Query == nullptr || window == 0) return 0;
    unsigned long marker = ErrorCount.load();
    char* name = nullptr;
    Status got = XFetchName(Query, AsWindow(window), &name);
    bool ok = NoErrorSince(marker) && got != 0 && name != nullptr;
    int length = 0;
    if (ok) {
        length = static_cast<int>(std::strlen(name));
        if (length > size - 1) length = size - 1;
        std::memcpy(buffer, name, static_cast<std::size_t>(length));
        buffer[length] = 0;
    }
    if (name != nullptr) XFree(name);
    return length;
}

bool X11PointerPosition(std::int32_t& x, std::int32_t& y) {
    if (Query == nullptr) return false;
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
    unsigned int mask = 0;
    if (!XQueryPointer(Query, DefaultRootWindow(Query), &root, &child, &rootX, &rootY, &windowX,
                       &windowY, &mask)) {
        return false;
    }
    x = rootX;
    y = rootY;
    return true;
}

XWindowId X11FocusWindow() {
    if (Query == nullptr) return 0;
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(Query, &focus, &revert);
    // None and PointerRoot name no window.
    return focus == None || focus == PointerRoot ? 0 : focus;
}

// A window manager that follows the desktop conventions names its check window on the root.
bool X11HasWindowManager() {
    if (Query == nullptr) return false;
    Atom check = XInternAtom(Query, "_NET_SUPPORTING_WM_CHECK", True);
    if (check == 0) return false;
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    unsigned long marker = ErrorCount.load();
    int got = XGetWindowProperty(Query, DefaultRootWindow(Query), check, 0, 1, False, XA_WINDOW,
                                 &type, &format, &items, &after, &data);
    bool found = NoErrorSince(marker) && got == 0 && type == XA_WINDOW && items == 1;
    XWindowId manager = 0;
    if (found && data != nullptr) manager = *reinterpret_cast<Window*>(data);
    if (data != nullptr) XFree(data);
    return found && X11WindowExists(manager);
}

XWindowId X11CreateChild(XWindowId parent, std::int32_t width, std::int32_t height) {
    if (Query == nullptr || parent == 0) return 0;
    if (width < 1) width = 1;
    if (height < 1) height = 1;
    bool onRoot = parent == DefaultRootWindow(Query);
    XSetWindowAttributes attributes;
    std::memset(&attributes, 0, sizeof attributes);
    attributes.background_pixel = BlackPixel(Query, DefaultScreen(Query));
    attributes.override_redirect = onRoot ? True : False;
    attributes.event_mask = 0;
    unsigned long marker = ErrorCount.load();
    Window child = XCreateWindow(Query, AsWindow(parent), 0, 0, static_cast<unsigned>(width),
                                 static_cast<unsigned>(height), 0, CopyFromParent, InputOutput,
                                 CopyFromParent, CWBackPixel | CWOverrideRedirect | CWEventMask,
                                 &attributes);
    if (!NoErrorSince(marker) || child == 0) return 0;
    XStoreName(Query, child, "Preview");
    XMapWindow(Query, child);
    if (onRoot) XLowerWindow(Query, child);
    if (!NoErrorSince(marker)) {
        XDestroyWindow(Query, child);
        XSync(Query, False);
        return 0;
    }
    return child;
}

void X11ResizeWindow(XWindowId window, std::int32_t width, std::int32_t height) {
    if (Query == nullptr || window == 0 || width < 1 || height < 1) return;
    XResizeWindow(Query, AsWindow(window), static_cast<unsigned>(width),
                  static_cast<unsigned>(height));
    XFlush(Query);
}

void X11DestroyWindow(XWindowId window) {
    if (Query == nullptr || window == 0) return;
    XDestroyWindow(Query, AsWindow(window));
    XSync(Query, False);
}

bool X11WatchStructure(SDL_Window* sdlWindow, XWindowId window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(sdlWindow, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    Display* display = info.info.x11.display;
    unsigned long marker = ErrorCount.load();
    XSelectInput(display, AsWindow(window), StructureNotifyMask | ExposureMask);
    XSync(display, False);
    return ErrorCount.load() == marker;
}

StructureNotice X11DecodeNotice(const SDL_SysWMmsg& message) {
    StructureNotice notice;
    if (message.subsystem != SDL_SYSWM_X11) return notice;
    const XEvent& event = message.msg.x11.event;
    if (event.type == ConfigureNotify) {
        notice.kind = StructureNotice::Resized;
        notice.window = event.xconfigure.window;
        notice.width = event.xconfigure.width;
        notice.height = event.xconfigure.height;
    } else if (event.type == DestroyNotify) {
        notice.kind = StructureNotice::Destroyed;
        notice.window = event.xdestroywindow.window;
    }
    return notice;
}

}  // namespace vorlix::sdl
