#pragma once
#include "checking/CheckSession.h"

#include <string>

namespace tallivo {

// The field-level check of a payment file: every line to its record check, the
// cross-record totals compared, every finding a row of the error layout. The outcome
// is s.ctx.dataValid.
void ValidatePaymentFile(CheckSession& s, const std::string& path);

} // namespace tallivo
