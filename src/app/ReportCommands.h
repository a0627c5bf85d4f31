#pragma once
// The report stages of the seal command and the report commands.
#include "app/AppState.h"

namespace tallivo {

// Turns the result grid into the payment summary and fills the detail table.
void BuildPaymentSummary(AppState& app);
// Copies the summary lines of the grid into the report table.
void FillReportTable(AppState& app);

} // namespace tallivo
