#include "checking/StructureChecks.h"

#include "checking/ExpressCheques.h"
#include "format/PaymentFileReader.h"
#include "format/RecordTypes.h"

#include <utility>

namespace tallivo {

void StructureScanner::Add(const PaymentLine& line, std::uint64_t lineNumber)
{
    const RecordType* type = FindRecordType(line.text);
    if (!type) {
        m_scan.unknownTypeLines.push_back(lineNumber);
        m_refusing = true;
    } else if (line.length != type->length) {
        m_scan.wrongLengths.emplace_back(type, lineNumber);
        m_refusing = true;
    }
    m_express.Add(line.text);
    m_refusing = m_refusing || m_express.ExceedsLimit();
}

StructureScan StructureScanner::Take()
{
    m_scan.exceedsExpressChequeLimit = m_express.ExceedsLimit();
    return std::move(m_scan);
}

void StructureScanner::Append(StructureScanner&& later, std::uint64_t linesBefore)
{
    for (const std::uint64_t line : later.m_scan.unknownTypeLines)
        m_scan.unknownTypeLines.push_back(linesBefore + line);
    for (const auto& [type, line] : later.m_scan.wrongLengths)
        m_scan.wrongLengths.emplace_back(type, linesBefore + line);
    m_express.Append(later.m_express);
    m_refusing = m_refusing || later.m_refusing || m_express.ExceedsLimit();
}

StructureScan ScanStructure(const std::string& path)
{
    StructureScanner scanner;
    PaymentFileReader reader(path);
    PaymentLine line;
    while (reader.Next(line))
        scanner.Add(line, reader.LineNumber());
    return scanner.Take();
}

void BeginRecordTypeCheck(CheckSession& s)
{
    s.ResetErrorGrid();
    s.grid.SetUpLayout(GridLayout::RecordTypeErrors, {"No.", "Line"});
}

bool EndRecordTypeCheck(CheckSession& s, const StructureScan& scan)
{
    for (const std::uint64_t lineNumber : scan.unknownTypeLines)
        s.grid.AppendRow({std::to_string(lineNumber)});
    s.recordTypesValid = scan.unknownTypeLines.empty();
    return s.recordTypesValid;
}

bool CheckRecordLengths(CheckSession& s, const StructureScan& scan)
{
    s.ResetErrorGrid();
    s.grid.SetUpLayout(GridLayout::RecordLengthErrors, {"No.", "Record Type", "Line"});
    for (const auto& [type, lineNumber] : scan.wrongLengths)
        s.grid.AppendRow({std::string(type->code), std::to_string(lineNumber)});
    s.recordLengthsValid = scan.wrongLengths.empty();
    return s.recordLengthsValid;
}

bool CheckRecordTypes(CheckSession& s, const std::string& path)
{
    BeginRecordTypeCheck(s);
    return EndRecordTypeCheck(s, ScanStructure(path));
}

bool CheckRecordLengths(CheckSession& s, const std::string& path)
{
    return CheckRecordLengths(s, ScanStructure(path));
}

} // namespace tallivo
