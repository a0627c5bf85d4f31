#pragma once
// The options that several commands take (or that the commands' shared code reads),
// declared once; each command lists those it takes with its own help text.
#include "app/Dialogs.h"
#include "cli/CommandDescription.h"
#include "cli/GridOutput.h"

#include <vector>

namespace tallivo::cli::options {

extern const OptionDescription Format;
extern const OptionDescription Errors;
extern const OptionDescription Strict;
extern const OptionDescription Zip;
extern const OptionDescription NewFile;
extern const OptionDescription InvalidAccounts;
extern const OptionDescription ReportPdf;
extern const OptionDescription Quiet;

// All of the above, in the order the general help lists them.
const std::vector<const OptionDescription*>& Shared();

// --format's value (text when not given) and the answers --invalid-accounts gives
// to the invalid-account question and its confirmation (abort when not given).
OutputFormat FormatOf(const Arguments& args);
std::vector<MsgButton> InvalidAccountAnswersOf(const Arguments& args);

} // namespace tallivo::cli::options
