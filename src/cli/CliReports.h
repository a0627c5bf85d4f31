#pragma once
// The report side of the CLI: the payment report as PDF after a seal, and the fee report.
#include "app/AppState.h"
#include "cli/Arguments.h"
#include "cli/CliDialogs.h"

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
// The tier-rate fee report command; prints the eight report variables. The exit status.
int RunFee(const Arguments& args);

} // namespace tallivo::cli
