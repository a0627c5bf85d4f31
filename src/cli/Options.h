#pragma once
// The options that several commands take (or that the commands' shared code reads),
// declared once; each command lists those it takes with its own help text.
#include "app/Dialogs.h"
#include "cli/CommandSpec.h"
#include "cli/GridOutput.h"

#include <vector>

namespace tallivo::cli::options {

extern const OptionSpec Format;
extern const OptionSpec Errors;
extern const OptionSpec Strict;
extern const OptionSpec Zip;
extern const OptionSpec NewFile;
extern const OptionSpec InvalidAccounts;
extern const OptionSpec ReportPdf;
extern const OptionSpec Quiet;

// All of the above, in the order the general help lists them.
const std::vector<const OptionSpec*>& Shared();

// --format's value (text when not given) and the answers --invalid-accounts gives
// to the invalid-account question and its confirmation (abort when not given).
OutputFormat FormatOf(const Arguments& args);
std::vector<MsgButton> InvalidAccountAnswersOf(const Arguments& args);

} // namespace tallivo::cli::options
