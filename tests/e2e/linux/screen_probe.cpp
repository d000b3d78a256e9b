// Reads a rectangle of the screen as a person would see it and prints what the tests check:
//   vorlix-test-probe X Y WIDTH HEIGHT [IX IY IW IH]...  ->  "lit=N green=N other=N hash=H
//   outside=N"
// lit: pixels brighter than near-black; green: lit pixels whose green channel leads (glyphs);
// other: pixels that are neither black nor green-led; hash: a checksum of every pixel;
// outside: lit pixels outside every inner rectangle (IX IY IW IH, screen coordinates), all
// taken from the same instant.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: vorlix-test-probe X Y WIDTH HEIGHT\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return 1;
    int x = std::atoi(argv[1]), y = std::atoi(argv[2]);
    unsigned width = static_cast<unsigned>(std::atoi(argv[3]));
    unsigned height = static_cast<unsigned>(std::atoi(argv[4]));
    XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, width, height, AllPlanes,
                              ZPixmap);
    if (image == nullptr) return 1;
    auto channel = [](unsigned long pixel, unsigned long mask) {
        if (mask == 0) return 0u;
        unsigned shift = 0;
        while (((mask >> shift) & 1) == 0) ++shift;
        unsigned long value = (pixel & mask) >> shift;
        unsigned long top = mask >> shift;
        return static_cast<unsigned>(value * 255 / top);
    };
    struct Inner {
        int x, y, width, height;
    };
    constexpr int MaxInner = 16;
    Inner inner[MaxInner];
    int innerCount = 0;
    for (int arg = 5; arg + 3 < argc && innerCount < MaxInner; arg += 4)
        inner[innerCount++] = Inner{std::atoi(argv[arg]) - x, std::atoi(argv[arg + 1]) - y,
                                    std::atoi(argv[arg + 2]), std::atoi(argv[arg + 3])};
    auto inside = [&](int column, int row) {
        for (int i = 0; i < innerCount; ++i)
            if (column >= inner[i].x && column < inner[i].x + inner[i].width && row >= inner[i].y &&
                row < inner[i].y + inner[i].height)
                return true;
        return false;
    };
    std::uint64_t lit = 0, green = 0, other = 0, outside = 0;
    std::uint64_t hash = 1469598103934665603ull;
    for (unsigned row = 0; row < height; ++row) {
        for (unsigned column = 0; column < width; ++column) {
            unsigned long pixel = XGetPixel(image, static_cast<int>(column), static_cast<int>(row));
            unsigned r = channel(pixel, image->red_mask);
            unsigned g = channel(pixel, image->green_mask);
            unsigned b = channel(pixel, image->blue_mask);
            hash = (hash ^ (r << 16 | g << 8 | b)) * 1099511628211ull;
            bool bright = r > 16 || g > 16 || b > 16;
            if (bright) ++lit;
            if (bright && !inside(static_cast<int>(column), static_cast<int>(row))) ++outside;
            if (bright && g >= r && g >= b) ++green;
            else if (bright) ++other;
        }
    }
    std::printf("lit=%llu green=%llu other=%llu hash=%016llx outside=%llu\n",
                static_cast<unsigned long long>(lit), static_cast<unsigned long long>(green),
                static_cast<unsigned long long>(other), static_cast<unsigned long long>(hash),
                static_cast<unsigned long long>(outside));
    XDestroyImage(image);
    XCloseDisplay(display);
    return 0;
}
