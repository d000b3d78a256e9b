#include "support/fresh_process.h"

#include "diagnostics/diagnostics_reset.h"
#include "glyphs/glyphs_reset.h"
#include "platform/headless/host_reset.h"
#include "rain/rain_reset.h"
#include "saver/saver_reset.h"
#include "saver/saver_test_support.h"
#include "settings/settings_reset.h"

namespace vorlix::testing {

void ResetProcessState() {
    ResetDiagnosticsState();
    ResetGlyphsState();
    ResetRainState();
    ResetSettingsState();
    ResetSaverState();
    headless::ResetHost();
    FailNothrowAllocation(0);  // the tests' own allocation fault
}

}  // namespace vorlix::testing
