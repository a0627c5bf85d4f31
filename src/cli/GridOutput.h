#pragma once
// What the CLI prints on stdout for one payment file: the result grid in the three
// formats, formatted into a string (printing it is the caller's).
#include "app/AppState.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tallivo::cli {

enum class OutputFormat { Text, Tsv, Json };

// What the CLI knows of one file's run besides the application state.
struct RunReport
{
    std::string command = "check"; // "check" or "seal"
    std::string fileName;          // the FILE argument ("-" for standard input)
    int exitStatus = 0;            // the exit status this file alone gives
    bool quiet = false;            // text and tsv: only findings and errors
    bool terminal = false;         // stdout is a terminal: tsv in UTF-8, control characters visible;
                                   // text says when a checked file has no findings
    bool nameFile = false;         // text: a heading names the file (several files are checked)
};

// The grid rows to print: 1 to the last row, the last left out when all its cells are empty.
std::size_t LastPrintedRow(const ResultGrid& grid);
std::string GridLayoutName(GridLayout layout);

// The output for one file:
// - tsv: the grid rows, one line per row, cells joined by TAB, the payment file's
//   bytes as they are (a TAB, CR or LF inside a cell shown as a blank); UTF-8 with
//   control characters visible when run.terminal;
// - json: one line holding one object (schema 1, see the README);
// - text: an aligned table of the visible columns in UTF-8, control characters
//   visible, then the status, the caption and the hash value; on a terminal, "No
//   findings" for a check that found none.
std::string FormatResult(const AppState& app, OutputFormat format, const std::vector<std::string>& messages,
                         const RunReport& run = {});

// The same output handed to the sink piece by piece (a piece at most about a megabyte
// past a row's end), so a grid of a million findings is never held twice in memory.
void WriteResult(const AppState& app, OutputFormat format, const std::vector<std::string>& messages,
                 const RunReport& run, const std::function<void(std::string_view)>& sink);

} // namespace tallivo::cli
