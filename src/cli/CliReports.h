#pragma once
// The report side of the CLI: the payment report as PDF after a seal, and the fee report.
#include "app/AppState.h"
#include "cli/CliDialogs.h"

#include <string>
#include <vector>

namespace tallivo::cli {

// Runs the Report command after a successful seal and writes its document as PDF.
int WriteReportPdf(AppState& app, CliDialogs& dialogs, const std::string& pdfPath);
// The tier-rate fee report command; prints the eight report variables.
int RunFee(const std::string& file, const std::vector<MsgButton>& answers, const std::string& pdfPath);

} // namespace tallivo::cli
