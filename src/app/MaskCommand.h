#pragma once
// The masked copy of the payment file, to share without the payees' data
// (masking/MaskedCopy.h), as a command over the application state.
#include "app/AppState.h"
#include "app/CommandOutcome.h"
#include "app/Dialogs.h"

#include <string>

namespace tallivo {

// Writes the masked copy of app.inputPath to output, which replaces a file of that name
// whole or not at all. Refused, with the reason shown and nothing written, when output
// names the payment file (also through a link or as a hard link) or is no regular file.
CommandOutcome SaveMaskedCopy(AppState& app, Dialogs& dialogs, const std::string& output);

// The name offered for the masked copy of a payment file: "<name without its
// extension>-masked.txt" in the payment file's folder.
std::string MaskedCopyName(const std::string& inputPath);

} // namespace tallivo
