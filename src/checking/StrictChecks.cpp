#include "checking/StrictChecks.h"

#include "checking/CheckSession.h"
#include "common/InputFile.h"
#include "format/PaymentFileReader.h"
#include "format/RecordTypes.h"

#include <cstring>
#include <vector>

namespace tallivo {

namespace {

// Where a Ctrl-Z byte ends the file: its line (1 + the carriage returns before it,
// as the reader counts lines) and the number of bytes after it; nothing when the file
// has no Ctrl-Z or ends right after the first one.
struct CtrlZTail
{
    std::uint64_t line = 0;
    std::uint64_t bytesAfter = 0;
};

CtrlZTail FindCtrlZTail(const std::string& path)
{
    InputFile file(path);
    std::vector<char> buffer(1 << 16);
    CtrlZTail tail;
    std::uint64_t carriageReturns = 0;
    bool found = false;
    for (;;) {
        const std::size_t n = file.Read(buffer.data(), buffer.size());
        if (n == 0)
            break;
        if (found) {
            tail.bytesAfter += n;
            continue;
        }
        const char* data = buffer.data();
        const void* z = std::memchr(data, '\x1a', n);
        const std::size_t upTo = z ? static_cast<std::size_t>(static_cast<const char*>(z) - data) : n;
        for (std::size_t i = 0; i < upTo; ++i)
            carriageReturns += data[i] == '\r';
        if (z) {
            found = true;
            tail.line = carriageReturns + 1;
            tail.bytesAfter = n - upTo - 1;
        }
    }
    return found && tail.bytesAfter > 0 ? tail : CtrlZTail{};
}

} // namespace

std::vector<StrictFinding> FindStrictFindings(const std::string& path)
{
    std::vector<StrictFinding> findings;
    PaymentFileReader reader(path);
    PaymentLine line;
    std::uint64_t firstHeader = 0;
    std::uint64_t firstTrailer = 0;
    std::string lastCode;
    while (reader.Next(line)) {
        const std::uint64_t n = reader.LineNumber();
        const std::string code(CodeOf(line.text));
        if (n == 1 && code != RecordCode::Header)
            findings.push_back({code, n, "First record should be the header record 001"});
        if (code == RecordCode::Header) {
            if (firstHeader != 0)
                findings.push_back({code, n, "Header record 001 again: the file's header is line " +
                                                 std::to_string(firstHeader)});
            else
                firstHeader = n;
        } else if (code == RecordCode::Trailer) {
            if (firstTrailer != 0)
                findings.push_back({code, n, "Trailer record 999 again: the file's trailer is line " +
                                                 std::to_string(firstTrailer)});
            else
                firstTrailer = n;
        }
        lastCode = code;
    }
    const std::uint64_t lines = reader.LineNumber();
    if (lines == 0)
        findings.push_back({"", 0, "File has no records"});
    else if (lastCode != RecordCode::Trailer)
        findings.push_back({lastCode, lines, "Last record should be the trailer record 999"});

    const CtrlZTail tail = FindCtrlZTail(path);
    if (tail.bytesAfter > 0)
        findings.push_back({"", tail.line, "Ctrl-Z byte ends the file here: the " + std::to_string(tail.bytesAfter) +
                                               " bytes after it are not checked"});
    return findings;
}

bool StrictFindingsInGrid(const CheckSession& s)
{
    return !s.strictFindings.empty() && s.grid.Layout() == GridLayout::Errors;
}

void AddStrictFindings(CheckSession& s, const std::vector<StrictFinding>& findings)
{
    s.strictFindings = findings;
    if (findings.empty())
        return;
    s.ctx.dataValid = false;
    s.hasFindingsToSave = true;
    if (s.grid.Layout() == GridLayout::None)
        s.SetUpErrorLayout();
    if (s.grid.Layout() == GridLayout::Errors)
        for (const StrictFinding& f : findings)
            s.AddError(f.recordType, f.line == 0 ? std::string() : std::to_string(f.line), "", "", f.message);
    if (s.statusText.empty())
        s.statusText = "Invalid file structure";
}

} // namespace tallivo
