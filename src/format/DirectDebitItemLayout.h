#pragma once
// The direct-debit item record (RecordCode::DirectDebitItem): one account debited.
#include "format/Layout.h"

namespace tallivo::DirectDebitItem {

inline constexpr Field InternalReference {"4-11",  "Internal Reference"};
inline constexpr Field SequenceNumber    {"12-17", "Debit Sequence Number"};
inline constexpr Field Account           {"18-42", "Debit Account No"};
inline constexpr Field Currency          {"43-45", "Debit Currency"};

// In column order within the record.
static_assert(LaysOut(RecordCode::DirectDebitItem, {InternalReference, SequenceNumber, Account, Currency}));

} // namespace tallivo::DirectDebitItem
