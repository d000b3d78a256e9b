#include "glyphs/glyphs_reset.h"

#include "glyphs/blitters.h"
#include "glyphs/pixel_format.h"

namespace vorlix {

void ResetGlyphsState() {
    ClipRect = ClipRectangle{};
    ActivePixelFormat = Rgb565;
}

}  // namespace vorlix
