#pragma once
// The trailer record (RecordCode::Trailer): the file's totals.
#include "format/Layout.h"

namespace tallivo::Trailer {

inline constexpr Field DebitCount  {"4-9",   "Total No. of Debits"};
inline constexpr Field CreditCount {"10-15", "Total No. of Credits"};
inline constexpr Field TotalAmount {"16-31", "Total Amount"};

// Every field, in column order within the record.
inline constexpr Field kFields[] = {DebitCount, CreditCount, TotalAmount};
static_assert(LaysOut(RecordCode::Trailer, kFields));
static_assert(IsAmount(TotalAmount));

} // namespace tallivo::Trailer
