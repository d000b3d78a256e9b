#include "glyphs/glyphs_reset.h"

#include "glyphs/blitters.h"
#include "glyphs/pixel_format.h"
#include "glyphs/processor_path.h"

namespace vorlix {

void ResetGlyphsState() {
    ClipRect = ClipRectangle{};
    ActivePixelFormat = Rgb565;
    ChooseProcessorPath(ProcessorPath::Detected);
}

}  // namespace vorlix
