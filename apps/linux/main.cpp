// vorlix: the screen saver on a Linux desktop. Takes the Windows switches and XScreenSaver's
// options, then hands over to the core's mode dispatcher.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "command_line.h"
#include "glyphs/processor_path.h"
#include "platform/sdl/video_driver.h"
#include "platform/sdl/x11_windows.h"
#include "rain/redraw_mode.h"
#include "saver/framework.h"
#include "saver/screen_saver_proc.h"
#include "saver/switch_text.h"
#include "settings/settings_override.h"

namespace {

// XScreenSaver names the window a hack draws into; without it, the root window.
bool RootTarget(std::uint64_t& window) {
    const char* named = std::getenv("XSCREENSAVER_WINDOW");
    if (named != nullptr && *named != 0)
        return vorlix::linuxhost::ParseWindowId(named, window);
    window = vorlix::sdl::X11RootWindow();
    return window != 0;
}

// One-run settings go only with a run that draws; the dialog would show them and save them.
// Only a run that draws opens SDL's video: the dialog needs GTK alone.
bool DrawsTheRain(const vorlix::linuxhost::RunRequest& request) {
    if (request.wantsRoot || request.windowId != 0) return true;
    vorlix::SaverMode mode = vorlix::ParseSwitch(request.switchText.c_str()).mode;
    return mode == vorlix::SaverMode::FullScreen || mode == vorlix::SaverMode::Preview;
}

// The option that draws into an X window, which only an X display has; null for none.
const char* XWindowOption(const vorlix::linuxhost::RunRequest& request) {
    if (request.wantsRoot) return "--root";
    if (request.windowId != 0) return "--window-id";
    vorlix::SaverMode mode = vorlix::ParseSwitch(request.switchText.c_str()).mode;
    return mode == vorlix::SaverMode::Preview ? "/p" : nullptr;
}

// Opens the display a run that draws needs; false, with the message said, when there is none.
bool OpenDisplayFor(const vorlix::linuxhost::RunRequest& request, int& code) {
    const char* option = XWindowOption(request);
    if (option != nullptr) vorlix::sdl::RequireX11Driver();
    const char* why = "";
    if (vorlix::sdl::OpenDisplay(why)) return true;
    if (option == nullptr) {
        std::fprintf(stderr, "vorlix: %s\n", why);
        code = 1;
        return false;
    }
    std::fprintf(stderr, "vorlix: %s draws into an X window, which needs an X display: %s\n",
                 option, why);
    code = 2;
    return false;
}

int Fail(const char* text, int code) {
    std::fprintf(stderr, "vorlix: %s\n", text);
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    vorlix::sdl::PrepareProcess();
    vorlix::ChooseRedrawMode(
        vorlix::RedrawModeFromEnvironment(std::getenv(vorlix::FullRedrawVariable)));
    vorlix::ChooseProcessorPath(
        vorlix::ProcessorPathFromEnvironment(std::getenv(vorlix::ProcessorPathVariable)));
    vorlix::linuxhost::RunRequest request = vorlix::linuxhost::ParseCommandLine(argc, argv);
    if (request.showHelp) {
        std::fputs(vorlix::linuxhost::UsageText(), stdout);
        return 0;
    }
    if (request.error.empty() && (request.hasDensity || request.hasHighlight || request.hasZoom) &&
        !DrawsTheRain(request)) {
        request.error = "--density, --highlight and --zoom are for one run only: they go with "
                        "/s, /p, --root or --window-id, never with the settings dialog";
    }
    if (!request.error.empty()) {
        std::fprintf(stderr, "vorlix: %s\n%s", request.error.c_str(),
                     vorlix::linuxhost::UsageText());
        return 2;
    }
    int code = 0;
    if (DrawsTheRain(request) && !OpenDisplayFor(request, code)) return code;
    if (request.wantsRoot) {
        std::uint64_t window = 0;
        if (!RootTarget(window)) return Fail("XSCREENSAVER_WINDOW names no window id", 2);
        request.windowId = window;
        request.switchText = "/p " + std::to_string(window);
    }
    if (request.windowId != 0 && !vorlix::sdl::X11WindowExists(request.windowId)) {
        std::fprintf(stderr, "vorlix: there is no window 0x%llx\n",
                     static_cast<unsigned long long>(request.windowId));
        return 2;
    }
    if (request.hasDensity) vorlix::OverrideDensity(request.density);
    if (request.hasHighlight) vorlix::OverrideHighlight(request.highlight);
    if (request.hasZoom) vorlix::OverrideZoom(request.zoom);
    // Only the Windows desktop sends the stray close request the trap is for.
    vorlix::TrapFirstClose = 0;
    code = vorlix::RunModeDispatcher(request.switchText.c_str());
    vorlix::sdl::CloseDisplay();
    return code;
}
