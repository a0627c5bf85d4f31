#pragma once
// Rows of the result grid as text to paste elsewhere.
#include "findings/ResultGrid.h"

#include <QString>

#include <cstddef>
#include <vector>

namespace tallivo {

// The headings, then the given rows of the grid, as tab-separated lines each ended by a
// line end: the columns the grid shows, Thai decoded. A tab or a line end inside a cell
// would split it, so it becomes a blank.
QString GridRowsText(const ResultGrid& grid, const std::vector<std::size_t>& rows);

} // namespace tallivo
