#include "format/PaymentFileReader.h"

#include "format/CreditLayout.h"
#include "format/RecordTypes.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace tallivo {

namespace {

// The Beneficiary Notification's one column, counted from 0.
constexpr std::size_t kNotificationIndex = Credit::BeneficiaryNotification.First() - 1;
static_assert(Credit::BeneficiaryNotification.Width() == 1);

} // namespace

bool NormaliseLine(char* line, std::size_t size)
{
    if (size <= kNotificationIndex || line[kNotificationIndex] != ' ' ||
        CodeOf(std::string_view(line, size)) != RecordCode::Credit)
        return false;
    line[kNotificationIndex] = 'N';
    return true;
}

std::optional<std::uint64_t> DebitRecordFrom(InputFile& file, std::uint64_t offset)
{
    // Read a little at a time: a debit record is usually near, and the cuts of a large
    // file are sought before its parts are read.
    constexpr std::size_t kWindow = 64 << 10;
    constexpr int kWindows = 64;
    const std::string_view code = RecordCode::Debit;
    ReadBuffer bytes(kWindow + code.size() + 1);
    for (int w = 0; w < kWindows; ++w, offset += kWindow) {
        const std::size_t got = file.ReadAt(bytes.data(), bytes.size(), offset);
        const std::string_view window(bytes.data(), got);
        for (std::size_t cr = window.find('\r'); cr != std::string_view::npos && cr < kWindow;
             cr = window.find('\r', cr + 1)) {
            std::size_t start = cr + 1;
            if (start < window.size() && window[start] == '\n')
                ++start;
            if (window.substr(start, code.size()) == code)
                return offset + start;
        }
        if (got < bytes.size())
            break;
    }
    return std::nullopt;
}

PaymentFileReader::PaymentFileReader(const std::string& path, LineForm form)
    : PaymentFileReader(std::make_unique<InputFile>(path), form)
{
}

PaymentFileReader::PaymentFileReader(std::unique_ptr<InputFile> file, LineForm form, std::size_t bufferSize)
    : m_file(std::move(file)), m_form(form), m_buffer(bufferSize)
{
}

bool PaymentFileReader::Fill()
{
    if (m_fileDone)
        return false;
    if (m_pos > 0) {
        if (m_keeper != nullptr) {
            // The lines handed out stay in the kept buffer; the unread rest moves on.
            ReadBuffer fresh = m_keeper->FreshBuffer();
            std::memcpy(fresh.data(), m_buffer.data() + m_pos, m_end - m_pos);
            m_keeper->Keep(std::exchange(m_buffer, std::move(fresh)));
        } else {
            std::memmove(m_buffer.data(), m_buffer.data() + m_pos, m_end - m_pos);
        }
        m_end -= m_pos;
        m_ctrlZSearched = m_ctrlZSearched > m_pos ? m_ctrlZSearched - m_pos : 0;
        if (m_ctrlZAt != kNone)
            m_ctrlZAt = m_ctrlZAt >= m_pos ? m_ctrlZAt - m_pos : kNone;
        m_pos = 0;
    }
    if (m_end == m_buffer.size())
        return false;
    const std::size_t n = m_file->ReadSome(m_buffer.data() + m_end, m_buffer.size() - m_end);
    if (n == 0) {
        m_fileDone = true;
        return false;
    }
    m_end += n;
    return true;
}

ReadBuffer PaymentFileReader::ReleaseBuffer()
{
    m_fileDone = true;
    m_pos = m_end = 0;
    return std::exchange(m_buffer, {});
}

bool PaymentFileReader::AtEnd()
{
    if (m_ctrlZ)
        return true;
    if (m_pos == m_end && !Fill())
        return true;
    if (m_skipLf) {
        m_skipLf = false;
        if (m_buffer[m_pos] == '\n') {
            ++m_pos;
            if (m_pos == m_end && !Fill())
                return true;
        }
    }
    if (m_buffer[m_pos] == '\x1a') {
        m_ctrlZ = true;
        return true;
    }
    return false;
}

// The line whose last piece is in the buffer: that piece alone, or for a line longer
// than the buffer the first bytes held of it, with its whole length.
void PaymentFileReader::Complete(PaymentLine& line, std::string_view piece, std::uint64_t skipped)
{
    line.length = skipped + piece.size();
    if (skipped == 0) {
        // The piece lies in the reader's own buffer.
        char* text = m_buffer.data() + (piece.data() - m_buffer.data());
        if (m_form == LineForm::Normalised)
            NormaliseLine(text, piece.size());
        line.text = {text, piece.size()};
        return;
    }
    if (m_longLine.size() < kHeldBytes)
        m_longLine.append(piece.substr(0, kHeldBytes - m_longLine.size()));
    if (m_form == LineForm::Normalised)
        NormaliseLine(m_longLine.data(), m_longLine.size());
    line.text = m_longLine;
}

// The first Ctrl-Z byte in [from, to) of the buffer, or null.
const char* PaymentFileReader::FindCtrlZ(std::size_t from, std::size_t to)
{
    if (m_ctrlZAt == kNone && m_ctrlZSearched < m_end) {
        const std::size_t start = std::max(m_ctrlZSearched, from);
        if (const void* z = std::memchr(m_buffer.data() + start, '\x1a', m_end - start))
            m_ctrlZAt = static_cast<std::size_t>(static_cast<const char*>(z) - m_buffer.data());
        m_ctrlZSearched = m_end;
    }
    if (m_ctrlZAt != kNone && m_ctrlZAt >= from && m_ctrlZAt < to)
        return m_buffer.data() + m_ctrlZAt;
    return nullptr;
}

bool PaymentFileReader::Next(PaymentLine& line)
{
    if (AtEnd())
        return false;
    ++m_lineNumber;

    std::uint64_t skipped = 0; // bytes of a long line already counted and dropped
    m_longLine.clear();
    std::size_t scanFrom = m_pos;
    for (;;) {
        const char* base = m_buffer.data();
        const std::size_t avail = m_end - scanFrom;
        const char* cr = static_cast<const char*>(std::memchr(base + scanFrom, '\r', avail));
        const std::size_t stop = cr ? static_cast<std::size_t>(cr - base) : m_end;
        const char* z = FindCtrlZ(scanFrom, stop);
        if (z || cr) {
            const std::size_t lineEnd = z ? static_cast<std::size_t>(z - base) : stop;
            const std::string_view piece(base + m_pos, lineEnd - m_pos);
            if (z) {
                m_ctrlZ = true;
                m_pos = lineEnd;
            } else {
                m_skipLf = true;
                m_pos = lineEnd + 1;
            }
            Complete(line, piece, skipped);
            return true;
        }
        // No line end in the buffer: read more, keeping the line's start.
        const std::size_t have = m_end - m_pos;
        if (m_pos + have == m_buffer.size() && m_pos == 0) {
            // The line fills the whole buffer: keep its first bytes, count the rest.
            if (m_longLine.size() < kHeldBytes)
                m_longLine.append(base, std::min(have, kHeldBytes - m_longLine.size()));
            skipped += have;
            m_pos = m_end = 0;
            m_ctrlZSearched = 0; // the whole buffer held no Ctrl-Z
            m_ctrlZAt = kNone;
            scanFrom = 0;
            if (!Fill())
                break;
            continue;
        }
        const std::size_t scanned = m_end - m_pos;
        if (!Fill())
            break;
        scanFrom = m_pos + scanned;
    }
    // End of file without a line end: the rest is the last line.
    const std::string_view piece(m_buffer.data() + m_pos, m_end - m_pos);
    m_pos = m_end;
    Complete(line, piece, skipped);
    return true;
}

} // namespace tallivo
