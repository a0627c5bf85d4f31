#pragma once
// The report side of the CLI: the report templates it needs, and report documents
// written as PDF.
#include "app/AppState.h"
#include "cli/CliDialogs.h"
#include "reports/ReportDocument.h"

#include <initializer_list>
#include <string>

namespace tallivo::cli {

// The report templates that the payment report can use (Report/Payment.html,
// PaymentDetail.html, DirectDebit.html), checked before a seal with --report-pdf.
inline constexpr std::initializer_list<const char*> kPaymentReportTemplates = {"Payment.html", "PaymentDetail.html",
                                                                               "DirectDebit.html"};

// A message naming the first of the templates that is missing or empty in the
// program's Report/ folder, or "" when all are there.
std::string MissingReportTemplate(const AppState& app, std::initializer_list<const char*> names);

// Runs the Report command after a successful seal and writes its document as PDF;
// 0, or 2 when an error escaped (it has been shown).
int WriteReportPdf(AppState& app, CliDialogs& dialogs, const std::string& pdfPath);
// Writes a report document as PDF; 0, or 2 when an error escaped (it has been shown).
int WriteDocumentPdf(const ReportDocument& document, CliDialogs& dialogs, const std::string& pdfPath);

} // namespace tallivo::cli
