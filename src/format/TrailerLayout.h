#pragma once
// The trailer record (RecordCode::Trailer): the file's totals.
#include "format/Layout.h"

namespace tallivo::Trailer {

inline constexpr Field DebitCount  {"4-9",   "Total No. of Debits"};
inline constexpr Field CreditCount {"10-15", "Total No. of Credits"};
inline constexpr Field TotalAmount {"16-31", "Total Amount"};

// In column order within the record.
static_assert(LaysOut(RecordCode::Trailer, {DebitCount, CreditCount, TotalAmount}));
static_assert(IsAmount(TotalAmount));

} // namespace tallivo::Trailer
