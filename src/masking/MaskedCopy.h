#pragma once
// A masked copy of a payment file, to share without the payees' data: the same records,
// the same findings and the same totals, with every identifying value replaced by a
// look-alike and every column that no field names blanked.
//
// What is replaced (each value by a look-alike, masking/LookAlike.h): the payee's names,
// Thai and English, the second payee's name, id number, tax id and fax number; every
// account number of credit, debit (fee accounts too) and direct-debit records; the cheque
// reference number and WHT remark of a credit; an invoice's number; a WHT record's income
// description. Record codes, amounts, dates, counts, codes and flags are kept byte for
// byte, and so are line ends and line lengths.
//
// Each look-alike is tried on the record with the record's own check and kept only when
// the check finds exactly what it finds on the original (the same rows, the same values
// for the records after it); otherwise the next look-alike is tried. One value has one
// look-alike throughout the file, and no two values share one.
#include "common/Clock.h"
#include "masking/LookAlike.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tallivo {

// Where the masked copy's bytes go, in order.
using MaskSink = std::function<void(std::string_view bytes)>;

struct MaskOutcome
{
    std::uint64_t lines = 0;
    std::uint64_t valuesReplaced = 0; // identifying values written as look-alikes
    // Identifying values no look-alike could stand in for without changing the findings,
    // kept as they are (none in any file the checks were written for).
    std::uint64_t valuesKept = 0;
};

// Masks the bytes that read gives (see RawLineReader) into sink. Memory does not grow
// with the file, apart from the table of values and their look-alikes. The clock gives
// the value-date rules their today, as for the check the copy must agree with.
MaskOutcome MaskPaymentLines(const std::function<std::size_t(char*, std::size_t)>& read, const MaskKey& key,
                             const MaskSink& sink, const Clock* clock = nullptr);

// Masks a whole payment file: a first read digests it into the key, a second masks it.
// Raises the file error when it cannot be read.
MaskOutcome MaskPaymentFile(const std::string& path, const MaskSink& sink, const Clock* clock = nullptr);

// The masked copy of a payment file held in memory (its digest is the key).
std::string MaskPaymentBytes(std::string_view bytes, const Clock* clock = nullptr);

} // namespace tallivo
