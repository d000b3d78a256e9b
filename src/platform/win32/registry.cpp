#include "platform/registry.h"

#include <windows.h>

namespace vorlix::platform {

namespace {
HKEY RootKey(RegistryRoot root) {
    return root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}
HKEY ToHkey(RegistryKey key) {
    return reinterpret_cast<HKEY>(key);
}
RegistryKey FromHkey(HKEY key) {
    return reinterpret_cast<RegistryKey>(key);
}
char EmptyClass[] = "";
}  // namespace

bool CreateRegistryKey(RegistryRoot root, const char* path, RegistryKey& key, bool& created) {
    HKEY opened = nullptr;
    DWORD disposition = 0;
    LONG result = RegCreateKeyExA(RootKey(root), path, 0, EmptyClass, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, &opened, &disposition);
    if (result != ERROR_SUCCESS) return false;
    key = FromHkey(opened);
    created = disposition == REG_CREATED_NEW_KEY;
    return true;
}

bool OpenRegistryKey(RegistryRoot root, const char* path, bool forWriting, RegistryKey& key) {
    HKEY opened = nullptr;
    LONG result = forWriting ? RegOpenKeyExA(RootKey(root), path, 0, KEY_SET_VALUE, &opened)
                             : RegOpenKeyA(RootKey(root), path, &opened);
    if (result != ERROR_SUCCESS) return false;
    key = FromHkey(opened);
    return true;
}

bool QueryRegistryValue(RegistryKey key, const char* name, void* buffer, std::uint32_t& size) {
    DWORD bytes = size;
    LONG result =
        RegQueryValueExA(ToHkey(key), name, nullptr, nullptr, static_cast<BYTE*>(buffer), &bytes);
    if (result != ERROR_SUCCESS) return false;
    size = bytes;
    return true;
}

bool SetRegistryValue(RegistryKey key, const char* name, std::uint32_t type, const void* data,
                      std::uint32_t size) {
    return RegSetValueExA(ToHkey(key), name, 0, type, static_cast<const BYTE*>(data), size) ==
           ERROR_SUCCESS;
}

void CloseRegistryKey(RegistryKey key) {
    RegCloseKey(ToHkey(key));
}

// Each value was written when it was set.
void BeginRegistryBatch(RegistryKey) {}
bool CommitRegistryBatch(RegistryKey) {
    return true;
}

// The registry either opens a key or not: there is no half-readable store.
const char* UnreadableStoreReason(RegistryKey) { return nullptr; }

}  // namespace vorlix::platform
