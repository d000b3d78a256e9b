#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "platform/posix/file_faults.h"

namespace vorlix::platform {

namespace {
constexpr mode_t NewFileMode = 0644;
std::atomic<int> failingWriteOpens{0};

bool TakeWriteOpenFault() {
    int pending = failingWriteOpens.load();
    while (pending > 0) {
        if (failingWriteOpens.compare_exchange_weak(pending, pending - 1)) return true;
    }
    return false;
}
}  // namespace

bool CreateEmptyFile(const char* path) {
    int descriptor = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, NewFileMode);
    if (descriptor < 0) return false;
    ::close(descriptor);
    return true;
}

int OpenForReading(const char* path) { return ::open(path, O_RDONLY | O_CLOEXEC); }

int OpenForWriting(const char* path) {
    if (TakeWriteOpenFault()) return -1;
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

namespace vorlix::posix {

void FailOpensForWriting(int count) { platform::failingWriteOpens.store(count > 0 ? count : 0); }

}  // namespace vorlix::posix
