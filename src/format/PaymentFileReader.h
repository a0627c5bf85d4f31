#pragma once
// Reads a payment file line by line as single-byte text, streaming:
// - a line ends at a carriage return; a line feed right after it belongs to the line end;
// - a line feed anywhere else is an ordinary character of the line;
// - a Ctrl-Z byte (0x1A) ends the file; nothing after it is read;
// - a last line without a line end is still a line; an empty line is a line of length 0.
// Memory does not grow with the file: a line longer than the reader's buffer is counted,
// and only its first kHeldBytes bytes are kept.
#include "common/InputFile.h"
#include "common/UnsetBytes.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tallivo {

// How the reader hands out lines: as the file holds them, or as the seal's normalisation
// writes them (a credit record's blank Beneficiary Notification reads as "N"), so that a
// command can read the normalised file before, or instead of, writing it.
enum class LineForm
{
    AsInFile,
    Normalised,
};

// Applies the normalisation rule to one whole line in place: a credit record's blank
// Beneficiary Notification becomes "N". True when it changed the line.
bool NormaliseLine(char* line, std::size_t size);

// The offset of the first line at or after the given offset that holds a debit record,
// looked for in the next few megabytes of the file; nothing when none is found there. A
// line ends at a carriage return and a line feed right after it, wherever it stands.
std::optional<std::uint64_t> DebitRecordFrom(InputFile& file, std::uint64_t offset);

struct PaymentLine
{
    std::string_view text; // the line's bytes (at most PaymentFileReader::kHeldBytes of a very long line)
    std::uint64_t length = 0; // the line's full length in bytes, without its line end
    bool Truncated() const { return length > text.size(); }
};

// Where a pass over the payment file takes its lines from: the file itself, or a read
// that other stages share (format/SharedRead.h).
class LineSource
{
public:
    virtual ~LineSource() = default;
    // Reads the next line; false at the end. The line's text stays valid until the next call.
    virtual bool Next(PaymentLine& line) = 0;
    // Number of the line read last (1 for the first line).
    virtual std::uint64_t LineNumber() const = 0;
};

// A reader's buffer: sized without being zeroed, the read fills it.
using ReadBuffer = UnsetBytes;

// Takes the buffers a reader has read on from, so that the lines it handed out of them
// stay where they are (a shared read hands those lines on to other threads). Called on
// the reader's thread, from within Next.
class BufferKeeper
{
public:
    virtual ~BufferKeeper() = default;
    // A buffer of PaymentFileReader::kBufferSize bytes for the reader to read on into.
    virtual ReadBuffer FreshBuffer() = 0;
    // The buffer read from until now: every line handed out before this Next lies in it,
    // but for the lines longer than the buffer (PaymentLine::Truncated), whose text the
    // reader holds apart and reuses.
    virtual void Keep(ReadBuffer buffer) = 0;
};

class PaymentFileReader final : public LineSource
{
public:
    static constexpr std::size_t kBufferSize = 1 << 20;
    static constexpr std::size_t kHeldBytes = 64 * 1024;

    // Opens the file; raises the file error when it cannot be opened.
    explicit PaymentFileReader(const std::string& path, LineForm form = LineForm::AsInFile);
    // Reads an open file (common/InputFile.h) from its start, into a buffer of the given
    // size (more than kHeldBytes).
    PaymentFileReader(std::unique_ptr<InputFile> file, LineForm form, std::size_t bufferSize = kBufferSize);
    PaymentFileReader(const PaymentFileReader&) = delete;
    PaymentFileReader& operator=(const PaymentFileReader&) = delete;

    // Reads the next line; false at the end of the file. The line's text stays valid
    // until the next call.
    bool Next(PaymentLine& line) override;
    // Number of the line read last (1 for the first line).
    std::uint64_t LineNumber() const override { return m_lineNumber; }
    // A Ctrl-Z byte ended the text before the end of the bytes read.
    bool EndedAtCtrlZ() const { return m_ctrlZ; }

    // From now on, the buffer is not reused once lines were handed out of it: it goes to
    // the keeper, and the reader reads on into a fresh one. The keeper must outlive the
    // reading.
    void KeepBuffersWith(BufferKeeper* keeper) { m_keeper = keeper; }
    // Once Next returned false: the buffer the last lines lie in. The reader reads no more.
    ReadBuffer ReleaseBuffer();

private:
    bool Fill(); // reads more bytes after m_end; false when the file has no more
    bool AtEnd();
    void Complete(PaymentLine& line, std::string_view piece, std::uint64_t skipped);
    const char* FindCtrlZ(std::size_t from, std::size_t to);

    std::unique_ptr<InputFile> m_file;
    LineForm m_form;
    ReadBuffer m_buffer;
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
    bool m_fileDone = false; // the operating system returned end of file
    bool m_ctrlZ = false; // a Ctrl-Z byte was met: the text file ends there
    bool m_skipLf = false; // the last line ended with a carriage return
    std::uint64_t m_lineNumber = 0;
    // The buffer is searched for a Ctrl-Z once, not line by line: up to m_ctrlZSearched
    // it holds none but the one at m_ctrlZAt (kNone when none was found).
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::size_t m_ctrlZSearched = 0;
    std::size_t m_ctrlZAt = kNone;
    std::string m_longLine; // first bytes of a line longer than the buffer
    BufferKeeper* m_keeper = nullptr;
};

} // namespace tallivo
