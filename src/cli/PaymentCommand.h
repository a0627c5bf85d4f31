#pragma once
// What check, seal and fee share: the start of a command on a payment file, and
// check and seal themselves.
#include "app/AppState.h"
#include "cli/CliDialogs.h"
#include "cli/CommandDescription.h"

#include <string>
#include <vector>

namespace tallivo::cli {

// Answers the dialogs as the options say (the invalid-account answer, quiet), reads
// FILE (standard input is copied first), loads the settings, sets the form's zip
// archive and new file from their options, and refuses the outputs (the seal's own
// too when withSealOutputs) that may not be written. 0 when the command may go on;
// otherwise its exit status, the reason having been shown.
int StartCommand(AppState& app, CliDialogs& dialogs, const Arguments& args, const std::string& file,
                 const std::vector<std::string>& outputs, bool withSealOutputs);

enum class PaymentCommand { Check, Seal };

// Checks or seals each FILE as if it were the only one and prints its result; the
// worst exit status of them.
int RunPaymentFiles(const Arguments& args, PaymentCommand command);

} // namespace tallivo::cli
