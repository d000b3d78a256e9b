#include "platform/headless/registry.h"

#include <cstring>
#include <map>
#include <mutex>
#include <set>

#include "platform/headless/folded_names.h"
#include "platform/headless/locked_record.h"

namespace vorlix::headless {

namespace {

using platform::RegistryKey;
using platform::RegistryRoot;

using KeyName = std::pair<RegistryRoot, std::string>;
using ValueMap = std::map<std::string, StoredValue>;

// Bytes a failed query leaves behind: the real call leaves the buffer undefined.
constexpr std::uint8_t UndefinedByte = 0xCD;
constexpr RegistryKey FirstKey = 0x100;

struct StoreValues {
    std::map<KeyName, ValueMap> keys;
    std::map<RegistryKey, KeyName> open;
    RegistryKey nextKey = FirstKey;
    std::set<std::pair<RegistryCall, std::string>> faults;
    std::map<RegistryCall, int> counts;
    std::vector<std::string> writes;
    std::string unreadable;  // the reason UnreadableStoreReason gives, when not empty
    std::map<RegistryKey, std::vector<std::pair<std::string, StoredValue>>> batches;
};
using Store = LockedRecord<StoreValues>;

Store& State() {
    static Store store;
    return store;
}

KeyName NameOf(RegistryRoot root, const std::string& path) { return {root, Folded(path)}; }

bool Faulty(Store& s, RegistryCall call, const char* valueName) {
    ++s.counts[call];
    if (s.faults.count({call, ""})) return true;
    return valueName != nullptr && s.faults.count({call, Folded(valueName)}) != 0;
}

ValueMap* OpenValues(Store& s, RegistryKey key) {
    auto handle = s.open.find(key);
    if (handle == s.open.end()) return nullptr;
    auto values = s.keys.find(handle->second);
    return values == s.keys.end() ? nullptr : &values->second;
}

RegistryKey OpenHandle(Store& s, const KeyName& name) {
    RegistryKey key = s.nextKey++;
    s.open[key] = name;
    return key;
}

}  // namespace

void ResetRegistry() { State().Reset(); }

void MakeStoreUnreadable(const std::string& why) { WriteLocked(State(), &Store::unreadable, why); }

void AddRegistryKey(RegistryRoot root, const std::string& path) {
    Store& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    s.keys[NameOf(root, path)];
}

void DeleteRegistryKey(RegistryRoot root, const std::string& path) {
    Store& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    s.keys.erase(NameOf(root, path));
}

bool RegistryKeyExists(RegistryRoot root, const std::string& path) {
    Store& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    return s.keys.count(NameOf(root, path)) != 0;
}

void StoreValue(RegistryRoot root, const std::string& path, const std::string& name,
                std::uint32_t type, const std::vector<std::uint8_t>& bytes) {
    Store& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    s.keys[NameOf(root, path)][Folded(name)] = StoredValue{type, bytes};
}

void StoreText(RegistryRoot root, const std::string& path, const std::string& name,
               const std::string& text) {
    StoreValue(root, path, name, 1, std::vector<std::uint8_t>(text.begin(), text.end()));
}

void StoreNumber(RegistryRoot root, const std::string& path, const std::string& name,
                 std::uint32_t value) {
    std::vector<std::uint8_t> bytes = {
        static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
        static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    StoreValue(root, path, name, 4, bytes);
}

bool FindValue(RegistryRoot root, const std::string& path, const std::string& name,
               StoredValue& value) {
    Store& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    auto key = s.keys.find(NameOf(root, path));
    if (key == s.keys.end()) return false;
    auto found = key->second.find(Folded(name));
    if (found == key->second.end()) return false;
    value = found->second;
    return true;
}

std::vector<std::string> ValueNames(RegistryRoot root, const std::string& path) {
    Store& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    std::vector<std::string> names;
    auto key = s.keys.find(NameOf(root, path));
    if (key == s.keys.end()) return names;
    for (const auto& [name, value] : key->second) names.push_back(name);
    return names;
}

void FailRegistryCall(RegistryCall call, const std::string& valueName) {
    Store& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    s.faults.insert({call, Folded(valueName)});
}

void ClearRegistryFaults() {
    Store& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    s.faults.clear();
}

int OpenRegistryKeys() {
    Store& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    return static_cast<int>(s.open.size());
}

int RegistryCallCount(RegistryCall call) {
    Store& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    return s.counts[call];
}

std::vector<std::string> RegistryWrites() { return ReadLocked(State(), &Store::writes); }

}  // namespace vorlix::headless

namespace vorlix::platform {

using headless::RegistryCall;

bool CreateRegistryKey(RegistryRoot root, const char* path, RegistryKey& key, bool& created) {
    headless::Store& s = headless::State();
    std::lock_guard<std::mutex> guard(s.lock);
    if (headless::Faulty(s, RegistryCall::Create, nullptr)) return false;
    headless::KeyName name = headless::NameOf(root, path);
    created = s.keys.count(name) == 0;
    s.keys[name];
    key = headless::OpenHandle(s, name);
    return true;
}

bool OpenRegistryKey(RegistryRoot root, const char* path, bool, RegistryKey& key) {
    headless::Store& s = headless::State();
    std::lock_guard<std::mutex> guard(s.lock);
    if (headless::Faulty(s, RegistryCall::Open, nullptr)) return false;
    headless::KeyName name = headless::NameOf(root, path);
    if (s.keys.count(name) == 0) return false;
    key = headless::OpenHandle(s, name);
    return true;
}

bool QueryRegistryValue(RegistryKey key, const char* name, void* buffer, std::uint32_t& size) {
    headless::Store& s = headless::State();
    std::lock_guard<std::mutex> guard(s.lock);
    std::memset(buffer, headless::UndefinedByte, size);
    if (headless::Faulty(s, RegistryCall::Query, name)) return false;
    headless::ValueMap* values = headless::OpenValues(s, key);
    if (values == nullptr) return false;
    auto found = values->find(headless::Folded(name));
    if (found == values->end()) return false;
    const std::vector<std::uint8_t>& bytes = found->second.bytes;
    if (bytes.size() > size) return false;
    if (!bytes.empty()) std::memcpy(buffer, bytes.data(), bytes.size());
    size = static_cast<std::uint32_t>(bytes.size());
    return true;
}

bool SetRegistryValue(RegistryKey key, const char* name, std::uint32_t type, const void* data,
                      std::uint32_t size) {
    headless::Store& s = headless::State();
    std::lock_guard<std::mutex> guard(s.lock);
    if (headless::Faulty(s, RegistryCall::Set, name)) return false;
    headless::ValueMap* values = headless::OpenValues(s, key);
    if (values == nullptr) return false;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    headless::StoredValue value{type, std::vector<std::uint8_t>(bytes, bytes + size)};
    s.writes.push_back(name);
    auto batch = s.batches.find(key);
    if (batch != s.batches.end()) {
        batch->second.emplace_back(headless::Folded(name), value);
        return true;
    }
    (*values)[headless::Folded(name)] = value;
    return true;
}

void CloseRegistryKey(RegistryKey key) {
    headless::Store& s = headless::State();
    std::lock_guard<std::mutex> guard(s.lock);
    ++s.counts[RegistryCall::Close];
    s.open.erase(key);
    s.batches.erase(key);
}

void BeginRegistryBatch(RegistryKey key) {
    headless::Store& s = headless::State();
    std::lock_guard<std::mutex> guard(s.lock);
    if (s.open.count(key) != 0) s.batches[key].clear();
}

bool CommitRegistryBatch(RegistryKey key) {
    headless::Store& s = headless::State();
    std::lock_guard<std::mutex> guard(s.lock);
    auto batch = s.batches.find(key);
    if (batch == s.batches.end()) return true;
    std::vector<std::pair<std::string, headless::StoredValue>> values = batch->second;
    s.batches.erase(batch);
    if (headless::Faulty(s, RegistryCall::Commit, nullptr)) return false;
    headless::ValueMap* stored = headless::OpenValues(s, key);
    if (stored == nullptr) return false;
    for (const auto& [name, value] : values) (*stored)[name] = value;
    return true;
}

const char* UnreadableStoreReason(RegistryKey) {
    headless::Store& s = headless::State();
    std::lock_guard<std::mutex> guard(s.lock);
    return s.unreadable.empty() ? nullptr : s.unreadable.c_str();
}

}  // namespace vorlix::platform
