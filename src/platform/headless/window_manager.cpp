#include "platform/headless/window_manager.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>

#include "platform/desktop.h"
#include "platform/headless/locked_record.h"
#include "platform/headless/take_front.h"
#include "platform/window_messages.h"

namespace vorlix::headless {

namespace {

struct Window {
    WindowHandle parent = 0;
    ScreenRect rect;
    std::string title;
    WindowProc procedure = nullptr;
};

constexpr WindowHandle FirstHandle = 0x1000;
constexpr WindowHandle HandleStep = 4;

// The draw thread may post while the window thread runs its loop, so the state has a lock.
// It is never held while a window procedure runs.
struct DesktopValues {
    std::map<WindowHandle, Window> windows;
    WindowHandle nextHandle = FirstHandle;
    WindowHandle foreground = 0;
    std::deque<PostedMessage> queue;
    bool quitPosted = false;
    int quitCode = 0;
    bool failPosting = false;
    std::map<MessageId, LResult> defaultAnswers;
    ScreenPoint cursor;
    std::deque<ScreenPoint> cursorScript;
    bool failCursor = false;
    int cursorCounter = 0;
    int cursorImageHides = 0;
    std::vector<WindowCall> calls;
};
using Desktop = LockedRecord<DesktopValues>;

Desktop& State() {
    static Desktop desktop;
    return desktop;
}

void Record(Desktop& d, const char* function, WindowHandle window, MessageId message = 0,
            WParam w = 0, LParam l = 0) {
    d.calls.push_back(WindowCall{function, window, message, w, l});
}

const Window* Find(Desktop& d, WindowHandle window) {
    auto found = d.windows.find(window);
    return found == d.windows.end() ? nullptr : &found->second;
}

WindowProc ProcedureOf(WindowHandle window) {
    Desktop& d = State();
    std::lock_guard<std::mutex> guard(d.lock);
    const Window* w = Find(d, window);
    return w ? w->procedure : nullptr;
}

}  // namespace

void ResetWindowManager() { State().Reset(); }

WindowHandle AddWindow(WindowHandle parent, const ScreenRect& rect, const char* title,
                       WindowProc procedure) {
    Desktop& d = State();
    std::lock_guard<std::mutex> guard(d.lock);
    WindowHandle handle = d.nextHandle;
    d.nextHandle += HandleStep;
    d.windows[handle] = Window{parent, rect, title ? title : "", procedure};
    if (parent == 0) d.foreground = handle;
    return handle;
}

void DestroyWindow(WindowHandle window) {
    WindowProc procedure = ProcedureOf(window);
    if (!platform::IsWindowHandle(window)) return;
    if (procedure) procedure(window, WM_DESTROY, 0, 0);
    for (WindowHandle child : ChildWindows(window)) DestroyWindow(child);
    Desktop& d = State();
    std::lock_guard<std::mutex> guard(d.lock);
    d.windows.erase(window);
    if (d.foreground == window) d.foreground = 0;
}

void SetWindowProcedure(WindowHandle window, WindowProc procedure) {
    Desktop& d = State();
    std::lock_guard<std::mutex> guard(d.lock);
    auto found = d.windows.find(window);
    if (found != d.windows.end()) found->second.procedure = procedure;
}

void SetWindowTitle(WindowHandle window, const char* title) {
    Desktop& d = State();
    std::lock_guard<std::mutex> guard(d.lock);
    auto found = d.windows.find(window);
    if (found != d.windows.end()) found->second.title = title ? title : "";
}

void SetWindowRectangle(WindowHandle window, const ScreenRect& rect) {
    Desktop& d = State();
    std::lock_guard<std::mutex> guard(d.lock);
    auto found = d.windows.find(window);
    if (found != d.windows.end()) found->second.rect = rect;
}

void SetForegroundWindow(WindowHandle window) {
    WriteLocked(State(), &Desktop::foreground, window);
}

std::vector<WindowHandle> ChildWindows(WindowHandle parent) {
    Desktop& d = State();
    std::lock_guard<std::mutex> guard(d.lock);
    std::vector<WindowHandle> children;
    for (const auto& [handle, window] : d.windows)
        if (window.parent == parent && parent != 0) children.push_back(handle);
    return children;
}

int WindowCount() {
    Desktop& d = State();
    std::lock_guard<std::mutex> guard(d.lock);
    return static_cast<int>(d.windows.size());
}

bool TakePostedMessage(PostedMessage& message) {
    Desktop& d = State();
    std::lock_guard<std::mutex> guard(d.lock);
    return TakeFront(d.queue, message);
}

std::vector<PostedMessage> PendingMessages() {
    Desktop& d = State();
    std::lock_guard<std::mutex> guard(d.lock);
    return std::vector<PostedMessage>(d.queue.begin(), d.queue.end());
}

bool QuitPosted() { return ReadLocked(State(), &Desktop::quitPosted); }

int QuitCode() { return ReadLocked(State(), &Desktop::quitCode); }

void FailPosting(bool fail) { WriteLocked(State(), &Desktop::failPosting, fail); }

LResult DeliverMessage(WindowHandle window, MessageId message, WParam w, LParam l) {
    WindowProc procedure = ProcedureOf(window);
    return procedure ? procedure(window, message, w, l) : 0;
}

void SetDefaultAnswer(MessageId message, LResult answer) {
    Desktop& d = State();
    std::lock_guard<std::mutex> guard(d.lock);
    d.defaultAnswers[message] = answer;
}

void SetCursorPoint(ScreenPoint point) {
    Desktop& d = State();
    std::lock_guard<std::mutex> guard(d.lock);
    d.cursorScript.clear();
    d.cursor = point;
}

void ScriptCursorPoints(const std::vector<ScreenPoint>& points) {
    WriteLocked(State(), &Desktop::cursorScript,
                std::deque<ScreenPoint>(points.begin(), points.end()));
}

void FailCursorPosition(bool fail) { WriteLocked(State(), &Desktop::failCursor, fail); }

int CursorDisplayCounter() { return ReadLocked(State(), &Desktop::cursorCounter); }

int CursorImageHides() { return ReadLocked(State(), &Desktop::cursorImageHides); }

std::vector<WindowCall> RecordedWindowCalls() { return ReadLocked(State(), &Desktop::calls); }

std::vector<WindowCall> RecordedWindowCalls(const std::string& function) {
    std::vector<WindowCall> all = RecordedWindowCalls();
    std::vector<WindowCall> matching;
    std::copy_if(all.begin(), all.end(), std::back_inserter(matching),
                 [&](const WindowCall& call) { return call.function == function; });
    return matching;
}

void ClearRecordedWindowCalls() {
    Desktop& d = State();
    std::lock_guard<std::mutex> guard(d.lock);
    d.calls.clear();
}

}  // namespace vorlix::headless

namespace vorlix::platform {

using headless::Desktop;
using headless::PostedMessage;

bool PostWindowMessage(WindowHandle window, MessageId message, WParam w, LParam l) {
    Desktop& d = headless::State();
    std::lock_guard<std::mutex> guard(d.lock);
    headless::Record(d, "PostWindowMessage", window, message, w, l);
    if (d.failPosting) return false;
    if (window != 0 && !headless::Find(d, window)) return false;
    d.queue.push_back(PostedMessage{window, message, w, l});
    return true;
}

LResult SendWindowMessage(WindowHandle window, MessageId message, WParam w, LParam l) {
    {
        Desktop& d = headless::State();
        std::lock_guard<std::mutex> guard(d.lock);
        headless::Record(d, "SendWindowMessage", window, message, w, l);
    }
    return headless::DeliverMessage(window, message, w, l);
}

bool RemovePendingMessage(WindowHandle window, MessageId message) {
    Desktop& d = headless::State();
    std::lock_guard<std::mutex> guard(d.lock);
    headless::Record(d, "RemovePendingMessage", window, message);
    auto found = std::find_if(d.queue.begin(), d.queue.end(), [&](const PostedMessage& m) {
        return m.message == message && (window == 0 || m.window == window);
    });
    if (found == d.queue.end()) return false;
    d.queue.erase(found);
    return true;
}

LResult DefaultWindowProc(WindowHandle window, MessageId message, WParam w, LParam l) {
    LResult answer = 0;
    {
        Desktop& d = headless::State();
        std::lock_guard<std::mutex> guard(d.lock);
        headless::Record(d, "DefaultWindowProc", window, message, w, l);
        auto found = d.defaultAnswers.find(message);
        if (found != d.defaultAnswers.end()) answer = found->second;
    }
    if (message == WM_CLOSE) headless::DestroyWindow(window);
    return answer;
}

void PostQuit(int exitCode) {
    Desktop& d = headless::State();
    std::lock_guard<std::mutex> guard(d.lock);
    headless::Record(d, "PostQuit", 0, WM_QUIT, static_cast<WParam>(exitCode));
    d.quitPosted = true;
    d.quitCode = exitCode;
    d.queue.push_back(PostedMessage{0, WM_QUIT, static_cast<WParam>(exitCode), 0});
}

WindowHandle ParentWindow(WindowHandle window) {
    Desktop& d = headless::State();
    std::lock_guard<std::mutex> guard(d.lock);
    const headless::Window* w = headless::Find(d, window);
    return w ? w->parent : 0;
}

bool WindowRect(WindowHandle window, ScreenRect& rect) {
    Desktop& d = headless::State();
    std::lock_guard<std::mutex> guard(d.lock);
    const headless::Window* w = headless::Find(d, window);
    if (!w) return false;
    rect = w->rect;
    return true;
}

// The fake's windows have no frame: the client area is the whole window.
bool ClientRect(WindowHandle window, ScreenRect& rect) {
    ScreenRect outer;
    if (!WindowRect(window, outer)) return false;
    rect = ScreenRect{0, 0, outer.right - outer.left, outer.bottom - outer.top};
    return true;
}

bool ClientToScreen(WindowHandle window, ScreenPoint& point) {
    ScreenRect outer;
    if (!WindowRect(window, outer)) return false;
    point.x += outer.left;
    point.y += outer.top;
    return true;
}

bool IsWindowHandle(WindowHandle window) {
    Desktop& d = headless::State();
    std::lock_guard<std::mutex> guard(d.lock);
    return headless::Find(d, window) != nullptr;
}

WindowHandle ForegroundWindow() {
    return headless::ReadLocked(headless::State(), &Desktop::foreground);
}

void BringToForeground(WindowHandle window) {
    Desktop& d = headless::State();
    std::lock_guard<std::mutex> guard(d.lock);
    headless::Record(d, "BringToForeground", window);
    if (headless::Find(d, window)) d.foreground = window;
}

int WindowTitle(WindowHandle window, char* buffer, int size) {
    Desktop& d = headless::State();
    std::lock_guard<std::mutex> guard(d.lock);
    const headless::Window* w = headless::Find(d, window);
    if (size <= 0 || buffer == nullptr) return 0;
    buffer[0] = '\0';
    if (!w) return 0;
    int length = static_cast<int>(std::min<std::size_t>(w->title.size(), size - 1));
    std::memcpy(buffer, w->title.data(), length);
    buffer[length] = '\0';
    return length;
}

bool CursorPosition(ScreenPoint& point) {
    Desktop& d = headless::State();
    std::lock_guard<std::mutex> guard(d.lock);
    if (d.failCursor) return false;
    headless::TakeFront(d.cursorScript, d.cursor);
    point = d.cursor;
    return true;
}

void ShowCursor(bool show) {
    Desktop& d = headless::State();
    std::lock_guard<std::mutex> guard(d.lock);
    headless::Record(d, "ShowCursor", 0, 0, show ? 1 : 0);
    d.cursorCounter += show ? 1 : -1;
}

void HideCursorImage() {
    Desktop& d = headless::State();
    std::lock_guard<std::mutex> guard(d.lock);
    headless::Record(d, "HideCursorImage", 0);
    ++d.cursorImageHides;
}

}  // namespace vorlix::platform
