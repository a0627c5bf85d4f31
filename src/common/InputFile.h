#pragma once
// A file opened read-only as raw bytes, read sequentially in blocks. Read errors raise
// the run-time's file error. Each sequential read reports the share of the file read so
// far to the running command's progress (common/CommandProgress.h), and is a safe point.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tallivo {

class InputFile
{
public:
    // Opens the file; raises the file error when it cannot be opened or is a folder.
    explicit InputFile(const std::string& path);
    // Opens the file, or gives nothing when it cannot be opened.
    static std::unique_ptr<InputFile> TryOpen(const std::string& path);
    // Reads the file that an open descriptor leads to (a held file), from its start, through
    // a descriptor of its own and positioned reads: the caller's descriptor is left as it was.
    static std::unique_ptr<InputFile> OfDescriptor(int fd);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // The descriptor it reads through (for OfDescriptor: another read of the same file).
    int Descriptor() const { return m_fd; }
    // The file's size when it was opened (0 when not known).
    std::uint64_t Size() const { return m_size; }
    // Reads until the area is full or the file ends; returns the number of bytes read.
    std::size_t Read(char* data, std::size_t size);
    // One read: at least one byte unless the file has ended (returns 0 then).
    std::size_t ReadSome(char* data, std::size_t size);
    // Reads until the area is full or the file ends, from the given offset, leaving
    // the sequential position alone.
    std::size_t ReadAt(char* data, std::size_t size, std::uint64_t offset);
    // For a file of OfDescriptor: the sequential reads cover the bytes [from, to) only,
    // as if the file held those alone.
    void ReadOnlyPart(std::uint64_t from, std::uint64_t to);

private:
    InputFile() = default;
    void NoteSize();

    int m_fd = -1;
    bool m_positioned = false; // sequential reads are positioned reads at m_read
    std::uint64_t m_size = 0;  // at opening
    std::uint64_t m_read = 0;  // by the sequential reads
    std::uint64_t m_end = UINT64_MAX; // where the sequential reads end
};

} // namespace tallivo
