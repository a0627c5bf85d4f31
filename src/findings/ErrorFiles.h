#pragma once
// The three error-file layouts that the Save command writes from the result grid.
#include "findings/ResultGrid.h"

#include <string>

namespace tallivo {

enum class ErrorFileKind { None, RecordTypes, RecordLengths, Data };

// The layout that Save would write now, chosen from the three outcome flags.
ErrorFileKind ChooseErrorFile(bool recordTypesValid, bool recordLengthsValid, bool dataValid);

// Writes rows 1 to row count - 2 of the grid in the given layout, each line ended by
// CR LF. Replaces the file through a temporary file; raises the file error on failure.
void WriteErrorFile(ErrorFileKind kind, const ResultGrid& grid, const std::string& path);

// The line that the given layout writes for grid row r.
std::string ErrorFileLine(ErrorFileKind kind, const ResultGrid& grid, std::size_t r);

} // namespace tallivo
