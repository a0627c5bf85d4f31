#pragma once
#include "checking/CheckSession.h"

#include <string>
#include <string_view>

namespace tallivo {

// The field-level check of a payment file: every line to its record check, the
// cross-record totals compared, every finding a row of the error layout. The outcome
// is s.ctx.DataValid.
void ValidatePaymentFile(CheckSession& s, const std::string& path);

// The record checks the pass calls, one per record type. The pass normally uses the
// checks of RecordChecks.h; the pass's own cross-record rules can be exercised with
// others in their place.
struct RecordCheckSet
{
    void (*header)(CheckSession&, std::string_view, int);
    void (*debit)(CheckSession&, std::string_view, int, std::string_view);
    void (*credit)(CheckSession&, std::string_view, int, std::string_view);
    void (*payee)(CheckSession&, std::string_view, int, std::string_view);
    void (*wht)(CheckSession&, std::string_view, int, int, std::string_view);
    void (*invoice)(CheckSession&, std::string_view, int, std::string_view);
    void (*directDebitBatch)(CheckSession&, std::string_view, int);
    void (*directDebitItem)(CheckSession&, std::string_view, int);
    void (*trailer)(CheckSession&, std::string_view, int);
};

// The record checks of RecordChecks.h.
const RecordCheckSet& StandardRecordChecks();

void ValidatePaymentFile(CheckSession& s, const std::string& path, const RecordCheckSet& checks);

} // namespace tallivo
