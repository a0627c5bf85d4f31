#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace tallivo {

// Writes every byte to the open file, resuming after interruptions and short writes;
// raises the file error of the first failed write, naming path when one is given.
void WriteAll(int fd, const char* data, std::size_t size, const std::string& path = {});
// Writes every byte at offset, resuming likewise; false, with errno telling why, when a
// write fails.
bool WriteAllAt(int fd, const char* data, std::size_t size, std::uint64_t offset) noexcept;

// Starts writing what was written to the range of the file (length 0: to its end) to
// disk, without waiting for it: a later fsync then waits only for what is left. Any fd
// of the file will do. Failures are left to that fsync to report.
void StartWritingToDisk(int fd, std::uint64_t offset = 0, std::uint64_t length = 0) noexcept;

// Lets the file's cached pages go: for a file read for the last time before it is
// replaced, whose pages would otherwise be dropped, at a cost, when its last descriptor
// closes. Any fd of the file will do.
void DropCachedPages(int fd) noexcept;

} // namespace tallivo
