#include "checking/StructureChecks.h"

#include "format/PaymentFileReader.h"
#include "format/RecordTypes.h"

namespace tallivo {

bool CheckRecordTypes(CheckSession& s, const std::string& path)
{
    s.ResetErrorGrid();
    s.grid.SetUpLayout(GridLayout::RecordTypeErrors, {"No.", "Line"});
    bool result = true;
    PaymentFileReader reader(path);
    PaymentLine line;
    while (reader.Next(line)) {
        if (FindRecordType(line.text))
            continue;
        s.grid.AppendRow({std::to_string(reader.LineNumber())});
        result = false;
    }
    s.recordTypesValid = result;
    return result;
}

bool CheckRecordLengths(CheckSession& s, const std::string& path)
{
    s.ResetErrorGrid();
    s.grid.SetUpLayout(GridLayout::RecordLengthErrors, {"No.", "Record Type", "Line"});
    bool result = true;
    PaymentFileReader reader(path);
    PaymentLine line;
    while (reader.Next(line)) {
        const RecordType* type = FindRecordType(line.text);
        if (!type || line.length == type->length)
            continue;
        s.grid.AppendRow({type->code, std::to_string(reader.LineNumber())});
        result = false;
    }
    s.recordLengthsValid = result;
    return result;
}

} // namespace tallivo
