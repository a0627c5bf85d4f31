#pragma once
// The FILE arguments as the commands read them. Every stage of a command opens its
// input again, so each must be a regular file: standard input ("-") is first copied
// to a private temporary file, and a pipe, FIFO, device or socket is refused at once,
// never read in part and never waited on.
#include "app/Dialogs.h"
#include <optional>
#include <string>
#include <vector>

namespace tallivo::cli {

struct ReadyInput
{
    std::string path;    // what the commands read
    std::string refusal; // not empty: the input is not to be read, for this reason
    std::string origin = {}; // standard input: the file it came from, which no output may replace
};

// "-": standard input copied to a temporary file of mode 0600 in $TMPDIR (or /tmp),
// removed when the program ends; once per run. Any other path is given back as it is
// when it is a regular file, a link to one, a folder or missing (the commands' own
// checks answer those two), and refused otherwise.
ReadyInput PrepareInput(const std::string& argument);
// PrepareInput, with a refusal shown through dialogs: nothing then.
std::optional<ReadyInput> InputOrRefusal(const std::string& argument, Dialogs& dialogs);

// The refusal of the first output (an error file, a PDF) that does not exist yet and whose
// folder cannot take it: "Cannot write <path>: <what the system said>"; empty when every
// one can be written. Empty paths are left out.
std::string UnwritableOutput(const std::vector<std::string>& outputs);

} // namespace tallivo::cli
