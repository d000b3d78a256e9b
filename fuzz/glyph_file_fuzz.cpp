// The glyph loader's path form: the input is the whole glyph file.
#include <memory>

#include "fuzz_support.h"
#include "glyphs/graphics_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vorlix;
    static GraphicsLoader loader;
    static const fuzz::ScratchFile scratch("glyph_file", ".ani");
    const std::string& path = scratch.Path();
    if (!fuzz::WriteWhole(path, data, size)) return 0;
    for (bool compress : {false, true}) {
        loader.SetPixelFormat(compress ? Rgb565 : Rgb555);
        ActivePixelFormat = loader.pixelFormat;
        std::unique_ptr<Animation> animation(loader.LoadAnimation(path.c_str(), compress));
        if (animation) fuzz::DrawEveryFrame(*animation);
    }
    return 0;
}
