#pragma once
// The report side of the CLI: the report templates it needs, and report documents
// written as PDF. Writing PDF takes Qt's text and PDF engine, which costs every start
// of a program that links it some twenty milliseconds: so tallivo-cli itself writes no
// PDF, and a command line that asks for one is run by tallivo-cli-pdf, the same program
// with the PDF writer, from the same program folder (RunByPdfProgram).
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

// Whether this program writes PDF itself (tallivo-cli-pdf) or hands such command lines on.
bool WritesPdfItself();
// Runs the whole command line, as given, by tallivo-cli-pdf in this program's folder.
// Returns only when that program cannot be started: 2, the error shown.
int RunByPdfProgram(char** argv);

} // namespace tallivo::cli
