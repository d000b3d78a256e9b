#pragma once
// The settings' key-value store: the registry on Windows, a file elsewhere.
#include <cstdint>

namespace vorlix::platform {

enum class RegistryRoot { LocalMachine, CurrentUser };
using RegistryKey = std::uintptr_t;

// Opens the key, creating it when missing; created tells which happened (RegCreateKeyExA).
bool CreateRegistryKey(RegistryRoot root, const char* path, RegistryKey& key, bool& created);
// Opens an existing key (RegOpenKeyExA, or RegOpenKeyA for reading).
bool OpenRegistryKey(RegistryRoot root, const char* path, bool forWriting, RegistryKey& key);
// size is the buffer's capacity on entry and the value's byte count on success. Fails when
// the value is missing or does not fit; the buffer's content is then undefined.
bool QueryRegistryValue(RegistryKey key, const char* name, void* buffer, std::uint32_t& size);
bool SetRegistryValue(RegistryKey key, const char* name, std::uint32_t type, const void* data,
                      std::uint32_t size);
void CloseRegistryKey(RegistryKey key);
// Values set on key between these two calls reach the store as one change when the batch is
// committed, and not at all when the key is closed first. A store that writes each value
// the moment it is set (the Windows registry) has nothing to gather: there, a batch changes
// nothing and its commit succeeds.
void BeginRegistryBatch(RegistryKey key);
bool CommitRegistryBatch(RegistryKey key);
// Why the store behind an open key exists but could not be read, in words for the user; null
// when it was read (or is new). Such a store must never be written over.
const char* UnreadableStoreReason(RegistryKey key);

}  // namespace vorlix::platform
