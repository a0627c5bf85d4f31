#include "app/ReportCommands.h"

namespace tallivo {

void BuildPaymentSummary(AppState& app)
{
    app.SummaryBuilt = true;
    app.Label5 = "PAYMENT DETAIL";
    app.session.Label4 = "Company ID : " + app.session.ctx.CompanyId;
}

void FillReportTable(AppState&)
{
}

} // namespace tallivo
