#pragma once
// The Linux registry: one text file in the registry editor's format, holding each key's path
// and, per value, its name, type and bytes exactly as written:
//
//   REGEDIT4
//
//   [HKEY_LOCAL_MACHINE\Software\Korvanth\Vorlix]
//   "Resolution"=hex(1):31,30,32,34,78,37,36,38
//   "Density"=hex(4):2c,01,00,00
#include <cstdint>
#include <string>
#include <vector>

namespace vorlix::sdl {

constexpr std::size_t MaxSettingsFileBytes = 64 * 1024;
constexpr std::size_t MaxKeys = 16;
constexpr std::size_t MaxValuesPerKey = 64;
constexpr std::size_t MaxValueBytes = 1024;
constexpr std::size_t MaxNameLength = 255;

struct StoredValue {
    std::string name;
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
};

struct StoredKey {
    std::string path;  // with the root, e.g. HKEY_LOCAL_MACHINE\Software\Korvanth\Vorlix
    std::vector<StoredValue> values;
};

struct SettingsDocument {
    std::vector<StoredKey> keys;
};

// False when text is not a document this program would have written.
bool ParseSettingsDocument(const std::string& text, SettingsDocument& document);
std::string FormatSettingsDocument(const SettingsDocument& document);

StoredKey* FindKey(SettingsDocument& document, const std::string& path);
StoredValue* FindValue(StoredKey& key, const std::string& name);
// Replaces or adds; false when a fixed capacity would be exceeded.
bool PutValue(StoredKey& key, const std::string& name, std::uint32_t type, const void* data,
              std::uint32_t size);

// $XDG_CONFIG_HOME/vorlix (or ~/.config/vorlix), created when missing; 0 on failure.
std::uint32_t ConfigDirectory(char* buffer, std::uint32_t size);
// The whole file; false when it is missing or unreadable.
bool ReadSettingsFile(const std::string& path, std::string& text);

enum class SettingsFileRead { Missing, Read, Unreadable };
// The whole file, refusing anything that is not a regular file before opening it, so a FIFO
// or a device can never hold the program up. Unreadable: why says so in words, as in
// "is not a regular file" or "cannot be read (Input/output error)".
SettingsFileRead ReadSettingsFileChecked(const std::string& path, std::string& text,
                                         std::string& why);
// The file path names once symbolic links are followed (a dotfiles setup links it), or path
// itself when it is no link. A link to a missing file names that missing file.
std::string FollowLinks(const std::string& path);
// Writes a new file beside the one path names (links followed), flushes it to disk and renames
// it over that one, so a crash leaves the old file or the new one, never half of one, and a
// link stays a link. The new file is made afresh: nothing already at its name, a link
// included, is opened or followed.
bool ReplaceSettingsFile(const std::string& path, const std::string& text);
// Moves a file that is not ours (links followed) aside to its name with ".bad" added.
bool SetSettingsFileAside(const std::string& path);

// The advisory lock every writer of the settings file holds, from reading the file as it is
// to replacing it, on a lock file beside path. Waits a bounded time for another holder.
class SettingsLock {
  public:
    explicit SettingsLock(const std::string& path);
    ~SettingsLock();
    SettingsLock(const SettingsLock&) = delete;
    SettingsLock& operator=(const SettingsLock&) = delete;
    bool Held() const { return descriptor_ >= 0; }

  private:
    int descriptor_ = -1;
};

}  // namespace vorlix::sdl
