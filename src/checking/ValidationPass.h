#pragma once
#include "checking/CheckSession.h"
#include "format/PaymentFileReader.h"

#include <functional>
#include <memory>
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

// The lines of a file from a cut on, for RunValidationPassInParts.
struct SecondPart
{
    LineSource& lines; // from the cut on, numbered from 1; taken on a thread of its own
    // Asked once the first part's lines have ended: false when the text ended before the
    // cut (a Ctrl-Z byte), so that the second part is not of it.
    std::function<bool()> follows;
    // The same lines once more, from the cut (for a part whose check must be done again).
    std::function<std::unique_ptr<LineSource>()> again;
};

// The same pass over a file read as two parts at once: the lines before a cut on this
// thread, the lines from it on (best a debit record) on a thread of its own. Its findings,
// values and row are exactly those of RunValidationPass over all the lines in order.
// first's LineNumber, once its lines ended and follows was asked, is the number of
// lines before the cut.
void RunValidationPassInParts(CheckSession& s, LineSource& first, const SecondPart& second);

} // namespace tallivo
