// Calculate Tier Rate Report: the seal command's checks on the payment file, then
// its credit records to other banks counted by amount tier and priced per tier.
#include "app/ReportCommands.h"

#include "app/ReportObjects.h"
#include "app/Settings.h"
#include "checking/ValidationPass.h"
#include "common/FileExists.h"
#include "reports/NumberFormat.h"
#include "reports/TierRate.h"

namespace tallivo {

CommandOutcome MCLFeeClick(AppState& app, Dialogs& dialogs, ReportViewer& viewer)
{
    CheckSession& s = app.session;
    const std::string& path = app.edtFileInput;

    // 1-3.
    LoadFeeRanges(app);
    s.ctx.InvalidAccountCount = 0;
    s.SaveErrorEnabled = false;
    if (!FileExists(path)) {
        dialogs.ShowMessage("Input File does not exist");
        return CommandOutcome::Refused;
    }

    // 4-5: the structure.
    if (!CheckFileStructure(app, dialogs, path))
        return CommandOutcome::Refused;

    // 6-7: every field; only invalid home-bank accounts stop the report, other
    // findings stay in the grid beside it.
    ValidatePaymentFile(s, path);
    if (!ResolveInvalidAccounts(app, dialogs))
        return CommandOutcome::Refused;

    // 8-10: fees, counts, totals.
    const Currency fee1 = StrToCurr(app.RangeFee1);
    const Currency fee2 = StrToCurr(app.RangeFee2);
    const Currency fee3 = StrToCurr(app.RangeFee3);
    const FeeVariables variables = ComputeFeeVariables(CountCreditTiers(path), fee1, fee2, fee3);

    // 11: the report.
    ReportObjects& reports = ReportObjectsOf(app);
    LoadReportTemplate(reports.Report5, app.ReportFolder() + "DeductFee.html");
    PreparedReport report;
    report.templateText = reports.Report5;
    for (const auto& [name, value] : variables)
        report.variables[name] = QuotedText(value);
    viewer.Show(ReportDocument{{report}});
    return CommandOutcome::Completed;
}

} // namespace tallivo
