#pragma once
// Calculate Tier Rate Report.
#include "app/AppState.h"
#include "app/Dialogs.h"
#include "reports/ReportDocument.h"

#include <optional>

namespace tallivo {

// Checks the payment file at inputPath like the seal command, then counts its credit
// records to other banks by amount tier and prices them with the fees of the settings.
// Returns the fee report (the DeductFee template and its eight variables), or nothing
// when the command stopped at a refusal it has shown. Holds the payment file like the
// seal command (HoldPaymentFile).
std::optional<ReportDocument> BuildTierRateReport(AppState& app, Dialogs& dialogs);

} // namespace tallivo
