#pragma once
// The default handling of the saver window's messages: the close-on-input rules and the
// password check the Windows 95/98/Me family asks for before a saver may close.
#include "platform/types.h"

namespace vorlix {

LResult DefaultSaverProc(WindowHandle window, MessageId message, WParam w, LParam l);
// Nonzero when the saver may close.
LResult VerifyPassword(WindowHandle window);

}  // namespace vorlix
