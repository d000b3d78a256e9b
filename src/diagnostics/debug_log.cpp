#include "diagnostics/debug_log.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>

#include "diagnostics/diagnostics_reset.h"
#include "diagnostics/message_names.h"
#include "glyphs/binary_file.h"
#include "platform/desktop.h"
#include "platform/window_messages.h"

namespace vorlix {

namespace {

constexpr const char* NoErrorText = "No Error";
constexpr const char* StartText = "[InitErrorMsg] DEBUG SESSION STARTED\n";
constexpr const char* StopText = "\n[StopErrorMsg] DEBUG SESSION TERMINATED";
constexpr const char* BoxFailedText = "[ShowErrorMsg] Unable to display error message";
constexpr const char* BoxCaption = "Vorlix";
constexpr std::uint32_t BoxStyle = MB_OK | MB_ICONEXCLAMATION | MB_TASKMODAL | MB_SETFOREGROUND;
constexpr std::uint32_t DirectoryBufferSize = 1024;
constexpr int MaxLogFiles = 9;

// Both threads log; the lock keeps each line whole and the retained error consistent.
struct LogState {
    std::mutex lock;
    std::unique_ptr<BinaryFile> file;
    String lastErrorText{NoErrorText};
    LogLevel lastErrorLevel = 0;
};

LogState& State() {
    static LogState state;
    return state;
}

const char* PrefixFor(LogLevel level) {
    switch (level) {
        case LOG_SPAM:
            return "LOG_SPAM: ";
        case LOG_GOSSIP:
            return "LOG_GOSSIP: ";
        case LOG_INFO:
            return "LOG_INFO: ";
        case LOG_WARNING:
            return "LOG_WARNING: ";
        case LOG_ERROR:
            return "LOG_ERROR: ";
        case LOG_PANIC:
            return "LOG_PANIC: ";
        default:
            return "LOG_PANIC (UNRECONGNIZED STATE): ";
    }
}

bool IsOpen(const LogState& state) {
    return state.file && state.file->Status() == FileOk;
}

// Caller holds the lock. True when prefix, text and line feed all reached the file.
bool WriteLine(LogState& state, const char* text, std::uint32_t length, LogLevel level) {
    if (!IsOpen(state)) return false;
    const char* prefix = PrefixFor(level);
    if (state.file->Write(prefix, static_cast<std::uint32_t>(std::strlen(prefix))) != FileOk)
        return false;
    if (state.file->Write(text, length) != FileOk) return false;
    return state.file->Write("\n", 1) == FileOk;
}

// Caller holds the lock. Among the most severe messages the latest one stays.
bool TakesPrecedence(const LogState& state, LogLevel level) {
    return level >= state.lastErrorLevel;
}

// Caller holds the lock. True when the line was written.
bool LogTextLocked(LogState& state, const char* text, LogLevel level) {
    if (text == nullptr) text = "";
    if (!WriteLine(state, text, static_cast<std::uint32_t>(std::strlen(text)), level)) return false;
    if (!TakesPrecedence(state, level)) return true;
    state.lastErrorLevel = level;
    state.lastErrorText.Assign(text);
    return true;
}

void ResetRetainedLocked(LogState& state) {
    state.lastErrorLevel = 0;
    state.lastErrorText.Assign(NoErrorText);
}

// The directory, a separator and the file name: vorlix_fs.log or vorlix.log for the first
// running instance, then vorlix_fs-2.log and so on. False when the directory cannot be read or
// the whole path does not fit, so the log never lands in a cut-off name somewhere else.
bool BuildLogPath(bool fullScreen, int instance, String& path) {
    char directory[DirectoryBufferSize];
    std::uint32_t length = platform::LogDirectory(directory, DirectoryBufferSize);
    if (length == 0 || length >= DirectoryBufferSize) return false;
    directory[length] = 0;
    char number[16] = {};
    if (instance > 1) std::snprintf(number, sizeof number, "-%d", instance);
    char name[32];
    std::snprintf(name, sizeof name, "vorlix%s%s.log", fullScreen ? "_fs" : "", number);
    std::size_t expected =
        std::strlen(directory) + std::strlen(platform::PathSeparator) + std::strlen(name);
    path.Assign(directory);
    path.Append(platform::PathSeparator).Append(name);
    return static_cast<std::size_t>(path.Length()) == expected;
}

// Several instances run at once (one per monitor under XScreenSaver): each writes a file of
// its own, and none empties a file another running instance still writes.
void OpenLogFile(LogState& state, bool fullScreen) {
    for (int instance = 1; instance <= MaxLogFiles; ++instance) {
        String path;
        if (!BuildLogPath(fullScreen, instance, path)) return;
        state.file.reset(new (std::nothrow) BinaryFile(path, WriteAlone{}));
        if (!state.file || !state.file->HeldElsewhere()) return;
    }
}

}  // namespace

bool InitErrorMsg(bool fullScreen) {
    LogState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    state.file.reset();
    ResetRetainedLocked(state);
    OpenLogFile(state, fullScreen);
    if (!IsOpen(state)) return false;
    return LogTextLocked(state, StartText, LOG_INFO);
}

void LogMessage(const char* text, LogLevel level) {
    LogState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    LogTextLocked(state, text, level);
}

void LogMessage(const String& text, LogLevel level) {
    LogState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (!WriteLine(state, text.Text(), static_cast<std::uint32_t>(text.Length()), level)) return;
    if (!TakesPrecedence(state, level)) return;
    state.lastErrorLevel = level;
    state.lastErrorText.Assign(&text);
}

void ShowErrorMsg(WindowHandle owner) {
    LogState& state = State();
    String text;
    LogLevel level;
    {
        std::lock_guard<std::mutex> guard(state.lock);
        text = state.lastErrorText;
        level = state.lastErrorLevel;
    }
    // The box is modal: the lock is not held while it waits for the user.
    bool boxFailed = false;
    if (level >= LOG_ERROR) {
        boxFailed = platform::ShowMessageBox(owner, text.Text(), BoxCaption, BoxStyle) != IDOK;
    }
    std::lock_guard<std::mutex> guard(state.lock);
    if (boxFailed) {
        WriteLine(state, BoxFailedText, static_cast<std::uint32_t>(std::strlen(BoxFailedText)),
                  LOG_ERROR);
    }
    ResetRetainedLocked(state);
}

void StopErrorMsg() {
    LogState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    LogTextLocked(state, StopText, LOG_INFO);
    state.file.reset();
}

bool LogAndStopIfFree(const char* text, LogLevel level) {
    LogState& state = State();
    std::unique_lock<std::mutex> guard(state.lock, std::try_to_lock);
    if (!guard.owns_lock()) return false;
    LogTextLocked(state, text, level);
    LogTextLocked(state, StopText, LOG_INFO);
    state.file.reset();
    return true;
}

String LastErrorText() {
    LogState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    return state.lastErrorText;
}

LogLevel LastErrorLevel() {
    LogState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    return state.lastErrorLevel;
}

void ResetDiagnosticsState() {
    LogState& state = State();
    {
        std::lock_guard<std::mutex> guard(state.lock);
        state.file.reset();
        ResetRetainedLocked(state);
    }
    std::memset(SharedTitleBuffer, 0, sizeof SharedTitleBuffer);
}

}  // namespace vorlix
