#pragma once
// The comparison of the payment file with another (comparing/PaymentFileDiff.h), as a
// command over the application state, with its rows ready to show: one row per differing
// field, and the credits' totals per product and value date in each file.
#include "app/AppState.h"
#include "app/CommandOutcome.h"
#include "app/Dialogs.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tallivo {

// One differing field of a changed record, or an added or removed record (its field,
// columns and texts empty). The record type and the texts are the files' own bytes
// (single-byte Thai); the rest is plain ASCII.
struct ComparisonRow
{
    std::string kind;       // "changed", "added", "removed"
    std::string recordType; // "003"
    std::string oldLine;    // empty: the record is not in the old file
    std::string newLine;    // empty: not in the new file
    std::string field;      // the layout's name; empty for columns no field names
    std::string columns;    // "35-50"
    std::string oldText;
    std::string newText;
};

// The credits of one product and value date in each file and the difference, as text:
// counts as numbers, amounts with two decimals (three when the third is not 0), the
// differences signed.
struct ComparisonTotalsRow
{
    std::string product;   // the files' own bytes
    std::string valueDate; // yyyymmdd
    std::string oldCredits;
    std::string oldAmount;
    std::string newCredits;
    std::string newAmount;
    std::string creditsDifference; // "+1", "0", "-2"
    std::string amountDifference;  // "+250.00", "0.00"
};

struct PaymentComparison
{
    std::string oldPath;
    std::string newPath;
    std::uint64_t changes = 0; // changed, added and removed records
    std::vector<ComparisonRow> rows;
    std::vector<ComparisonTotalsRow> totals; // in the order the files first name them
    bool Equal() const { return changes == 0; }
    // "The files are equal." or "<n> changes." ("1 change.").
    std::string SummaryText() const;
};

// Compares app.inputPath (old) with newPath (new) into comparison. Refused, with the
// reason shown, when either cannot be read (app/PaymentInput.h); raises the file
// error when a read fails.
CommandOutcome ComparePaymentFile(const AppState& app, Dialogs& dialogs, const std::string& newPath,
                                  PaymentComparison& comparison);

} // namespace tallivo
