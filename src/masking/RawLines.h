#pragma once
// The lines of a payment file cut exactly as the payment file reader cuts them
// (format/PaymentFileReader.h), each with the bytes that end it, so that a copy can be
// written back line for line with the same line ends.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tallivo {

struct RawLine
{
    std::string_view text;    // the line's first bytes, as many as the reader holds of it
    std::uint64_t length = 0; // the line's full length, without its end
    std::string_view ending;  // "\r", "\r\n" or "" (the last line, or one a Ctrl-Z ends)
};

class RawLineReader
{
public:
    // Reads up to size bytes into data; 0 at the end of the input.
    using ReadFunction = std::function<std::size_t(char* data, std::size_t size)>;

    explicit RawLineReader(ReadFunction read);

    // The next line; false at the end of the input or at a Ctrl-Z that starts a line.
    // The line's text stays valid until the next call.
    bool Next(RawLine& line);
    // No line follows the one read last.
    bool AtEnd();
    // The input ended at a Ctrl-Z byte (nothing after it is part of the file).
    bool EndedAtCtrlZ() const { return m_ctrlZ; }
    // After the Ctrl-Z: reads the rest of the input and counts its bytes.
    std::uint64_t CountBytesAfterCtrlZ();

private:
    // The next byte without taking it; -1 at the end of the input.
    int Peek();

    ReadFunction m_read;
    std::vector<char> m_buffer;
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
    bool m_inputDone = false;
    bool m_ctrlZ = false;
    std::string m_line;
};

} // namespace tallivo
