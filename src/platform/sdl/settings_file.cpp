#include "platform/sdl/settings_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/posix/file_faults.h"

namespace vorlix::sdl {

namespace {

constexpr char Header[] = "REGEDIT4";
constexpr int MaxLinksFollowed = 40;  // as the kernel's own limit
constexpr int TemporaryNameTries = 100;
constexpr int LockTries = 300;
constexpr useconds_t LockRetryUs = 10000;  // so at most 3 seconds for another writer

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return c - 'A' + 10;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// "name" with \" and \\ escapes; advances at past the closing quote.
bool ParseQuotedName(const std::string& line, std::size_t& at, std::string& name) {
    if (at >= line.size() || line[at] != '"') return false;
    for (++at; at < line.size(); ++at) {
        char c = line[at];
        if (c == '"') {
            ++at;
            return name.size() <= MaxNameLength;
        }
        if (static_cast<unsigned char>(c) < 0x20) return false;
        if (c == '\\') {
            if (++at >= line.size()) return false;
            c = line[at];
            if (c != '"' && c != '\\') return false;
        }
        name.push_back(c);
    }
    return false;
}

// "name"=hex(type):b0,b1,...
bool ParseValueLine(const std::string& line, StoredValue& value) {
    std::size_t at = 0;
    if (!ParseQuotedName(line, at, value.name)) return false;
    const char prefix[] = "=hex(";
    if (line.compare(at, sizeof prefix - 1, prefix) != 0) return false;
    at += sizeof prefix - 1;
    std::uint64_t type = 0;
    std::size_t digits = 0;
    for (; at < line.size() && IsHexDigit(line[at]) && digits < 8; ++at, ++digits)
        type = type * 16 + static_cast<std::uint64_t>(HexValue(line[at]));
    if (digits == 0 || line.compare(at, 2, "):") != 0) return false;
    value.type = static_cast<std::uint32_t>(type);
    at += 2;
    while (at < line.size()) {
        if (at + 2 > line.size() || !IsHexDigit(line[at]) || !IsHexDigit(line[at + 1]))
            return false;
        if (value.data.size() == MaxValueBytes) return false;
        value.data.push_back(static_cast<std::uint8_t>(HexValue(line[at]) * 16 +
                                                       HexValue(line[at + 1])));
        at += 2;
        if (at == line.size()) break;
        if (line[at] != ',' || at + 1 == line.size()) return false;
        ++at;
    }
    return true;
}

bool ParseKeyLine(const std::string& line, std::string& path) {
    if (line.size() < 3 || line.front() != '[' || line.back() != ']') return false;
    path = line.substr(1, line.size() - 2);
    if (path.size() > MaxNameLength) return false;
    for (char c : path)
        if (static_cast<unsigned char>(c) < 0x20 || c == '[' || c == ']') return false;
    return true;
}

std::string QuotedName(const std::string& name) {
    std::string quoted = "\"";
    for (char c : name) {
        if (c == '"' || c == '\\') quoted.push_back('\\');
        quoted.push_back(c);
    }
    quoted.push_back('"');
    return quoted;
}

bool WriteAll(int descriptor, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t put = ::write(descriptor, text.data() + done, text.size() - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        done += static_cast<std::size_t>(put);
    }
    return true;
}

std::string DirectoryOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

void SyncDirectoryOf(const std::string& path) {
    std::string directory = DirectoryOf(path);
    int descriptor = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) return;
    ::fsync(descriptor);
    ::close(descriptor);
}

// O_EXCL: a file, or a link planted at the name, is never opened; the next name is tried.
int CreateTemporaryBeside(const std::string& target, std::string& temporary) {
    std::string stem = target + ".new." + std::to_string(::getpid());
    for (int attempt = 0; attempt < TemporaryNameTries; ++attempt) {
        temporary = attempt == 0 ? stem : stem + "." + std::to_string(attempt);
        int descriptor =
            ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (descriptor >= 0 || errno != EEXIST) return descriptor;
    }
    return -1;
}

}  // namespace

bool ParseSettingsDocument(const std::string& text, SettingsDocument& document) {
    document.keys.clear();
    if (text.size() > MaxSettingsFileBytes || text.find('\0') != std::string::npos) return false;
    std::vector<std::string> lines = SplitLines(text);
    if (lines.empty() || lines[0] != Header) return false;
    StoredKey* current = nullptr;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.empty()) continue;
        if (line[0] == '[') {
            std::string path;
            if (!ParseKeyLine(line, path) || FindKey(document, path) != nullptr) return false;
            if (document.keys.size() == MaxKeys) return false;
            document.keys.push_back(StoredKey{path, {}});
            current = &document.keys.back();
            continue;
        }
        StoredValue value;
        if (current == nullptr || !ParseValueLine(line, value)) return false;
        if (FindValue(*current, value.name) != nullptr) return false;
        if (current->values.size() == MaxValuesPerKey) return false;
        current->values.push_back(value);
    }
    return true;
}

std::string FormatSettingsDocument(const SettingsDocument& document) {
    std::string text = std::string(Header) + "\n";
    for (const StoredKey& key : document.keys) {
        text += "\n[" + key.path + "]\n";
        for (const StoredValue& value : key.values) {
            char type[16];
            std::snprintf(type, sizeof type, "=hex(%x):", value.type);
            text += QuotedName(value.name) + type;
            for (std::size_t i = 0; i < value.data.size(); ++i) {
                char byte[4];
                std::snprintf(byte, sizeof byte, i == 0 ? "%02x" : ",%02x", value.data[i]);
                text += byte;
            }
            text += "\n";
        }
    }
    return text;
}

StoredKey* FindKey(SettingsDocument& document, const std::string& path) {
    for (StoredKey& key : document.keys)
        if (key.path == path) return &key;
    return nullptr;
}

StoredValue* FindValue(StoredKey& key, const std::string& name) {
    for (StoredValue& value : key.values)
        if (value.name == name) return &value;
    return nullptr;
}

bool PutValue(StoredKey& key, const std::string& name, std::uint32_t type, const void* data,
              std::uint32_t size) {
    if (name.size() > MaxNameLength || size > MaxValueBytes) return false;
    if (size > 0 && data == nullptr) return false;
    for (char c : name)
        if (static_cast<unsigned char>(c) < 0x20) return false;
    StoredValue* value = FindValue(key, name);
    if (value == nullptr) {
        if (key.values.size() == MaxValuesPerKey) return false;
        key.values.push_back(StoredValue{name, 0, {}});
        value = &key.values.back();
    }
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    value->type = type;
    value->data.assign(bytes, bytes + size);
    return true;
}

bool ReadSettingsFile(const std::string& path, std::string& text) {
    text.clear();
    int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) return false;
    char buffer[4096];
    bool ok = true;
    for (;;) {
        ssize_t got = ::read(descriptor, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) ok = false;
        if (got <= 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
        // Anything this large is not ours; stop reading and let parsing refuse it.
        if (text.size() > MaxSettingsFileBytes) break;
    }
    ::close(descriptor);
    return ok;
}

SettingsFileRead ReadSettingsFileChecked(const std::string& path, std::string& text,
                                         std::string& why) {
    text.clear();
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT) return SettingsFileRead::Missing;
        why = std::string("cannot be examined (") + std::strerror(errno) + ")";
        return SettingsFileRead::Unreadable;
    }
    if (!S_ISREG(info.st_mode)) {
        why = "is not a regular file";
        return SettingsFileRead::Unreadable;
    }
    int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (descriptor < 0) {
        why = std::string("cannot be opened (") + std::strerror(errno) + ")";
        return SettingsFileRead::Unreadable;
    }
    // It may have been swapped for something else since it was looked at.
    if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(descriptor);
        why = "is not a regular file";
        return SettingsFileRead::Unreadable;
    }
    char buffer[4096];
    for (;;) {
        ssize_t got = ::read(descriptor, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            why = std::string("cannot be read (") + std::strerror(errno) + ")";
            ::close(descriptor);
            text.clear();
            return SettingsFileRead::Unreadable;
        }
        if (got == 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
        // Anything this large is not ours; stop reading and let parsing refuse it.
        if (text.size() > MaxSettingsFileBytes) break;
    }
    ::close(descriptor);
    return SettingsFileRead::Read;
}

std::string FollowLinks(const std::string& path) {
    std::string current = path;
    for (int followed = 0; followed < MaxLinksFollowed; ++followed) {
        char target[4096];
        ssize_t length = ::readlink(current.c_str(), target, sizeof target - 1);
        if (length < 0) return current;  // no link (or nothing there): this is the file
        std::string next(target, static_cast<std::size_t>(length));
        current = next[0] == '/' ? next : DirectoryOf(current) + "/" + next;
    }
    return current;
}

bool ReplaceSettingsFile(const std::string& path, const std::string& text) {
    // Reading refuses a larger file, and every setting in it would be lost.
    if (text.size() > MaxSettingsFileBytes) return false;
    std::string target = FollowLinks(path);
    std::string temporary;
    int descriptor = CreateTemporaryBeside(target, temporary);
    if (descriptor < 0) return false;
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        ::fchmod(descriptor, old.st_mode & 07777);
    bool ok = WriteAll(descriptor, text) && ::fsync(descriptor) == 0;
    ok = ::close(descriptor) == 0 && ok;
    if (ok) {
        posix::ReplacementPoint();
        ok = ::rename(temporary.c_str(), target.c_str()) == 0;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    SyncDirectoryOf(target);
    return true;
}

bool SetSettingsFileAside(const std::string& path) {
    std::string target = FollowLinks(path);
    return ::rename(target.c_str(), (target + ".bad").c_str()) == 0;
}

SettingsLock::SettingsLock(const std::string& path) {
    std::string name = path + ".lock";
    int descriptor = ::open(name.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (descriptor < 0) return;
    for (int attempt = 0; attempt < LockTries; ++attempt) {
        if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0) {
            descriptor_ = descriptor;
            return;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) break;
        ::usleep(LockRetryUs);
    }
    ::close(descriptor);
}

SettingsLock::~SettingsLock() {
    if (descriptor_ >= 0) ::close(descriptor_);
}

}  // namespace vorlix::sdl
