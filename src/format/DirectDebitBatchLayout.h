#pragma once
// The direct-debit batch record (RecordCode::DirectDebitBatch): one batch of direct-debit
// items collected into one account.
#include "format/Layout.h"

namespace tallivo::DirectDebitBatch {

inline constexpr Field ProductCode       {"4-6",     "Product Code"};
inline constexpr Field InternalReference {"7-14",    "Internal Reference"};
inline constexpr Field ValueDate         {"15-22",   "Value Date"}; // yyyymmdd
inline constexpr Field ProcessingRound   {"23-24",   "Processing Round"};
inline constexpr Field CreditAccount     {"25-49",   "Credit Account No"};
// A second account of the batch, printed under the same name.
inline constexpr Field CreditAccount2    {"59-83",   "Credit Account No"};
inline constexpr Field Currency          {"93-95",   "Credit Currency"};
inline constexpr Field TotalAmount       {"96-111",  "Total Amount"};
inline constexpr Field ItemCount         {"112-117", "No. of Items"};

// In column order within the record.
static_assert(LaysOut(RecordCode::DirectDebitBatch, {ProductCode, InternalReference, ValueDate, ProcessingRound,
                                                     CreditAccount, CreditAccount2, Currency, TotalAmount, ItemCount}));
static_assert(IsAmount(TotalAmount) && IsDate(ValueDate));

} // namespace tallivo::DirectDebitBatch
