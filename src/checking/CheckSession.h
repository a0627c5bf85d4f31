#pragma once
// What the checks read and write: the result grid, the check context, the outcome
// flags of the structural checks, the status text and whether there are findings to
// save. Owned by the application state; no Qt in here.
#include "checking/CheckContext.h"
#include "checking/StrictChecks.h"
#include "findings/ResultGrid.h"
#include "common/Clock.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tallivo {

class AccountRowStore;

struct CheckSession
{
    ResultGrid grid;
    CheckContext ctx;
    bool recordTypesValid = false;   // the last record type check found no unknown type
    bool recordLengthsValid = false; // the last record length check found no wrong length
    std::string statusText;          // the status line shown in red above the grid
    bool hasFindingsToSave = false;  // the grid holds findings that Save can write
    const Clock* clock = nullptr;    // today's date for the value-date rules
    AccountRowStore* accountRow = nullptr; // the one-row addAccBatchError table
    std::vector<StrictFinding> strictFindings; // the last strict check's findings (checking/StrictChecks.h)
    std::uint64_t passLine = 0; // the validation pass's line: 0 after it ran through, else where an error ended it
    // When set, every amount the debit check adds to the debit total is noted here too,
    // in order (a pass over part of a file sums them again on the total before it).
    std::vector<long double>* debitTotalLog = nullptr;

    // Appends one error row with the Account and Payee Name cells empty.
    void AddError(std::string_view recordType, std::string_view line, std::string_view columns,
                  std::string_view fieldName, std::string_view message);
    // Appends one error row with all eight cells.
    void AddAccountError(std::string_view recordType, std::string_view line, std::string_view columns,
                         std::string_view fieldName, std::string_view message, std::string_view account,
                         std::string_view payeeName);
    // Marks the findings as savable and sets the status "Invalid data fields". Does not
    // touch dataValid.
    void FlagInvalidData();
    // Empties the grid (row 0 keeps its texts), leaving 2 rows and 2 columns.
    void ResetErrorGrid() { grid.Reset(); }
    // Sets up the eight-column error layout of the validation pass.
    void SetUpErrorLayout();
};

} // namespace tallivo
