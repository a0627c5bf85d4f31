#include "checking/StructureChecks.h"

#include "checking/ExpressCheques.h"
#include "format/PaymentFileReader.h"
#include "format/RecordTypes.h"

namespace tallivo {

StructureScan ScanStructure(const std::string& path)
{
    StructureScan scan;
    ExpressChequeCount express;
    PaymentFileReader reader(path);
    PaymentLine line;
    while (reader.Next(line)) {
        const RecordType* type = FindRecordType(line.text);
        if (!type)
            scan.unknownTypeLines.push_back(reader.LineNumber());
        else if (line.length != type->length)
            scan.wrongLengths.emplace_back(type, reader.LineNumber());
        express.Add(line.text);
    }
    scan.exceedsExpressChequeLimit = express.ExceedsLimit();
    return scan;
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
