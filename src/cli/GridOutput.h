#pragma once
// Prints the result grid on stdout in the CLI's three formats.
#include "app/AppState.h"

#include <string>
#include <vector>

namespace tallivo::cli {

enum class OutputFormat { Text, Tsv, Json };

// The grid rows to print: 1 to the last row, the last left out when all its cells are empty.
std::size_t LastPrintedRow(const ResultGrid& grid);
std::string GridLayoutName(GridLayout layout);

void PrintGrid(const AppState& app, OutputFormat format, const std::vector<std::string>& messages);

} // namespace tallivo::cli
