#include "platform/sdl/x11_monitors.h"

#include <SDL2/SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <cmath>

namespace vorlix::sdl {

namespace {

Display* Monitors = nullptr;
int RandrEventBase = -1;

std::int32_t DotsPerInch(const XRRMonitorInfo& monitor) {
    if (monitor.mwidth <= 0 || monitor.mheight <= 0) return 0;
    const double pixels = std::hypot(monitor.width, monitor.height);
    const double inches = std::hypot(monitor.mwidth, monitor.mheight) / 25.4;
    return static_cast<std::int32_t>(pixels / inches + 0.5);
}

MonitorInfo InfoOf(const XRRMonitorInfo& monitor) {
    MonitorInfo info;
    info.bounds =
        ScreenRect{monitor.x, monitor.y, monitor.x + monitor.width, monitor.y + monitor.height};
    info.dotsPerInch = DotsPerInch(monitor);
    return info;
}

}  // namespace

bool X11MonitorsOpen() {
    if (Monitors != nullptr) return true;
    Monitors = XOpenDisplay(nullptr);
    if (Monitors == nullptr) return false;
    int errorBase = 0, major = 0, minor = 0;
    if (!XRRQueryExtension(Monitors, &RandrEventBase, &errorBase) ||
        !XRRQueryVersion(Monitors, &major, &minor) || major < 1 || (major == 1 && minor < 5)) {
        // No monitor list to read: SDL's is all there is.
        XCloseDisplay(Monitors);
        Monitors = nullptr;
        RandrEventBase = -1;
        return false;
    }
    XRRSelectInput(Monitors, DefaultRootWindow(Monitors),
                   RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask | RROutputChangeNotifyMask);
    XFlush(Monitors);
    return true;
}

void X11MonitorsClose() {
    if (Monitors == nullptr) return;
    XCloseDisplay(Monitors);
    Monitors = nullptr;
    RandrEventBase = -1;
}

int X11ReadMonitors(MonitorInfo* monitors, int capacity) {
    if (Monitors == nullptr || capacity <= 0) return 0;
    int listed = 0;
    XRRMonitorInfo* list = XRRGetMonitors(Monitors, DefaultRootWindow(Monitors), True, &listed);
    if (list == nullptr) return 0;
    int count = 0;
    // The primary first, then the others in the server's order.
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < listed && count < capacity; ++i) {
            const bool primary = list[i].primary != 0;
            if (primary != (pass == 0) || list[i].width <= 0 || list[i].height <= 0) continue;
            monitors[count++] = InfoOf(list[i]);
        }
    }
    XRRFreeMonitors(list);
    return count;
}

bool X11MonitorNoticeArrived() {
    if (Monitors == nullptr) return false;
    bool arrived = false;
    while (XPending(Monitors) > 0) {
        XEvent event;
        XNextEvent(Monitors, &event);
        if (event.type == RandrEventBase + RRScreenChangeNotify ||
            event.type == RandrEventBase + RRNotify)
            arrived = true;
    }
    return arrived;
}

std::uint32_t X11PointerEventTime(const SDL_SysWMmsg& message) {
    if (message.subsystem != SDL_SYSWM_X11) return 0;
    const XEvent& event = message.msg.x11.event;
    if (event.type == MotionNotify) return static_cast<std::uint32_t>(event.xmotion.time);
    if (event.type == EnterNotify || event.type == LeaveNotify)
        return static_cast<std::uint32_t>(event.xcrossing.time);
    return 0;
}

bool X11LayoutChangedNear(std::uint32_t serverTime) {
    constexpr std::uint32_t NearMs = 1000;
    if (Monitors == nullptr || serverTime == 0) return false;
    // The current resources: no probing of the outputs, only the time they were last set.
    XRRScreenResources* resources =
        XRRGetScreenResourcesCurrent(Monitors, DefaultRootWindow(Monitors));
    if (resources == nullptr) return false;
    const auto laidOut = static_cast<std::uint32_t>(resources->timestamp);
    XRRFreeScreenResources(resources);
    // Server times are milliseconds that wrap: the nearer way round counts.
    std::uint32_t apart = serverTime - laidOut;
    if (apart > 0x80000000u) apart = laidOut - serverTime;
    return laidOut != 0 && apart < NearMs;
}

}  // namespace vorlix::sdl
