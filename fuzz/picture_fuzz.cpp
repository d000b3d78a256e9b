// The picture readers. Input: one flag byte (bit 0 compress, bit 1 with map, bit 2 the 5-6-5
// layout), two signed 16-bit sizes for the headerless readers, then the file itself, which
// also serves as the side map file.
#include <cstring>
#include <memory>

#include "fuzz_support.h"
#include "glyphs/graphics_loader.h"

namespace {

constexpr std::size_t Prefix = 5;

std::int32_t Signed16(const std::uint8_t* bytes) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8));
}

// What SavePicture writes, LoadPicture must give back exactly (in 5-6-5 every value survives).
void CheckSaveRoundTrip(vorlix::GraphicsLoader& loader, vorlix::fuzz::Surface& surface) {
    using namespace vorlix;
    static const fuzz::ScratchFile savedFile("picture_saved", ".tga");
    const std::string& saved = savedFile.Path();
    loader.SetPixelFormat(Rgb565);
    if (!loader.SavePicture(saved.c_str(), surface.View())) return;
    String name(saved.c_str());
    std::unique_ptr<Picture> back(loader.LoadPicture(name, false, false));
    if (!back) __builtin_trap();
    const std::size_t bytes = surface.Pixels().size() * sizeof(std::uint16_t);
    if (std::memcmp(back->pixels, surface.Pixels().data(), bytes) != 0) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vorlix;
    if (size < Prefix) return 0;
    static GraphicsLoader loader;
    static const fuzz::ScratchFile pictureFile("picture", ".tga");
    const std::string& path = pictureFile.Path();
    static const fuzz::ScratchFile mapFile("picture", ".map");
    const std::string& mapPath = mapFile.Path();
    const bool compress = (data[0] & 1) != 0;
    const bool withMap = (data[0] & 2) != 0;
    loader.SetPixelFormat((data[0] & 4) != 0 ? Rgb565 : Rgb555);
    ActivePixelFormat = loader.pixelFormat;
    const std::int32_t width = Signed16(data + 1);
    const std::int32_t height = Signed16(data + 3);
    if (!fuzz::WriteWhole(path, data + Prefix, size - Prefix)) return 0;
    if (!fuzz::WriteWhole(mapPath, data + Prefix, size - Prefix)) return 0;

    String name(path.c_str());
    std::unique_ptr<Picture> picture(loader.LoadPicture(name, compress, withMap));
    if (picture) fuzz::DrawEverywhere(*picture);

    fuzz::Surface target;
    loader.LoadPictureInto(path.c_str(), target.View());

    BinaryFile stream(path.c_str(), FileMode::Read);
    std::unique_ptr<Picture> read(loader.ReadPicture(stream, width, height, compress));
    if (read) fuzz::DrawEverywhere(*read);
    loader.ReadPictureInto(stream, width, height, target.View());

    CheckSaveRoundTrip(loader, target);
    return 0;
}
