#pragma once
// A file stream opened once, for reading or writing, in binary mode; every operation answers
// with a result code and nothing throws. The end of a file is not an error.
#include <cstdint>

#include "support/string.h"

namespace vorlix {

struct FileMode {
    static constexpr std::uint32_t Closed = 0;
    static constexpr std::uint32_t Read = 1;
    static constexpr std::uint32_t Write = 2;
};

// Asks for a Write stream that no other running program holds at the same time.
struct WriteAlone {};

using FileResult = std::int32_t;
constexpr FileResult FileOk = 0;
constexpr FileResult FileWriteOnReadStream = 1;
constexpr FileResult FileReadOnWriteStream = 2;
constexpr FileResult FileClosedOrError = 3;

class BinaryFile {
  public:
    BinaryFile(const char* path, std::uint32_t mode);
    BinaryFile(const String& path, std::uint32_t mode);
    BinaryFile(const String& path, WriteAlone);
    ~BinaryFile();
    BinaryFile(const BinaryFile&) = delete;
    BinaryFile& operator=(const BinaryFile&) = delete;

    FileResult Status() const;
    FileResult Read(void* buffer, std::uint32_t count);
    FileResult Write(const void* data, std::uint32_t count);
    std::int32_t SeekFromStart(std::int32_t offset);
    std::int32_t SeekFromCurrent(std::int32_t offset);
    std::int32_t SeekFromEnd(std::int32_t offset);
    int Close();

    std::uint32_t Mode() const { return mode_; }
    // A WriteAlone stream that stayed closed because another running program holds the file.
    bool HeldElsewhere() const { return heldElsewhere_; }

  private:
    std::int32_t Seek(std::int32_t offset, int origin);

    std::uint32_t mode_ = FileMode::Closed;
    std::int32_t handle_ = -1;
    bool heldElsewhere_ = false;
};

}  // namespace vorlix
