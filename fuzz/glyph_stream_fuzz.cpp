// The glyph loader's stream form: the input is read as glyph files one after another from
// one open stream, each load starting where the one before stopped.
#include <memory>

#include "fuzz_support.h"
#include "glyphs/graphics_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vorlix;
    static GraphicsLoader loader;
    static const fuzz::ScratchFile scratch("glyph_stream", ".ani");
    const std::string& path = scratch.Path();
    if (!fuzz::WriteWhole(path, data, size)) return 0;
    BinaryFile stream(path.c_str(), FileMode::Read);
    const bool compress = size > 0 && (data[0] & 1) != 0;
    loader.SetPixelFormat(compress ? Rgb555 : Rgb565);
    ActivePixelFormat = loader.pixelFormat;
    for (int load = 0; load < 3; ++load) {
        std::unique_ptr<Animation> animation(loader.LoadAnimationFromStream(stream, compress));
        if (!animation) break;
        fuzz::DrawEveryFrame(*animation);
    }
    return 0;
}
