#pragma once
// The strict checks of a payment file's frame, asked for on the command line
// (--strict): what the record type, length and field checks let pass but a complete
// payment file never has. A file without lines, a first record that is not the
// header, a last record that is not the trailer, a second header or trailer, and
// bytes after a Ctrl-Z (which end the file for every other check and for the sealed
// output) are each a finding of their own.
#include <cstdint>
#include <string>
#include <vector>

namespace tallivo {

struct CheckSession;

struct StrictFinding
{
    std::string recordType; // the first three bytes of the line concerned ("" when none)
    std::uint64_t line = 0; // the line concerned (from 1); 0 when the finding names no line
    std::string message;
};

// Reads the file (lines as the other checks read them) and returns its strict
// findings in line order; raises the file error when it cannot be read.
std::vector<StrictFinding> FindStrictFindings(const std::string& path);

// Adds the findings to the session after the other checks have run: rows of the
// error layout (record type, line, message) when the grid holds that layout or none;
// beside the grid (session.strictFindings only) when the record type or length check
// stopped the file. Any finding makes the data invalid and gives Save something to
// write; the status names the structure when no other check gave one.
void AddStrictFindings(CheckSession& s, const std::vector<StrictFinding>& findings);

// Whether the strict findings of the session are rows of its grid.
bool StrictFindingsInGrid(const CheckSession& s);

} // namespace tallivo
