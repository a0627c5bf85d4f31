#pragma once
// What the report commands need of the local table store: statements, one
// transaction around many of them, emptying a table, the detail rows and reading
// a table's rows back in their order.
#include "reports/PaymentSummary.h"
#include "reports/ReportDocument.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tallivo {

class TableStore;

class ReportStore : public ReportTableWriter
{
public:
    // The summary lines of ReportTable: emptied, then appended one by one.
    virtual void EmptySummaryTable() = 0;
    virtual void AppendSummaryRow(std::string_view product, std::string_view valueDate, std::string_view creditCount,
                                  std::string_view amount) = 0;
    virtual void BeginTransaction() = 0;
    virtual void Commit() = 0;
    // Undoes the open transaction (rows not yet written are dropped).
    virtual void Rollback() = 0;
    // Ends the open transaction after an error without raising: keeps its work, or undoes
    // it when keep is false.
    virtual void EndAfterError(bool keep) noexcept = 0;
    // The rows of a table in table order, every column as text.
    virtual std::vector<std::map<std::string, std::string>> TableRows(const std::string& table) = 0;
    // The same rows held compactly for a report, read a batch at a time so that a large
    // table never stands in memory row by row.
    virtual ReportRows ReportTableRows(const std::string& table) = 0;
};

// The report tables through another table store (a connection of its own).
std::unique_ptr<ReportStore> ReportStoreOver(TableStore& store);

} // namespace tallivo
