#include "masking/RawLines.h"

#include "format/PaymentFileReader.h"

#include <algorithm>

namespace tallivo {

namespace {

constexpr std::size_t kReadSize = 64 * 1024;
constexpr char kCtrlZ = '\x1a';

} // namespace

RawLineReader::RawLineReader(ReadFunction read) : m_read(std::move(read)), m_buffer(kReadSize) {}

int RawLineReader::Peek()
{
    if (m_pos == m_end) {
        if (m_inputDone)
            return -1;
        m_pos = 0;
        m_end = m_read(m_buffer.data(), m_buffer.size());
        if (m_end == 0) {
            m_inputDone = true;
            return -1;
        }
    }
    return static_cast<unsigned char>(m_buffer[m_pos]);
}

bool RawLineReader::AtEnd()
{
    const int next = m_ctrlZ ? -1 : Peek();
    return next < 0 || next == kCtrlZ;
}

std::uint64_t RawLineReader::CountBytesAfterCtrlZ()
{
    if (Peek() != kCtrlZ)
        return 0;
    std::uint64_t count = m_end - m_pos - 1;
    m_pos = m_end;
    while (Peek() >= 0) {
        count += m_end - m_pos;
        m_pos = m_end;
    }
    return count;
}

bool RawLineReader::Next(RawLine& line)
{
    if (m_ctrlZ)
        return false;
    const int first = Peek();
    if (first < 0)
        return false;
    if (first == kCtrlZ) {
        m_ctrlZ = true;
        return false;
    }
    m_line.clear();
    std::uint64_t length = 0;
    line.ending = {};
    for (;;) {
        if (Peek() < 0)
            break;
        // The rest of the buffer up to a carriage return or a Ctrl-Z.
        const char* from = m_buffer.data() + m_pos;
        const char* to = m_buffer.data() + m_end;
        const char* stop = std::find_if(from, to, [](char c) { return c == '\r' || c == kCtrlZ; });
        const auto piece = static_cast<std::size_t>(stop - from);
        if (m_line.size() < PaymentFileReader::kHeldBytes)
            m_line.append(from, std::min(piece, PaymentFileReader::kHeldBytes - m_line.size()));
        length += piece;
        m_pos += piece;
        if (stop == to)
            continue;
        if (*stop == kCtrlZ) {
            m_ctrlZ = true; // the Ctrl-Z ends the line and the file
            break;
        }
        ++m_pos; // the carriage return
        line.ending = "\r";
        if (Peek() == '\n') {
            ++m_pos;
            line.ending = "\r\n";
        }
        break;
    }
    line.text = m_line;
    line.length = length;
    return true;
}

} // namespace tallivo
