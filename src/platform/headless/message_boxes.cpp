#include "platform/headless/message_boxes.h"

#include <deque>
#include <mutex>

#include "platform/desktop.h"
#include "platform/headless/locked_record.h"
#include "platform/headless/take_front.h"
#include "platform/window_messages.h"

namespace vorlix::headless {

namespace {

struct MessageBoxValues {
    std::vector<MessageBoxRecord> record;
    std::deque<int> queued;
    int answer = IDOK;
};
using MessageBoxes = LockedRecord<MessageBoxValues>;

MessageBoxes& State() {
    static MessageBoxes state;
    return state;
}

}  // namespace

void SetMessageBoxAnswer(int answer) { WriteLocked(State(), &MessageBoxes::answer, answer); }

void QueueMessageBoxAnswer(int answer) {
    MessageBoxes& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    state.queued.push_back(answer);
}

std::vector<MessageBoxRecord> RecordedMessageBoxes() {
    return ReadLocked(State(), &MessageBoxes::record);
}

void ResetMessageBoxes() { State().Reset(); }

}  // namespace vorlix::headless

namespace vorlix::platform {

int ShowMessageBox(WindowHandle owner, const char* text, const char* caption, std::uint32_t style) {
    auto& state = headless::State();
    std::lock_guard<std::mutex> guard(state.lock);
    state.record.push_back({owner, text ? text : "", caption ? caption : "", style});
    int answer = state.answer;
    headless::TakeFront(state.queued, answer);
    return answer;
}

}  // namespace vorlix::platform
