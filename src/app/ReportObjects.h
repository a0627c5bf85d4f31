#pragma once
// The report objects: each holds the template text it loaded last. A template file
// that is missing leaves its object as it was, so what an object holds lasts for the
// whole run.
#include "app/ReportStore.h"

#include <memory>
#include <string>
#include <vector>

namespace tallivo {

struct AppState;

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

} // namespace tallivo
