#include "findings/ErrorFiles.h"

#include "common/CommandProgress.h"
#include "common/ReplacingFile.h"

namespace tallivo {

namespace {
// How often writing an error file reports how far it has come (and may be cancelled).
constexpr std::size_t kRowsPerProgress = 4096;
} // namespace

ErrorFileKind ChooseErrorFile(bool recordTypesValid, bool recordLengthsValid, bool dataValid)
{
    if (!recordTypesValid)
        return ErrorFileKind::RecordTypes;
    if (!recordLengthsValid)
        return ErrorFileKind::RecordLengths;
    if (!dataValid)
        return ErrorFileKind::Data;
    return ErrorFileKind::None;
}

std::string ErrorFileLine(ErrorFileKind kind, const ResultGrid& grid, std::size_t r)
{
    std::string out;
    auto cell = [&](std::size_t c) { out.append(grid.Cell(c, r)); };
    switch (kind) {
    case ErrorFileKind::RecordTypes: // SaveRecordTypeErrors
        out = "LineNo : ";
        cell(RecordTypeColumn::Line);
        out += " Record type invalid code";
        break;
    case ErrorFileKind::RecordLengths: // SaveRecordLengthErrors
        out = "LineNo.: ";
        cell(RecordLengthColumn::Line);
        out += " Invalid length in record type ";
        cell(RecordLengthColumn::RecordType);
        break;
    case ErrorFileKind::Data: // SaveDataErrors
        out = "Record Type:  ";
        cell(ErrorColumn::RecordType);
        out += "  LineNo.:  ";
        cell(ErrorColumn::Line);
        out += "  Column:  ";
        cell(ErrorColumn::Columns);
        out += "  Field Name:  ";
        cell(ErrorColumn::FieldName);
        out += "  Message:  ";
        cell(ErrorColumn::Message);
        break;
    case ErrorFileKind::None:
        break;
    }
    return out;
}

void WriteErrorFile(ErrorFileKind kind, const ResultGrid& grid, const std::string& path)
{
    ReplacingFile file(path);
    const std::size_t rows = grid.RowCount();
    for (std::size_t r = 1; r + 2 <= rows; ++r) {
        if (r % kRowsPerProgress == 0)
            progress::Share(static_cast<double>(r) / static_cast<double>(rows));
        file.Write(ErrorFileLine(kind, grid, r));
        file.Write("\r\n");
    }
    file.Commit();
}

} // namespace tallivo
