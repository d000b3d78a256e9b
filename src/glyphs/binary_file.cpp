#include "glyphs/binary_file.h"

#include <cstdint>
#include <limits>

#include "platform/file_system.h"

namespace vorlix {

BinaryFile::BinaryFile(const char* path, std::uint32_t mode) : mode_(mode) {
    if (path == nullptr) mode_ = FileMode::Closed;
    switch (mode_) {
        case FileMode::Read:
            handle_ = platform::OpenForReading(path);
            break;
        case FileMode::Write:
            // Truncated first, so an existing file is emptied even when the open below fails.
            platform::CreateEmptyFile(path);
            handle_ = platform::OpenForWriting(path);
            break;
        default:
            mode_ = FileMode::Closed;
            return;
    }
    if (handle_ < 0) mode_ = FileMode::Closed;
}

BinaryFile::BinaryFile(const String& path, std::uint32_t mode) : BinaryFile(path.Text(), mode) {}

BinaryFile::BinaryFile(const String& path, WriteAlone) : mode_(FileMode::Write) {
    handle_ = platform::OpenForWritingAlone(path.Text(), heldElsewhere_);
    if (handle_ < 0) mode_ = FileMode::Closed;
}

BinaryFile::~BinaryFile() {
    Close();
}

FileResult BinaryFile::Status() const {
    return mode_ == FileMode::Closed ? FileClosedOrError : FileOk;
}

FileResult BinaryFile::Read(void* buffer, std::uint32_t count) {
    if (mode_ == FileMode::Closed) return FileClosedOrError;
    if (mode_ == FileMode::Write) return FileReadOnWriteStream;
    if (count == 0) return FileOk;
    if (buffer == nullptr) return FileClosedOrError;
    // Fewer bytes than asked, or none, at the end of the file is still a success.
    if (platform::ReadDescriptor(handle_, buffer, count) < 0) return FileClosedOrError;
    return FileOk;
}

FileResult BinaryFile::Write(const void* data, std::uint32_t count) {
    if (mode_ == FileMode::Closed) return FileClosedOrError;
    if (mode_ == FileMode::Read) return FileWriteOnReadStream;
    if (count == 0) return FileOk;
    if (data == nullptr) return FileClosedOrError;
    // A short write is carried on from where it stopped, so a full disk shows up as an error
    // instead of a success with bytes missing.
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (count > 0) {
        std::int64_t put = platform::WriteDescriptor(handle_, bytes, count);
        if (put <= 0) return FileClosedOrError;
        bytes += put;
        count -= static_cast<std::uint32_t>(put);
    }
    return FileOk;
}

std::int32_t BinaryFile::SeekFromStart(std::int32_t offset) {
    return Seek(offset, static_cast<int>(platform::SeekOrigin::Start));
}

std::int32_t BinaryFile::SeekFromCurrent(std::int32_t offset) {
    return Seek(offset, static_cast<int>(platform::SeekOrigin::Current));
}

std::int32_t BinaryFile::SeekFromEnd(std::int32_t offset) {
    return Seek(offset, static_cast<int>(platform::SeekOrigin::End));
}

int BinaryFile::Close() {
    if (mode_ != FileMode::Closed) platform::CloseDescriptor(handle_);
    mode_ = FileMode::Closed;
    handle_ = -1;
    return 0;
}

std::int32_t BinaryFile::Seek(std::int32_t offset, int origin) {
    if (mode_ == FileMode::Closed) return -1;
    std::int64_t position =
        platform::SeekDescriptor(handle_, offset, static_cast<platform::SeekOrigin>(origin));
    // A position past what the result can carry is reported as a failure, not wrapped.
    if (position < 0 || position > std::numeric_limits<std::int32_t>::max()) return -1;
    return static_cast<std::int32_t>(position);
}

}  // namespace vorlix
