#pragma once
// The fakes hand out scripted answers, input steps and posted messages oldest first.
#include <deque>
#include <utility>

namespace vorlix::headless {

// Moves the oldest entry into entry; false, with entry untouched, when there is none.
template <class Entry>
bool TakeFront(std::deque<Entry>& queue, Entry& entry) {
    if (queue.empty()) return false;
    entry = std::move(queue.front());
    queue.pop_front();
    return true;
}

}  // namespace vorlix::headless
