#pragma once
// The debit record (RecordCode::Debit): one batch of credits paid from one account.
// Columns 79-109 hold the fee account (layout A) or, for the media clearing products,
// the media clearing fields (layout B).
#include "format/Layout.h"

namespace tallivo::Debit {

inline constexpr Field ProductCode       {"4-6",   "Product Code"};
inline constexpr Field ValueDate         {"7-14",  "Value Date"}; // yyyymmdd
inline constexpr Field Account           {"15-39", "Debit Account No"};
inline constexpr Field AccountType       {"40-41", "Acct Type of Debit"};
inline constexpr Field BranchCode        {"42-45", "Debit Branch Code"};
inline constexpr Field Currency          {"46-48", "Debit Currency"};
inline constexpr Field Amount            {"49-64", "Debit Amount"};
inline constexpr Field InternalReference {"65-72", "Internal Reference"};
inline constexpr Field CreditCount       {"73-78", "No. of Credits"};
// Layout A.
inline constexpr Field FeeAccount        {"79-103",  "Debit Account No"};
inline constexpr Field FeeAccountType    {"104-105", "Acct Type(Fee)"};
inline constexpr Field FeeBranchCode     {"106-109", "Debit Branch Code(Fee)"};
// Layout B.
inline constexpr Field FeeDebitAccount   {"79-93",   "Fee Debit Account"};
inline constexpr Field Filler            {"94-102",  "Filler"};
inline constexpr Field MediaCircle       {"103",     "Media Circle"};

// The credit count as the pass's comparison with the credits that follow prints it.
inline constexpr Field CreditCountCompared = CreditCount.PrintedAs("No.of Credit");

// Both layouts, each in column order within the record.
static_assert(LaysOut(RecordCode::Debit, {ProductCode, ValueDate, Account, AccountType, BranchCode, Currency, Amount,
                                          InternalReference, CreditCount, FeeAccount, FeeAccountType, FeeBranchCode}));
static_assert(LaysOut(RecordCode::Debit, {ProductCode, ValueDate, Account, AccountType, BranchCode, Currency, Amount,
                                          InternalReference, CreditCount, FeeDebitAccount, Filler, MediaCircle}));
static_assert(IsAmount(Amount) && IsDate(ValueDate));

} // namespace tallivo::Debit
