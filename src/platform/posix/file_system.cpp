#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace vorlix::platform {

namespace {
constexpr mode_t NewFileMode = 0644;
}

bool CreateEmptyFile(const char* path) {
    int descriptor = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, NewFileMode);
    if (descriptor < 0) return false;
    ::close(descriptor);
    return true;
}

int OpenForReading(const char* path) { return ::open(path, O_RDONLY | O_CLOEXEC); }

int OpenForWriting(const char* path) {
    return ::open(path, O_WRONLY | O_CREAT | O_CLOEXEC, NewFileMode);
}

std::int64_t ReadDescriptor(int descriptor, void* buffer, std::uint32_t count) {
    ssize_t got;
    do {
        got = ::read(descriptor, buffer, count);
    } while (got < 0 && errno == EINTR);
    return got;
}

std::int64_t WriteDescriptor(int descriptor, const void* data, std::uint32_t count) {
    ssize_t put;
    do {
        put = ::write(descriptor, data, count);
    } while (put < 0 && errno == EINTR);
    return put;
}

std::int64_t SeekDescriptor(int descriptor, std::int64_t offset, SeekOrigin origin) {
    int whence = origin == SeekOrigin::Start ? SEEK_SET
                 : origin == SeekOrigin::Current ? SEEK_CUR
                                                  : SEEK_END;
    return ::lseek(descriptor, offset, whence);
}

void CloseDescriptor(int descriptor) { ::close(descriptor); }

}  // namespace vorlix::platform
