#pragma once
// A small in-memory window manager behind the desktop's window, message and cursor functions:
// windows with a parent, a screen rectangle, a title and a procedure; one posted-message
// queue; a scripted cursor; the cursor's display counter; and a record of the calls made.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/types.h"

namespace vorlix::headless {

struct WindowCall {
    std::string function;  // "PostWindowMessage", "SendWindowMessage", "ShowCursor", ...
    WindowHandle window = 0;
    MessageId message = 0;
    WParam w = 0;
    LParam l = 0;
};

struct PostedMessage {
    WindowHandle window = 0;  // 0: the thread's own queue (the quit message)
    MessageId message = 0;
    WParam w = 0;
    LParam l = 0;
};

// Forgets every window, message, script and record; the cursor counter returns to 0.
void ResetWindowManager();

// Windows. The rectangle is in screen coordinates; the client area is the whole window.
WindowHandle AddWindow(WindowHandle parent, const ScreenRect& rect, const char* title,
                       WindowProc procedure);
// Sends WM_DESTROY to the window (then to its children) and forgets them. DefaultWindowProc's
// WM_CLOSE does the same, as the real desktop does.
void DestroyWindow(WindowHandle window);
void SetWindowProcedure(WindowHandle window, WindowProc procedure);
void SetWindowTitle(WindowHandle window, const char* title);
void SetWindowRectangle(WindowHandle window, const ScreenRect& rect);
void SetForegroundWindow(WindowHandle window);
std::vector<WindowHandle> ChildWindows(WindowHandle parent);
int WindowCount();

// The queue. Taking removes the oldest message; the quit message is queued as WM_QUIT.
bool TakePostedMessage(PostedMessage& message);
std::vector<PostedMessage> PendingMessages();
bool QuitPosted();
int QuitCode();
void FailPosting(bool fail);  // PostWindowMessage returns false while set
// Calls the window's procedure directly (what a message loop's dispatch does). 0 when the
// window is gone or has no procedure.
LResult DeliverMessage(WindowHandle window, MessageId message, WParam w, LParam l);
// What DefaultWindowProc answers for a message other than WM_CLOSE; 0 unless set.
void SetDefaultAnswer(MessageId message, LResult answer);

// The cursor. Each CursorPosition call takes the next scripted point; the last one stays.
void SetCursorPoint(ScreenPoint point);
void ScriptCursorPoints(const std::vector<ScreenPoint>& points);
void FailCursorPosition(bool fail);
int CursorDisplayCounter();  // ShowCursor's counter: 0 at start, shown while >= 0
int CursorImageHides();      // HideCursorImage calls

// The record of calls, oldest first.
std::vector<WindowCall> RecordedWindowCalls();
std::vector<WindowCall> RecordedWindowCalls(const std::string& function);
void ClearRecordedWindowCalls();

}  // namespace vorlix::headless
