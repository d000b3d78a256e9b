#include "platform/registry.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "platform/sdl/settings_file.h"

namespace vorlix::platform {

namespace {

constexpr char FileName[] = "settings.reg";

// An open key: a snapshot of the whole file, and the key within it. Writes replace the file.
struct OpenKey {
    std::string filePath;
    sdl::SettingsDocument document;
    std::string keyPath;
    std::string unreadable;  // why the file that is there could not be read; never written
    bool damaged = false;    // read but not ours: kept aside before the first write
};

bool SettingsPath(std::string& path) {
    char directory[1024];
    if (sdl::ConfigDirectory(directory, sizeof directory) == 0) return false;
    path = std::string(directory) + "/" + FileName;
    return true;
}

// A missing, empty or damaged file reads as an empty registry: the settings then start from
// their defaults, and the first write replaces the file with a clean one (a damaged one is
// kept beside it first). A file that is there but cannot be read reads as empty too, and is
// never written over.
bool LoadDocument(OpenKey& key) {
    if (!SettingsPath(key.filePath)) return false;
    std::string text;
    std::string why;
    sdl::SettingsFileRead read = sdl::ReadSettingsFileChecked(key.filePath, text, why);
    if (read == sdl::SettingsFileRead::Unreadable)
        key.unreadable = "The settings file " + key.filePath + " " + why + ".";
    if (read == sdl::SettingsFileRead::Read &&
        !sdl::ParseSettingsDocument(text, key.document)) {
        key.damaged = true;
    }
    if (read != sdl::SettingsFileRead::Read || key.damaged) key.document.keys.clear();
    return true;
}

// The damaged file goes to settings.reg.bad, so nothing of it is lost to the clean one.
bool SetDamagedFileAside(OpenKey& key) {
    if (!key.damaged) return true;
    std::string aside = key.filePath + ".bad";
    if (std::rename(key.filePath.c_str(), aside.c_str()) != 0) return false;
    key.damaged = false;
    return true;
}

// Only the machine-wide settings live here. The per-user desktop key that holds the Windows
// password flag has no counterpart on Linux, so opening it fails as a missing key does.
bool FullPath(RegistryRoot root, const char* path, std::string& full) {
    if (root != RegistryRoot::LocalMachine || path == nullptr) return false;
    full = std::string("HKEY_LOCAL_MACHINE\\") + path;
    return full.size() <= sdl::MaxNameLength;
}

OpenKey* FromHandle(RegistryKey key) { return reinterpret_cast<OpenKey*>(key); }

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
    if (!SetDamagedFileAside(*open)) return false;
    sdl::SettingsDocument updated = open->document;
    if (!sdl::PutValue(*sdl::FindKey(updated, open->keyPath), name, type, data, size))
        return false;
    if (!sdl::ReplaceSettingsFile(open->filePath, sdl::FormatSettingsDocument(updated)))
        return false;
    open->document = updated;
    return true;
}

void CloseRegistryKey(RegistryKey key) { delete FromHandle(key); }

const char* UnreadableStoreReason(RegistryKey key) {
    OpenKey* open = FromHandle(key);
    if (open == nullptr || open->unreadable.empty()) return nullptr;
    return open->unreadable.c_str();
}

}  // namespace vorlix::platform
