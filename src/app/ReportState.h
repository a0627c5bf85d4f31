#pragma once
// What the reports keep for the whole run, in one place: the report objects (each holds
// the template text it loaded last; a template file that is missing leaves its object
// as it was), the report tables through the local table store (their statements live in
// store/ReportTables.h) and the tables' data versions after this run's last seal.
#include "reports/PaymentSummary.h"
#include "reports/ReportDocument.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tallivo {

struct AppState;
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

struct ReportObjects
{
    std::string payment;       // Payment.html: the rows of ReportTable
    std::string paymentDetail; // PaymentDetail.html: the rows of ReportTableDetail
    std::string directDebit;   // DirectDebit.html: the rows of ReportTable
    std::string deductFee;     // DeductFee.html: variables only
};

// Loads a template file into a report object. Returns false, leaving the object as
// it was, when the file does not exist; a file that exists but cannot be read
// raises the file error.
bool LoadReportTemplate(std::string& reportObject, const std::string& path);

// What the reports keep for the whole run: the report objects, and the connection
// to the report tables (opened at first use).
struct ReportState
{
    ReportObjects objects;
    std::unique_ptr<ReportStore> store; // the report tables through the program's table store
    // The report tables' data versions right after this run's last seal wrote them
    // (TableStore::DataVersion); empty when none were taken.
    std::vector<long long> sealedVersions;
    // The payment file whose summary the last seal of this run built: the hash value and
    // the totals the reports print are that file's.
    std::string summaryFile;
};

ReportState& ReportStateOf(AppState& app);
// The report objects, made empty at first use.
ReportObjects& ReportObjectsOf(AppState& app);
// The report tables of the program folder's store, opened at first use.
ReportStore& ReportStoreOf(AppState& app);

} // namespace tallivo
