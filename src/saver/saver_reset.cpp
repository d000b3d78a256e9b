#include "saver/saver_reset.h"

#include "saver/framework.h"
#include "saver/saver_state.h"
#include "saver/screen_saver_proc.h"

namespace vorlix {

void ResetSaverState() {
    IsWin9x = false;
    IsPreview = false;
    IsClosing = false;
    InPasswordCheck = false;
    LastCheckTick = NeverChecked;
    LastCursorPos = ScreenPoint{};
    AutoPlayMessage = 0;
    VerifyProc = nullptr;

    WindowObjects = SaverObjects{};
    FullScreenMode = 0;
    SaverWindow = 0;
    CursorCaptured = 0;
    StartCursorPos = ScreenPoint{};
    TrapFirstClose = 1;

    VerifierLibrary = 0;
    Ime = ImeState{};
    SaverWindowHandle = 0;
}

}  // namespace vorlix
