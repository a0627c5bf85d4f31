#pragma once
// The payee record (RecordCode::Payee): the beneficiary of the credit record before it.
#include "format/Layout.h"

namespace tallivo::Payee {

inline constexpr Field InternalReference {"4-11",    "Internal Reference"};
inline constexpr Field SequenceNumber    {"12-17",   "Credit Sequence Number"};
// Another identification of the payee, which stands in for the tax id.
inline constexpr Field IdNumber          {"18-32",   "Payee1 ID Number"};
inline constexpr Field NameThai          {"33-132",  "Payee1 Name(Thai)"};
inline constexpr Field TaxId             {"343-352", "Payee1 Tax ID"};
inline constexpr Field NameEnglish       {"353-422", "Payee1 Name(English)"};
inline constexpr Field FaxNumber         {"423-432", "Payee 1 Fax Number"};
inline constexpr Field Payee2NameThai    {"507-606", "Payee2 Name(Thai)"};

// In column order within the record.
static_assert(LaysOut(RecordCode::Payee, {InternalReference, SequenceNumber, IdNumber, NameThai, TaxId, NameEnglish,
                                          FaxNumber, Payee2NameThai}));

} // namespace tallivo::Payee
