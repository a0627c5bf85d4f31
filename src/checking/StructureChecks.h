#pragma once
#include "checking/CheckSession.h"
#include "checking/ExpressCheques.h"
#include "format/PaymentFileReader.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tallivo {

struct RecordType;

// What one read of the payment file tells the structure checks and the express cheque
// limit, so the file is read once for all three; each check then lists its own findings
// when its turn comes.
struct StructureScan
{
    std::vector<std::uint64_t> unknownTypeLines; // lines without a known record type code
    std::vector<std::pair<const RecordType*, std::uint64_t>> wrongLengths; // type and line
    bool exceedsExpressChequeLimit = false;      // as ExceedsExpressChequeLimit tells
};

// The same scan line by line, for a read that serves other stages too.
class StructureScanner
{
public:
    void Add(const PaymentLine& line, std::uint64_t lineNumber);
    // The file is already known to be refused before its validation: a line failed a
    // structure check, or the express cheque limit is passed.
    bool Refusing() const { return m_refusing; }
    // What the scan found, once every line has been added.
    StructureScan Take();
    // Takes on the scan of the lines after those added here (numbered from 1 there, the
    // first a debit record), linesBefore of them added here.
    void Append(StructureScanner&& later, std::uint64_t linesBefore);

private:
    StructureScan m_scan;
    ExpressChequeCount m_express;
    bool m_refusing = false;
};

// The lines of a source, each shown to a structure scanner first. They end once the
// scanner refuses the file (a refused file is not validated); Drain shows it the rest.
class ScannedLines final : public LineSource
{
public:
    ScannedLines(LineSource& lines, StructureScanner& scanner) : m_lines(lines), m_scanner(scanner) {}
    bool Next(PaymentLine& line) override
    {
        if (!m_lines.Next(line))
            return false;
        m_scanner.Add(line, m_lines.LineNumber());
        return !m_scanner.Refusing();
    }
    std::uint64_t LineNumber() const override { return m_lines.LineNumber(); }
    void Drain()
    {
        PaymentLine line;
        while (m_lines.Next(line))
            m_scanner.Add(line, m_lines.LineNumber());
    }

private:
    LineSource& m_lines;
    StructureScanner& m_scanner;
};

// Reads the file once; raises the file error when it cannot be read.
StructureScan ScanStructure(const std::string& path);

// Empties the grid and sets up the record type check's layout.
void BeginRecordTypeCheck(CheckSession& s);
// After BeginRecordTypeCheck: true when every line starts with a known record type code;
// lists the others.
bool EndRecordTypeCheck(CheckSession& s, const StructureScan& scan);
// True when every line with a known code has that code's length; lists the others.
bool CheckRecordLengths(CheckSession& s, const StructureScan& scan);

// The same checks, each reading the file itself.
bool CheckRecordTypes(CheckSession& s, const std::string& path);
bool CheckRecordLengths(CheckSession& s, const std::string& path);

} // namespace tallivo
