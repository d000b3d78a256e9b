#include "saver/saver_state.h"

namespace vorlix {

bool IsWin9x = false;
bool IsPreview = false;
bool IsClosing = false;
bool InPasswordCheck = false;
std::uint32_t LastCheckTick = NeverChecked;
ScreenPoint LastCursorPos;
MessageId AutoPlayMessage = 0;
PasswordVerifier VerifyProc = nullptr;

}  // namespace vorlix
