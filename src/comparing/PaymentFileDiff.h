#pragma once
// What changed between two payment files: their records matched as a line diff matches
// lines (the longest common subsequence of whole records), a removed and an added record
// of the same type at one place taken as one changed record, each changed record's
// differing fields by their layout names; then the credits' count and amount per product
// and value date in each file.
//
// Streaming: the records common to both files at the same place pass through without
// being kept. Where they part, up to kDiffWindow records of each file are read ahead and
// matched; so a run of more than kDiffWindow records removed or added at one place may be
// matched with records further on less tightly than the whole files would allow (never
// wrongly: every record reported changed, added or removed is one).
#include "format/PaymentFileReader.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tallivo {

inline constexpr std::size_t kDiffWindow = 1000;

struct FieldChange
{
    std::string field;   // the layout's name of the field; "" for columns no field names
    std::string columns; // "35-50"
    std::string oldText; // the field's bytes as each file holds them
    std::string newText;
};

struct RecordChange
{
    enum class Kind { Changed, Added, Removed };
    Kind kind = Kind::Changed;
    std::string recordType;   // the record type code ("003"), the line's first bytes
    std::uint64_t oldLine = 0; // 0: the record is not in the old file
    std::uint64_t newLine = 0; // 0: not in the new file
    std::vector<FieldChange> fields; // a changed record's differing fields, in column order
};

// The word for a change's kind: "changed", "added", "removed".
std::string_view KindName(RecordChange::Kind kind);

// The credits of one product and value date (the debit record's they come under).
struct CreditTotals
{
    std::string product;   // the debit record's product code
    std::string valueDate; // the debit record's value date, yyyymmdd
    std::uint64_t oldCredits = 0;
    std::uint64_t newCredits = 0;
    std::int64_t oldAmount = 0; // in thousandths, as the amount field's digits stand
    std::int64_t newAmount = 0;
};

struct DiffOutcome
{
    std::uint64_t changes = 0;
    std::vector<CreditTotals> totals; // in the order the files first name them
    bool Equal() const { return changes == 0; }
};

using ChangeSink = std::function<void(const RecordChange&)>;

// Compares the lines of two files, handing each change to the sink in file order.
DiffOutcome DiffPaymentLines(LineSource& oldLines, LineSource& newLines, const ChangeSink& sink,
                             std::size_t window = kDiffWindow);
// The same over two files; raises the file error when one cannot be read.
DiffOutcome DiffPaymentFiles(const std::string& oldPath, const std::string& newPath, const ChangeSink& sink);

// An amount in thousandths as text with two decimals (three when the third is not 0),
// with a leading "-" below zero.
std::string AmountText(std::int64_t thousandths);

} // namespace tallivo
