#include "platform/headless/dialog_controls.h"

#include <cstdint>
#include <map>
#include <mutex>

#include "platform/headless/locked_record.h"
#include "settings/dialog_number.h"

namespace vorlix::headless {

namespace {

struct Control {
    bool checked = false;
    std::string text;
};

using ControlKey = std::pair<WindowHandle, int>;

struct ControlValues {
    std::map<ControlKey, Control> controls;
    std::map<WindowHandle, int> results;
};
using Controls = LockedRecord<ControlValues>;

Controls& State() {
    static Controls controls;
    return controls;
}

}  // namespace

void ResetDialogControls() { State().Reset(); }

void SetControlText(WindowHandle dialog, int id, const std::string& text) {
    Controls& c = State();
    std::lock_guard<std::mutex> guard(c.lock);
    c.controls[{dialog, id}].text = text;
}

std::string ControlText(WindowHandle dialog, int id) {
    Controls& c = State();
    std::lock_guard<std::mutex> guard(c.lock);
    return c.controls[{dialog, id}].text;
}

void SetControlChecked(WindowHandle dialog, int id, bool checked) {
    Controls& c = State();
    std::lock_guard<std::mutex> guard(c.lock);
    c.controls[{dialog, id}].checked = checked;
}

bool ControlChecked(WindowHandle dialog, int id) {
    Controls& c = State();
    std::lock_guard<std::mutex> guard(c.lock);
    return c.controls[{dialog, id}].checked;
}

void ClickRadioButton(WindowHandle dialog, int id, int first, int last) {
    Controls& c = State();
    std::lock_guard<std::mutex> guard(c.lock);
    for (int other = first; other <= last; ++other) c.controls[{dialog, other}].checked = false;
    c.controls[{dialog, id}].checked = true;
}

bool DialogEnded(WindowHandle dialog, int& result) {
    Controls& c = State();
    std::lock_guard<std::mutex> guard(c.lock);
    auto found = c.results.find(dialog);
    if (found == c.results.end()) return false;
    result = found->second;
    return true;
}

}  // namespace vorlix::headless

namespace vorlix::platform {

void CheckDialogButton(WindowHandle dialog, int id, bool checked) {
    headless::SetControlChecked(dialog, id, checked);
}

bool IsDialogButtonChecked(WindowHandle dialog, int id) {
    return headless::ControlChecked(dialog, id);
}

void SetDialogNumber(WindowHandle dialog, int id, std::uint32_t value) {
    headless::SetControlText(dialog, id, std::to_string(value));
}

std::uint32_t DialogNumber(WindowHandle dialog, int id) {
    return ParseDialogNumber(headless::ControlText(dialog, id).c_str());
}

void EndDialogWith(WindowHandle dialog, int result) {
    headless::Controls& c = headless::State();
    std::lock_guard<std::mutex> guard(c.lock);
    c.results[dialog] = result;
}

}  // namespace vorlix::platform
