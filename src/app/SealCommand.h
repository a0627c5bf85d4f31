#pragma once
// Checking and sealing a payment file, and the steps that the tier-rate report shares
// with them.
#include "app/AppState.h"
#include "app/CommandOutcome.h"
#include "app/Dialogs.h"
#include "app/FileRules.h"
#include "common/HeldFile.h"

#include <memory>
#include <string>

namespace tallivo {

// Checks the payment file at inputPath and writes nothing: the file exists, its record
// types and record lengths, the express cheque limit and every field of every record.
// Never asks the invalid-account question: invalid home-bank accounts refuse the file.
// Starts afresh: no summary, and the hash value, the captions and the grid emptied.
// With the strict rules, strict findings are findings like the others.
CommandOutcome CheckPaymentFile(AppState& app, Dialogs& dialogs, FileRules rules = FileRules::Standard);

// Checks the payment file and the output choices (new-file path, zip name) and, when
// all are acceptable, normalises the payment file, builds the payment summary and the
// report tables, writes the sealed output (hashValue := its hash) and packs it into the
// zip archive. Starts afresh like CheckPaymentFile. With the strict rules, a file with
// strict findings is checked as by CheckPaymentFile (the file untouched, nothing
// asked) and refused with its findings.
// The payment file is held (HoldPaymentFile) from the first check to the last write,
// and everything that will be written is checked before the payment file changes; the
// output and the archive are written in full before either takes its place.
CommandOutcome SealPaymentFile(AppState& app, Dialogs& dialogs, FileRules rules = FileRules::Standard);

// Reads invalidAccountAnswer; may ask to confirm Ignore; may change dataValid.
void ConfirmIgnoreInvalidAccounts(AppState& app, Dialogs& dialogs);

// The steps that the seal command and the tier-rate report share:
// the record type and record length checks, with "Error Data !" and the status on failure;
bool CheckFileStructure(AppState& app, Dialogs& dialogs, const std::string& path);
// and, when the validation found invalid home-bank accounts, the question whether to
// ignore them. True when the command may go on.
bool ResolveInvalidAccounts(AppState& app, Dialogs& dialogs);

// Holds the payment file for a command (common/HeldFile.h) with the messages that name
// it: in use by another Tallivo command, or changed by another program (then: stopped,
// what became of the command).
std::unique_ptr<HeldFile> HoldPaymentFile(const std::string& path, const std::string& stopped);

} // namespace tallivo
