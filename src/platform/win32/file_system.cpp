#include "platform/file_system.h"

#include <windows.h>
// After windows.h, which they need.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cstdio>

namespace vorlix::platform {

bool CreateEmptyFile(const char* path) {
    HANDLE file =
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

namespace {

// A device or a pipe opened under a file's name is closed again: only files on disk are read.
int KeepDiskFile(int descriptor) {
    if (descriptor < 0) return -1;
    auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
    if (handle != INVALID_HANDLE_VALUE && GetFileType(handle) == FILE_TYPE_DISK) return descriptor;
    _close(descriptor);
    return -1;
}

}  // namespace

int OpenForReading(const char* path) {
    return KeepDiskFile(_open(path, _O_RDONLY | _O_BINARY));
}

int OpenForWriting(const char* path) {
    return KeepDiskFile(_open(path, _O_WRONLY | _O_CREAT | _O_BINARY, _S_IREAD | _S_IWRITE));
}

// Shared for reading only: a second writer meets a sharing violation until the first one
// closes the file or ends.
int OpenForWritingAlone(const char* path, bool& busy) {
    busy = false;
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        busy = GetLastError() == ERROR_SHARING_VIOLATION;
        return -1;
    }
    if (GetFileType(file) != FILE_TYPE_DISK || !SetEndOfFile(file)) {
        CloseHandle(file);
        return -1;
    }
    int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_WRONLY | _O_BINARY);
    if (descriptor < 0) CloseHandle(file);
    return descriptor;
}

std::int64_t ReadDescriptor(int descriptor, void* buffer, std::uint32_t count) {
    return _read(descriptor, buffer, count);
}

std::int64_t WriteDescriptor(int descriptor, const void* data, std::uint32_t count) {
    return _write(descriptor, data, count);
}

std::int64_t SeekDescriptor(int descriptor, std::int64_t offset, SeekOrigin origin) {
    int whence = origin == SeekOrigin::Start     ? SEEK_SET
                 : origin == SeekOrigin::Current ? SEEK_CUR
                                                 : SEEK_END;
    return _lseeki64(descriptor, offset, whence);
}

void CloseDescriptor(int descriptor) {
    _close(descriptor);
}

}  // namespace vorlix::platform
