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

int OpenForReading(const char* path) {
    return _open(path, _O_RDONLY | _O_BINARY);
}

int OpenForWriting(const char* path) {
    return _open(path, _O_WRONLY | _O_CREAT | _O_BINARY, _S_IREAD | _S_IWRITE);
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
