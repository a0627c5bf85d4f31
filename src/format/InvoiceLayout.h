#pragma once
// The invoice record (RecordCode::Invoice): one invoice the credit record before it pays.
#include "format/Layout.h"

namespace tallivo::Invoice {

inline constexpr Field InternalReference {"4-11",    "Internal Reference"};
inline constexpr Field CreditSequenceNo  {"12-17",   "Credit Sequence No."};
inline constexpr Field SequenceNo        {"18-23",   "Invoice Sequence No."};
inline constexpr Field Number            {"24-38",   "Invoice Number"};
inline constexpr Field Amount            {"39-54",   "Invoice Amount"};
inline constexpr Field Date              {"55-62",   "Invoice Date"}; // yyyymmdd
inline constexpr Field VatAmount         {"148-163", "VAT Amount"};
inline constexpr Field PayeeChargeAmount {"164-179", "Payee Charge Amount"};
inline constexpr Field WhtAmount         {"180-195", "WHT Amount"};
inline constexpr Field PrintLanguage     {"196-196", "Print Language"};

// In column order within the record.
static_assert(LaysOut(RecordCode::Invoice, {InternalReference, CreditSequenceNo, SequenceNo, Number, Amount, Date,
                                            VatAmount, PayeeChargeAmount, WhtAmount, PrintLanguage}));
static_assert(IsAmount(Amount) && IsAmount(VatAmount) && IsAmount(PayeeChargeAmount) && IsAmount(WhtAmount));
static_assert(IsDate(Date));

} // namespace tallivo::Invoice
