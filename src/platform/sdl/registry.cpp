#include "platform/registry.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "platform/sdl/settings_file.h"

namespace vorlix::platform {

namespace {

constexpr char FileName[] = "settings.reg";

// An open key: a snapshot of the whole file, and the key within it. Each write, or each
// batch of writes, puts its own values into the file as it is at that moment.
struct OpenKey {
    std::string filePath;
    sdl::SettingsDocument document;
    std::string keyPath;
    std::string unreadable;  // why the file that is there could not be read; never written
    bool batching = false;
    sdl::StoredKey batch;  // the values set since the batch began
};

bool SettingsPath(std::string& path) {
    char directory[1024];
    if (sdl::ConfigDirectory(directory, sizeof directory) == 0) return false;
    path = std::string(directory) + "/" + FileName;
    return true;
}

// A missing, empty or damaged file reads as an empty registry: the settings then start from
// their defaults. A file that is there but cannot be read reads as empty too, and is never
// written over.
bool LoadDocument(OpenKey& key) {
    if (!SettingsPath(key.filePath)) return false;
    std::string text;
    std::string why;
    sdl::SettingsFileRead read = sdl::ReadSettingsFileChecked(key.filePath, text, why);
    if (read == sdl::SettingsFileRead::Unreadable)
        key.unreadable = "The settings file " + key.filePath + " " + why + ".";
    if (read != sdl::SettingsFileRead::Read || !sdl::ParseSettingsDocument(text, key.document))
        key.document.keys.clear();
    return true;
}

// The file as it is now, under the writers' lock: another instance may have written it since
// this key was opened. A damaged file goes to settings.reg.bad first, so nothing of it is
// lost to the clean one; one that cannot be read is never written over.
bool ReadCurrentDocument(const std::string& path, sdl::SettingsDocument& document) {
    document.keys.clear();
    std::string text;
    std::string why;
    switch (sdl::ReadSettingsFileChecked(path, text, why)) {
        case sdl::SettingsFileRead::Missing:
            return true;
        case sdl::SettingsFileRead::Unreadable:
            return false;
        case sdl::SettingsFileRead::Read:
            break;
    }
    if (sdl::ParseSettingsDocument(text, document)) return true;
    document.keys.clear();
    return sdl::SetSettingsFileAside(path);
}

bool SameValue(const sdl::StoredValue* a, const sdl::StoredValue* b) {
    if (a == nullptr || b == nullptr) return a == b;
    return a->type == b->type && a->data == b->data;
}

// Whether another writer changed the value since the key read the file.
bool ChangedSince(OpenKey& key, sdl::StoredKey& current, const std::string& name) {
    sdl::StoredKey* read = sdl::FindKey(key.document, key.keyPath);
    const sdl::StoredValue* then = read != nullptr ? sdl::FindValue(*read, name) : nullptr;
    return !SameValue(then, sdl::FindValue(current, name));
}

// Puts values into the key in the file as it is now and replaces the file, all under the lock
// that every writer takes, so two writers never undo each other's values. With yield, a value
// another writer changed since the key read the file stays theirs: a saver writing back a
// value it found missing must not undo the one the dialog saved meanwhile. A batch, a save
// the user asked for, is written whole.
bool WriteValues(OpenKey& key, const sdl::StoredKey& values, bool yield) {
    sdl::SettingsLock lock(key.filePath);
    if (!lock.Held()) return false;
    sdl::SettingsDocument current;
    if (!ReadCurrentDocument(key.filePath, current)) return false;
    sdl::StoredKey* stored = sdl::FindKey(current, key.keyPath);
    if (stored == nullptr) {
        if (current.keys.size() == sdl::MaxKeys) return false;
        current.keys.push_back(sdl::StoredKey{key.keyPath, {}});
        stored = &current.keys.back();
    }
    for (const sdl::StoredValue& value : values.values) {
        if (yield && ChangedSince(key, *stored, value.name)) continue;
        if (!sdl::PutValue(*stored, value.name, value.type, value.data.data(),
                           static_cast<std::uint32_t>(value.data.size())))
            return false;
    }
    if (!sdl::ReplaceSettingsFile(key.filePath, sdl::FormatSettingsDocument(current))) return false;
    key.document = current;
    return true;
}

// Only the machine-wide settings live here. The per-user desktop key that holds the Windows
// password flag has no counterpart on Linux, so opening it fails as a missing key does.
bool FullPath(RegistryRoot root, const char* path, std::string& full) {
    if (root != RegistryRoot::LocalMachine || path == nullptr) return false;
    full = std::string("HKEY_LOCAL_MACHINE\\") + path;
    return full.size() <= sdl::MaxNameLength;
}

OpenKey* FromHandle(RegistryKey key) {
    return reinterpret_cast<OpenKey*>(key);
}

}  // namespace

bool CreateRegistryKey(RegistryRoot root, const char* path, RegistryKey& key, bool& created) {
    std::string full;
    if (!FullPath(root, path, full)) return false;
    OpenKey* open = new (std::nothrow) OpenKey;
    if (open == nullptr) return false;
    if (!LoadDocument(*open)) {
        delete open;
        return false;
    }
    open->keyPath = full;
    created = sdl::FindKey(open->document, full) == nullptr;
    if (created) {
        if (open->document.keys.size() == sdl::MaxKeys) {
            delete open;
            return false;
        }
        open->document.keys.push_back(sdl::StoredKey{full, {}});
    }
    key = reinterpret_cast<RegistryKey>(open);
    return true;
}

bool OpenRegistryKey(RegistryRoot root, const char* path, bool, RegistryKey& key) {
    std::string full;
    if (!FullPath(root, path, full)) return false;
    OpenKey* open = new (std::nothrow) OpenKey;
    if (open == nullptr) return false;
    if (!LoadDocument(*open) || sdl::FindKey(open->document, full) == nullptr) {
        delete open;
        return false;
    }
    open->keyPath = full;
    key = reinterpret_cast<RegistryKey>(open);
    return true;
}

bool QueryRegistryValue(RegistryKey key, const char* name, void* buffer, std::uint32_t& size) {
    OpenKey* open = FromHandle(key);
    if (open == nullptr || name == nullptr) return false;
    sdl::StoredKey* stored = sdl::FindKey(open->document, open->keyPath);
    if (stored == nullptr) return false;
    sdl::StoredValue* value = sdl::FindValue(*stored, name);
    if (value == nullptr || value->data.size() > size) return false;
    if (!value->data.empty()) std::memcpy(buffer, value->data.data(), value->data.size());
    size = static_cast<std::uint32_t>(value->data.size());
    return true;
}

bool SetRegistryValue(RegistryKey key, const char* name, std::uint32_t type, const void* data,
                      std::uint32_t size) {
    OpenKey* open = FromHandle(key);
    if (open == nullptr || name == nullptr) return false;
    if (!open->unreadable.empty()) return false;
    sdl::StoredKey* stored = sdl::FindKey(open->document, open->keyPath);
    if (stored == nullptr) return false;
    if (open->batching) {
        // Kept in the snapshot too, so the key reads back what was set.
        return sdl::PutValue(open->batch, name, type, data, size) &&
               sdl::PutValue(*stored, name, type, data, size);
    }
    sdl::StoredKey single{open->keyPath, {}};
    return sdl::PutValue(single, name, type, data, size) && WriteValues(*open, single, true);
}

void CloseRegistryKey(RegistryKey key) {
    delete FromHandle(key);
}

void BeginRegistryBatch(RegistryKey key) {
    OpenKey* open = FromHandle(key);
    if (open == nullptr) return;
    open->batching = true;
    open->batch = sdl::StoredKey{open->keyPath, {}};
}

bool CommitRegistryBatch(RegistryKey key) {
    OpenKey* open = FromHandle(key);
    if (open == nullptr) return false;
    if (!open->batching) return true;
    open->batching = false;
    if (open->batch.values.empty()) return true;
    return WriteValues(*open, open->batch, false);
}

const char* UnreadableStoreReason(RegistryKey key) {
    OpenKey* open = FromHandle(key);
    if (open == nullptr || open->unreadable.empty()) return nullptr;
    return open->unreadable.c_str();
}

}  // namespace vorlix::platform
