#pragma once
// Each fake keeps its state in one process-wide record whose member `lock` guards the rest.
// Most of what tests set and read is one field of it, taken or replaced under that lock; a
// test's reset puts every field back at once.
#include <mutex>
#include <utility>

namespace vorlix::headless {

// A fake's values with the lock that guards them; a reset gives back the values a fresh
// process starts with, so a field added later cannot be forgotten there.
template <class Values, class Mutex = std::mutex>
struct LockedRecord : Values {
    Mutex lock;

    void Reset() {
        std::lock_guard guard(lock);
        static_cast<Values&>(*this) = Values{};
    }
};

template <class Record, class Owner, class Field>
Field ReadLocked(Record& record, Field Owner::*field) {
    std::lock_guard guard(record.lock);
    return record.*field;
}

template <class Record, class Owner, class Field, class Value>
void WriteLocked(Record& record, Field Owner::*field, Value&& value) {
    std::lock_guard guard(record.lock);
    record.*field = std::forward<Value>(value);
}

}  // namespace vorlix::headless
