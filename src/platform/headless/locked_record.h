#pragma once
// Each fake keeps its state in one process-wide record whose member `lock` guards the rest.
// Most of what tests set and read is one field of it, taken or replaced under that lock.
#include <mutex>
#include <utility>

namespace vorlix::headless {

template <class Record, class Field>
Field ReadLocked(Record& record, Field Record::*field) {
    std::lock_guard guard(record.lock);
    return record.*field;
}

template <class Record, class Field, class Value>
void WriteLocked(Record& record, Field Record::*field, Value&& value) {
    std::lock_guard guard(record.lock);
    record.*field = std::forward<Value>(value);
}

}  // namespace vorlix::headless
