#pragma once
// The withholding-tax record (RecordCode::Wht): one income type of the credit record
// before it and the tax withheld on it.
#include "format/Layout.h"

namespace tallivo::Wht {

inline constexpr Field InternalReference {"4-11",    "Internal Reference"};
inline constexpr Field CreditSequenceNo  {"12-17",   "Credit Sequence No."};
inline constexpr Field SequenceNo        {"18-19",   "WHT Sequence No."};
inline constexpr Field Amount            {"20-35",   "WHT Amount"};
inline constexpr Field IncomeType        {"36-40",   "WHT Income Type"};
inline constexpr Field IncomeDescription {"41-120",  "Income Description"};
inline constexpr Field DeductRate        {"121-122", "WHT Deduct Rate."};
inline constexpr Field IncomeTypeAmount  {"123-138", "Income Type Amount"};

// In column order within the record.
static_assert(LaysOut(RecordCode::Wht, {InternalReference, CreditSequenceNo, SequenceNo, Amount, IncomeType,
                                        IncomeDescription, DeductRate, IncomeTypeAmount}));
static_assert(IsAmount(Amount) && IsAmount(IncomeTypeAmount));

} // namespace tallivo::Wht
