#pragma once
#include "checking/CheckSession.h"
#include "format/PaymentFileReader.h"

#include <string>

namespace tallivo {

// The field-level check of a payment file: every line to its record check, the
// cross-record totals compared, every finding a row of the error layout. The outcome
// is s.ctx.dataValid. The lines are read in the given form (the seal validates the file
// as its normalisation leaves it).
void ValidatePaymentFile(CheckSession& s, const std::string& path, LineForm form = LineForm::AsInFile);

// The same pass over lines from another source. The addAccBatchError row it builds is
// not written: the caller flushes s.accountRow when the pass's findings become the
// command's, or has it forget them.
void RunValidationPass(CheckSession& s, LineSource& lines);

} // namespace tallivo
