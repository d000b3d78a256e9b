#pragma once
// Descriptor-level file access for the binary file stream.
#include <cstdint>

namespace vorlix::platform {

// Creates the file, or truncates an existing plain file to zero length, and closes it again
// (CreateFileA with CREATE_ALWAYS, then CloseHandle, on Windows).
bool CreateEmptyFile(const char* path);

// Binary mode, no newline translation. Open returns a descriptor, or -1. Only plain files on
// disk are opened: a FIFO, a directory or a device is refused without waiting on it.
int OpenForReading(const char* path);
int OpenForWriting(const char* path);  // creates a missing file, never truncates
// Opens path for writing by this process alone, for as long as the descriptor stays open: a
// missing file is created, an existing one emptied. When another running program holds it
// this way, the file is left untouched and the answer is -1 with busy set.
int OpenForWritingAlone(const char* path, bool& busy);
// Read and write return the number of bytes moved, or -1 on error.
std::int64_t ReadDescriptor(int descriptor, void* buffer, std::uint32_t count);
std::int64_t WriteDescriptor(int descriptor, const void* data, std::uint32_t count);
enum class SeekOrigin { Start, Current, End };
std::int64_t SeekDescriptor(int descriptor, std::int64_t offset, SeekOrigin origin);  // -1 on error
void CloseDescriptor(int descriptor);

}  // namespace vorlix::platform
