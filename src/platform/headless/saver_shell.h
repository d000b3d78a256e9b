#pragma once
// The headless saver shell: the saver window class and window, a message loop that replays a
// script of user input, the modal dialog run from a script of control changes, and fake
// run-time libraries (the Windows 95/98/Me password verifier, the password changer, the input
// method) whose answers a test sets.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/saver_shell.h"

namespace vorlix::headless {

// Forgets the class, scripts, libraries and records; the family becomes NT.
void ResetSaverShell();
void SetWin9xFamily(bool win9x);

// ----- The window -----
void FailClassRegistration(bool fail);
void FailWindowCreation(bool fail);  // CreateSaverWindow fails before WM_CREATE
void SetRunningSaver(WindowHandle window);  // what FindRunningSaver finds
void SetScreenClipBox(const ScreenRect& box);  // 0, 0, 1024, 768 unless set
int SaverClassRegistrations();
platform::SaverWindowLayout LastSaverWindowLayout();
std::string LastSaverWindowTitle();
WindowHandle LastSaverWindow();  // the last window CreateSaverWindow made, 0 when none

// ----- The message loop -----
// One step of user input. The action (if any) runs first; then, unless the message is
// WM_NULL, the message is delivered to the window (the last saver window when 0). A cursor
// point given is where the cursor is from then on.
struct InputStep {
    MessageId message = 0;
    WParam w = 0;
    LParam l = 0;
    WindowHandle window = 0;
    bool movesCursor = false;
    ScreenPoint cursor;
    std::function<void()> action;
};
void ScriptInput(const std::vector<InputStep>& steps);
// Posted messages go first, as on a real desktop; a scripted step is taken only when the
// queue is empty. The loop ends at the quit message with its code, or with this code when
// the script is used up and nothing is queued.
constexpr int ScriptExhaustedExitCode = -100;
int DeliveredScriptSteps();

// ----- Named messages and the running flag -----
MessageId NamedMessage(const std::string& name);  // 0 when never registered
std::vector<bool> ScreenSaverRunningCalls();

// ----- The modal dialog -----
struct DialogStep {
    enum Kind { Text, Check, Radio, Command } kind = Command;
    int id = 0;
    std::string text;      // Text: the edit's new text
    bool checked = false;  // Check: the new state
};
// The dialog gets WM_INITDIALOG, then the steps in order (Radio clicks id within 1000 ... 1005,
// Command sends WM_COMMAND with the id) until it ends. RunModalDialog returns -1 when the
// script runs out first.
void ScriptDialog(const std::vector<DialogStep>& steps);
void FailModalDialog(bool fail);  // RunModalDialog returns -1 without running the dialog
int LastDialogTemplate();
WindowHandle LastDialogOwner();
WindowHandle LastDialog();
int DialogRuns();

// ----- Libraries -----
// A library the process can load by name (case does not matter); preloaded ones are also
// found by LoadedModule. Functions are looked up by exact name.
void AddLibrary(const std::string& name, bool preloaded,
                const std::vector<std::pair<std::string, void*>>& functions);
int LoadedLibraries();  // loads not yet freed
int LibraryLoads(const std::string& name);

// Ready-made fakes. The verifier answers from the script, oldest first, then 0.
void ScriptPasswordAnswers(const std::vector<std::int32_t>& answers);
int PasswordChecks();
void* FakeVerifyScreenSavePwd();
// Records each call's provider and owner.
struct PasswordChangeCall {
    std::string provider;
    WindowHandle owner = 0;
};
std::vector<PasswordChangeCall> PasswordChanges();
void* FakePwdChangePasswordA();
// Answers the first call with FakeInputContext and later ones with 0; records each call.
constexpr std::uintptr_t FakeInputContext = 0x1CC;
struct ContextCall {
    WindowHandle window = 0;
    std::uintptr_t context = 0;
};
std::vector<ContextCall> ContextAssociations();
void* FakeImmAssociateContext();

// Adds "PASSWORD.CPL" with the fake verifier, and the desktop key's ScreenSaveUsePassword.
void InstallPasswordVerifier(bool passwordInUse);

}  // namespace vorlix::headless
