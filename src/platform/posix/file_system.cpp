#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "platform/posix/file_faults.h"

namespace vorlix::platform {

namespace {
constexpr mode_t NewFileMode = 0644;
std::atomic<int> failingWriteOpens{0};
std::atomic<int> replacementsUntilCrash{0};
std::atomic<bool> stallingWrites{false};
std::atomic<int> stalledWrites{0};
constexpr useconds_t StallLookUs = 1000;

bool TakeWriteOpenFault() {
    int pending = failingWriteOpens.load();
    while (pending > 0) {
        if (failingWriteOpens.compare_exchange_weak(pending, pending - 1)) return true;
    }
    return false;
}

void WaitWhileStalled() {
    if (!stallingWrites.load()) return;
    stalledWrites.fetch_add(1);
    while (stallingWrites.load()) ::usleep(StallLookUs);
    stalledWrites.fetch_sub(1);
}

// Opens path only when it is a regular file. O_NONBLOCK keeps the open itself from waiting
// for the other end of a FIFO; once the file is known to be regular the flag is dropped again,
// and every read or write of a regular file ends on its own. Anything else (a FIFO, a
// directory, a device) is refused before a byte is read, as if it were missing.
int OpenRegular(const char* path, int flags, mode_t mode) {
    int descriptor = ::open(path, flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, mode);
    if (descriptor < 0) return -1;
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) ||
        ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(descriptor);
        errno = EINVAL;
        return -1;
    }
    return descriptor;
}
}  // namespace

bool CreateEmptyFile(const char* path) {
    int descriptor = OpenRegular(path, O_WRONLY | O_CREAT, NewFileMode);
    if (descriptor < 0) return false;
    // Truncated only once it is known to be a plain file.
    bool emptied = ::ftruncate(descriptor, 0) == 0;
    ::close(descriptor);
    return emptied;
}

int OpenForReading(const char* path) { return OpenRegular(path, O_RDONLY, 0); }

int OpenForWriting(const char* path) {
    if (TakeWriteOpenFault()) return -1;
    return OpenRegular(path, O_WRONLY | O_CREAT, NewFileMode);
}

// The hold is an advisory lock on the open file, which the system drops when the holder ends,
// however it ends.
int OpenForWritingAlone(const char* path, bool& busy) {
    busy = false;
    int descriptor = OpenRegular(path, O_WRONLY | O_CREAT, NewFileMode);
    if (descriptor < 0) return -1;
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        busy = errno == EWOULDBLOCK;
        ::close(descriptor);
        return -1;
    }
    bool emptied = ::ftruncate(descriptor, 0) == 0;
    if (!emptied || TakeWriteOpenFault()) {
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

std::int64_t ReadDescriptor(int descriptor, void* buffer, std::uint32_t count) {
    ssize_t got;
    do {
        got = ::read(descriptor, buffer, count);
    } while (got < 0 && errno == EINTR);
    return got;
}

std::int64_t WriteDescriptor(int descriptor, const void* data, std::uint32_t count) {
    WaitWhileStalled();
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

void CrashAtReplacement(int count) {
    platform::replacementsUntilCrash.store(count > 0 ? count : 0);
}

void ReplacementPoint() {
    if (platform::replacementsUntilCrash.load() > 0 && --platform::replacementsUntilCrash == 0)
        ::_exit(CrashExitCode);
}

void StallWrites(bool on) {
    platform::stallingWrites.store(on);
}

int StalledWrites() {
    return platform::stalledWrites.load();
}

}  // namespace vorlix::posix
