// Calculate Tier Rate Report: the seal command's checks on the payment file, then
// its credit records to other banks counted by amount tier and priced per tier.
#include "app/ReportCommands.h"

#include "app/ReportObjects.h"
#include "app/Settings.h"
#include "checking/StructureChecks.h"
#include "checking/ValidationPass.h"
#include "reports/NumberFormat.h"
#include "reports/TierRate.h"

namespace tallivo {

namespace {
const char* const kErrorData = "Error Data !";
} // namespace

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
    if (!CheckRecordTypes(s, path)) {
        dialogs.ShowMessage(kErrorData);
        s.SaveErrorEnabled = true;
        s.Label4 = "Record type invalid code";
        return CommandOutcome::Refused;
    }
    if (!CheckRecordLengths(s, path)) {
        dialogs.ShowMessage(kErrorData);
        s.SaveErrorEnabled = true;
        s.Label4 = "Length in record invalid";
        return CommandOutcome::Refused;
    }

    // 6-7: every field; only invalid home-bank accounts stop the report, other
    // findings stay in the grid beside it.
    ValidatePaymentFile(s, path);
    if (s.ctx.InvalidAccountCount > 0) {
        app.InvalidAccountAnswer =
            dialogs.MessageDlg("There are some invalid Orvane Account.  Please choose action to do. ", MsgKind::Warning,
                               {MsgButton::Abort, MsgButton::Ignore});
        if (app.InvalidAccountAnswer != MsgButton::Abort && app.InvalidAccountAnswer != MsgButton::Ignore)
            return CommandOutcome::Refused;
        ConfirmIgnoreInvalidAccounts(app, dialogs);
        if (!s.ctx.DataValid) {
            dialogs.MessageDlg("Error Data", MsgKind::Error, {MsgButton::Ok});
            return CommandOutcome::Refused;
        }
    }

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
