#pragma once
// The deflated bytes of one zip entry, made on a second thread while the caller still
// produces the entry's data, and kept in an unnamed temporary file (gone with the
// process, whatever ends it) in a folder the caller names. The entry may start with a
// few bytes known only once the rest is known (line 1 of a sealed output): they go in
// front of the deflated rest as a stored block, so the rest needs no second pass.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace tallivo {

class DeflatedEntry
{
public:
    // Opens the temporary file in folder; raises the file error when it cannot.
    explicit DeflatedEntry(const std::string& folder);
    // Stops the thread; what was deflated is dropped.
    ~DeflatedEntry();
    DeflatedEntry(const DeflatedEntry&) = delete;
    DeflatedEntry& operator=(const DeflatedEntry&) = delete;

    // The next bytes of the entry's data after its head, copied: the caller may reuse
    // them at once. Raises an error the thread met (the file error of the temporary file).
    void Add(const char* data, std::size_t size);
    // The same, taking the bytes in block without a copy; block is left empty, to be
    // filled again (with the room of a buffer the thread is done with, when there is one).
    void Add(std::string& block);
    // Ends the data; head is what the entry holds before every byte added (at most
    // 65535 bytes). Waits for the thread and raises an error it met.
    void Finish(std::string_view head);

    // After Finish: what the zip entry records.
    std::uint32_t Crc32() const;
    std::uint64_t Size() const;
    std::uint64_t CompressedSize() const;
    // After Finish: reads the deflated bytes from offset; returns how many were read (0
    // at the end), or -1 with errno set.
    long long ReadCompressed(std::uint64_t offset, char* out, std::size_t size) const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace tallivo
