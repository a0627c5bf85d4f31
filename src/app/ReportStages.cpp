// Placeholder report stages and commands, replaced as the reports are built.
#include "app/ReportCommands.h"

namespace tallivo {

void BuildPaymentSummary(AppState& app)
{
    app.SummaryBuilt = true;
    app.Label5 = "PAYMENT DETAIL";
    app.session.Label4 = "Company ID : " + app.session.ctx.CompanyId;
}

void FillReportTable(AppState&) {}

void ToolButton4Click(AppState&, Dialogs&, ReportViewer&) {}

CommandOutcome MCLFeeClick(AppState&, Dialogs& dialogs, ReportViewer&)
{
    dialogs.ShowMessage("The tier-rate report is not available yet");
    return CommandOutcome::Refused;
}

} // namespace tallivo
