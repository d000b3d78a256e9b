#pragma once
// The headless registry: keys and values in memory, every call recorded, any call able to fail.
// Key paths and value names compare without regard to case, as on Windows.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace vorlix::headless {

struct StoredValue {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> bytes;
};

enum class RegistryCall { Create, Open, Query, Set, Close, Commit };

void ResetRegistry();

void AddRegistryKey(platform::RegistryRoot root, const std::string& path);
void DeleteRegistryKey(platform::RegistryRoot root, const std::string& path);
bool RegistryKeyExists(platform::RegistryRoot root, const std::string& path);
void StoreValue(platform::RegistryRoot root, const std::string& path, const std::string& name,
                std::uint32_t type, const std::vector<std::uint8_t>& bytes);
// The text's characters, no terminator (REG_SZ).
void StoreText(platform::RegistryRoot root, const std::string& path, const std::string& name,
               const std::string& text);
void StoreNumber(platform::RegistryRoot root, const std::string& path, const std::string& name,
                 std::uint32_t value);  // REG_DWORD, little-endian
bool FindValue(platform::RegistryRoot root, const std::string& path, const std::string& name,
               StoredValue& value);
std::vector<std::string> ValueNames(platform::RegistryRoot root, const std::string& path);

// Makes calls of one kind fail: every such call, or only those on the named value.
void FailRegistryCall(RegistryCall call, const std::string& valueName = "");
void ClearRegistryFaults();
// The store reads as one that exists but cannot be read, for this reason; empty: it reads.
void MakeStoreUnreadable(const std::string& why);

int OpenRegistryKeys();                     // keys opened and not yet closed
int RegistryCallCount(RegistryCall call);   // calls made, failed ones included
std::vector<std::string> RegistryWrites();  // names of the values set, in order
// Values set in a batch reach the store only when it is committed, as with the settings file.

}  // namespace vorlix::headless
