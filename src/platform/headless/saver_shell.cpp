#include "platform/headless/saver_shell.h"

#include <deque>
#include <map>
#include <mutex>

#include "platform/desktop.h"
#include "platform/headless/dialog_controls.h"
#include "platform/headless/folded_names.h"
#include "platform/headless/locked_record.h"
#include "platform/headless/registry.h"
#include "platform/headless/take_front.h"
#include "platform/headless/window_manager.h"
#include "platform/window_messages.h"

namespace vorlix::headless {

namespace {

constexpr MessageId FirstNamedMessage = 0xC000;
constexpr platform::LibraryHandle FirstLibrary = 0x10000000;
constexpr platform::LibraryHandle LibraryStep = 0x10000;
constexpr int FirstRadio = 1000;
constexpr int LastRadio = 1005;

struct Library {
    std::string name;
    bool preloaded = false;
    std::map<std::string, void*> functions;
    platform::LibraryHandle handle = 0;
    int loads = 0;
    int openLoads = 0;
};

// The fakes are called from the saver's own thread; the lock covers tests reading records.
struct ShellValues {
    bool win9x = false;
    bool failClass = false;
    bool failWindow = false;
    WindowProc procedure = nullptr;
    int registrations = 0;
    WindowHandle runningSaver = 0;
    ScreenRect clipBox{0, 0, 1024, 768};
    platform::SaverWindowLayout lastLayout;
    std::string lastTitle;
    WindowHandle lastWindow = 0;
    std::deque<InputStep> input;
    int deliveredSteps = 0;
    std::map<std::string, MessageId> namedMessages;
    std::vector<bool> runningCalls;
    std::deque<DialogStep> dialogScript;
    bool failDialog = false;
    int dialogTemplate = 0;
    WindowHandle dialogOwner = 0;
    WindowHandle dialog = 0;
    int dialogRuns = 0;
    std::vector<Library> libraries;
    std::deque<std::int32_t> passwordAnswers;
    int passwordChecks = 0;
    std::vector<PasswordChangeCall> passwordChanges;
    std::vector<ContextCall> contextCalls;
};
using Shell = LockedRecord<ShellValues, std::recursive_mutex>;

Shell& State() {
    static Shell shell;
    return shell;
}

Library* FindLibrary(Shell& s, const std::string& name) {
    for (Library& library : s.libraries)
        if (library.name == Folded(name)) return &library;
    return nullptr;
}

Library* FindLibrary(Shell& s, platform::LibraryHandle handle) {
    for (Library& library : s.libraries)
        if (library.handle == handle) return &library;
    return nullptr;
}

std::int32_t VerifyScreenSavePwd(WindowHandle) {
    Shell& s = State();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    ++s.passwordChecks;
    std::int32_t answer = 0;
    TakeFront(s.passwordAnswers, answer);
    return answer;
}

std::uint32_t PwdChangePasswordA(const char* provider, WindowHandle owner, std::uint32_t,
                                 void*) {
    Shell& s = State();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    s.passwordChanges.push_back(PasswordChangeCall{provider ? provider : "", owner});
    return 0;
}

std::uintptr_t ImmAssociateContext(WindowHandle window, std::uintptr_t context) {
    Shell& s = State();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    s.contextCalls.push_back(ContextCall{window, context});
    return s.contextCalls.size() == 1 ? FakeInputContext : 0;
}

// Turns a function of ours into the untyped address a library lookup hands out.
template <class Function>
void* AddressOf(Function function) {
    return reinterpret_cast<void*>(function);
}

void ApplyDialogStep(WindowHandle dialog, DialogProc procedure, const DialogStep& step) {
    switch (step.kind) {
    case DialogStep::Text:
        SetControlText(dialog, step.id, step.text);
        break;
    case DialogStep::Check:
        SetControlChecked(dialog, step.id, step.checked);
        break;
    case DialogStep::Radio:
        ClickRadioButton(dialog, step.id, FirstRadio, LastRadio);
        break;
    case DialogStep::Command:
        procedure(dialog, WM_COMMAND, static_cast<WParam>(step.id), 0);
        break;
    }
}

bool TakeInputStep(InputStep& step) {
    Shell& s = State();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    if (!TakeFront(s.input, step)) return false;
    ++s.deliveredSteps;
    if (step.window == 0) step.window = s.lastWindow;
    return true;
}

void RunInputStep(const InputStep& step) {
    if (step.movesCursor) SetCursorPoint(step.cursor);
    if (step.action) step.action();
    if (step.message != WM_NULL) DeliverMessage(step.window, step.message, step.w, step.l);
}

}  // namespace

void ResetSaverShell() { State().Reset(); }

void SetWin9xFamily(bool win9x) { WriteLocked(State(), &Shell::win9x, win9x); }

void FailClassRegistration(bool fail) { WriteLocked(State(), &Shell::failClass, fail); }

void FailWindowCreation(bool fail) { WriteLocked(State(), &Shell::failWindow, fail); }

void SetRunningSaver(WindowHandle window) { WriteLocked(State(), &Shell::runningSaver, window); }

void SetScreenClipBox(const ScreenRect& box) { WriteLocked(State(), &Shell::clipBox, box); }

int SaverClassRegistrations() { return ReadLocked(State(), &Shell::registrations); }

platform::SaverWindowLayout LastSaverWindowLayout() {
    Shell& s = State();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    platform::SaverWindowLayout layout = s.lastLayout;
    layout.title = "";  // the caller's text may be gone; see LastSaverWindowTitle
    return layout;
}

std::string LastSaverWindowTitle() { return ReadLocked(State(), &Shell::lastTitle); }

WindowHandle LastSaverWindow() { return ReadLocked(State(), &Shell::lastWindow); }

void ScriptInput(const std::vector<InputStep>& steps) {
    WriteLocked(State(), &Shell::input, std::deque<InputStep>(steps.begin(), steps.end()));
}

int DeliveredScriptSteps() { return ReadLocked(State(), &Shell::deliveredSteps); }

MessageId NamedMessage(const std::string& name) {
    Shell& s = State();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    auto found = s.namedMessages.find(Folded(name));
    return found == s.namedMessages.end() ? 0 : found->second;
}

std::vector<bool> ScreenSaverRunningCalls() { return ReadLocked(State(), &Shell::runningCalls); }

void ScriptDialog(const std::vector<DialogStep>& steps) {
    WriteLocked(State(), &Shell::dialogScript, std::deque<DialogStep>(steps.begin(), steps.end()));
}

void FailModalDialog(bool fail) { WriteLocked(State(), &Shell::failDialog, fail); }

int LastDialogTemplate() { return ReadLocked(State(), &Shell::dialogTemplate); }

WindowHandle LastDialogOwner() { return ReadLocked(State(), &Shell::dialogOwner); }

WindowHandle LastDialog() { return ReadLocked(State(), &Shell::dialog); }

int DialogRuns() { return ReadLocked(State(), &Shell::dialogRuns); }

void AddLibrary(const std::string& name, bool preloaded,
                const std::vector<std::pair<std::string, void*>>& functions) {
    Shell& s = State();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    Library library;
    library.name = Folded(name);
    library.preloaded = preloaded;
    library.functions.insert(functions.begin(), functions.end());
    library.handle = FirstLibrary + LibraryStep * s.libraries.size();
    s.libraries.push_back(library);
}

int LoadedLibraries() {
    Shell& s = State();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    int open = 0;
    for (const Library& library : s.libraries) open += library.openLoads;
    return open;
}

int LibraryLoads(const std::string& name) {
    Shell& s = State();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    Library* library = FindLibrary(s, name);
    return library ? library->loads : 0;
}

void ScriptPasswordAnswers(const std::vector<std::int32_t>& answers) {
    WriteLocked(State(), &Shell::passwordAnswers,
                std::deque<std::int32_t>(answers.begin(), answers.end()));
}

int PasswordChecks() { return ReadLocked(State(), &Shell::passwordChecks); }

void* FakeVerifyScreenSavePwd() { return AddressOf(&VerifyScreenSavePwd); }

std::vector<PasswordChangeCall> PasswordChanges() {
    return ReadLocked(State(), &Shell::passwordChanges);
}

void* FakePwdChangePasswordA() { return AddressOf(&PwdChangePasswordA); }

std::vector<ContextCall> ContextAssociations() { return ReadLocked(State(), &Shell::contextCalls); }

void* FakeImmAssociateContext() { return AddressOf(&ImmAssociateContext); }

void InstallPasswordVerifier(bool passwordInUse) {
    AddLibrary("PASSWORD.CPL", false, {{"VerifyScreenSavePwd", FakeVerifyScreenSavePwd()}});
    StoreNumber(platform::RegistryRoot::CurrentUser, "Control Panel\\Desktop",
                "ScreenSaveUsePassword", passwordInUse ? 1 : 0);
}

}  // namespace vorlix::headless

namespace vorlix::platform {

using headless::Shell;

bool IsWin9xFamily() { return headless::ReadLocked(headless::State(), &Shell::win9x); }

bool RegisterSaverClass(WindowProc procedure) {
    Shell& s = headless::State();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    ++s.registrations;
    if (s.failClass) return false;
    s.procedure = procedure;
    return true;
}

WindowHandle CreateSaverWindow(const SaverWindowLayout& layout) {
    WindowProc procedure = nullptr;
    {
        Shell& s = headless::State();
        std::lock_guard<std::recursive_mutex> guard(s.lock);
        s.lastLayout = layout;
        s.lastTitle = layout.title ? layout.title : "";
        s.lastWindow = 0;
        if (s.failWindow || s.procedure == nullptr) return 0;
        procedure = s.procedure;
    }
    ScreenRect rect = layout.bounds;
    ScreenRect parentRect;
    if (layout.parent != 0 && WindowRect(layout.parent, parentRect)) {
        rect.left += parentRect.left;
        rect.right += parentRect.left;
        rect.top += parentRect.top;
        rect.bottom += parentRect.top;
    }
    WindowHandle window = headless::AddWindow(layout.parent, rect, layout.title, procedure);
    // As on the real desktop: a creation that answers -1 is destroyed at once.
    if (headless::DeliverMessage(window, WM_CREATE, 0, 0) == -1) {
        headless::DestroyWindow(window);
        return 0;
    }
    Shell& s = headless::State();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    s.lastWindow = window;
    return window;
}

WindowHandle FindRunningSaver() {
    return headless::ReadLocked(headless::State(), &Shell::runningSaver);
}

int RunMessageLoop() {
    for (;;) {
        headless::PostedMessage posted;
        if (headless::TakePostedMessage(posted)) {
            if (posted.message == WM_QUIT) return static_cast<int>(posted.w);
            if (posted.window != 0)
                headless::DeliverMessage(posted.window, posted.message, posted.w, posted.l);
            continue;
        }
        headless::InputStep step;
        if (!headless::TakeInputStep(step)) return headless::ScriptExhaustedExitCode;
        headless::RunInputStep(step);
    }
}

ScreenRect ScreenClipBox() { return headless::ReadLocked(headless::State(), &Shell::clipBox); }

std::uint32_t RegisterNamedMessage(const char* name) {
    Shell& s = headless::State();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    std::string key = headless::Folded(name ? name : "");
    auto found = s.namedMessages.find(key);
    if (found != s.namedMessages.end()) return found->second;
    MessageId id = headless::FirstNamedMessage + static_cast<MessageId>(s.namedMessages.size());
    s.namedMessages[key] = id;
    return id;
}

void SetScreenSaverRunning(bool running) {
    Shell& s = headless::State();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    s.runningCalls.push_back(running);
}

int RunModalDialog(int templateId, WindowHandle owner, DialogProc procedure) {
    std::deque<headless::DialogStep> script;
    {
        Shell& s = headless::State();
        std::lock_guard<std::recursive_mutex> guard(s.lock);
        s.dialogTemplate = templateId;
        s.dialogOwner = owner;
        ++s.dialogRuns;
        if (s.failDialog || procedure == nullptr) return -1;
        script.swap(s.dialogScript);
    }
    // The foreground returns to where it was once the dialog is gone.
    WindowHandle foreground = ForegroundWindow();
    WindowHandle dialog = headless::AddWindow(0, ScreenRect{0, 0, 372, 296}, "Vorlix v1.20",
                                              nullptr);
    headless::WriteLocked(headless::State(), &Shell::dialog, dialog);
    procedure(dialog, WM_INITDIALOG, 0, 0);
    int result = -1;
    headless::DialogStep step;
    while (!headless::DialogEnded(dialog, result) && headless::TakeFront(script, step))
        headless::ApplyDialogStep(dialog, procedure, step);
    if (!headless::DialogEnded(dialog, result)) result = -1;
    headless::DestroyWindow(dialog);
    headless::SetForegroundWindow(foreground);
    return result;
}

LibraryHandle LoadNamedLibrary(const char* name) {
    Shell& s = headless::State();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    headless::Library* library = headless::FindLibrary(s, name ? name : "");
    if (library == nullptr) return 0;
    ++library->loads;
    ++library->openLoads;
    return library->handle;
}

LibraryHandle LoadedModule(const char* name) {
    Shell& s = headless::State();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    headless::Library* library = headless::FindLibrary(s, name ? name : "");
    return library && library->preloaded ? library->handle : 0;
}

void* LibraryFunction(LibraryHandle handle, const char* name) {
    Shell& s = headless::State();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    headless::Library* library = headless::FindLibrary(s, handle);
    if (library == nullptr || name == nullptr) return nullptr;
    auto found = library->functions.find(name);
    return found == library->functions.end() ? nullptr : found->second;
}

void FreeNamedLibrary(LibraryHandle handle) {
    Shell& s = headless::State();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    headless::Library* library = headless::FindLibrary(s, handle);
    if (library != nullptr && library->openLoads > 0) --library->openLoads;
}

}  // namespace vorlix::platform
