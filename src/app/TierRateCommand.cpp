// Calculate Tier Rate Report: the seal command's checks on the payment file, then
// its credit records to other banks counted by amount tier and priced per tier.
#include "app/TierRateCommand.h"

#include "app/ReportState.h"
#include "app/SealCommand.h"
#include "app/Settings.h"
#include "checking/ValidationPass.h"
#include "common/FileExists.h"
#include "reports/NumberFormat.h"
#include "reports/TierRate.h"

namespace tallivo {

std::optional<ReportDocument> BuildTierRateReport(AppState& app, Dialogs& dialogs)
{
    CheckSession& s = app.session;
    const std::string& path = app.inputPath;

    // The fees and the input file.
    LoadFeeRanges(app);
    s.ctx = CheckContext{}; // a command stopped before its end leaves nothing behind
    app.contextFile = path;
    s.hasFindingsToSave = false;
    if (!FileExists(path)) {
        dialogs.ShowMessage("Input File does not exist");
        return std::nullopt;
    }
    // Held from the first check to the last count: what is counted is what was checked.
    const auto held = HoldPaymentFile(path, "no report was made");

    // The structure.
    if (!CheckFileStructure(app, dialogs, path))
        return std::nullopt;

    // Every field; only invalid home-bank accounts stop the report, other findings
    // stay in the grid beside it.
    progress::Stage("Validating");
    {
        const TablesLock tables(app);
        ValidatePaymentFile(s, path);
    }
    if (!ResolveInvalidAccounts(app, dialogs))
        return std::nullopt;

    // Fees, counts, totals.
    progress::Stage("Preparing report");
    const Currency fee1 = FeeAmount(app.rangeFee1);
    const Currency fee2 = FeeAmount(app.rangeFee2);
    const Currency fee3 = FeeAmount(app.rangeFee3);
    const FeeVariables variables = ComputeFeeVariables(CountCreditTiers(path), fee1, fee2, fee3);
    held->CheckUnchanged();

    // The report.
    ReportObjects& reports = ReportObjectsOf(app);
    LoadReportTemplate(reports.deductFee, app.ReportFolder() + "DeductFee.html");
    PreparedReport report;
    report.templateText = reports.deductFee;
    for (const auto& [name, value] : variables)
        report.variables[name] = QuotedText(value);
    // Above the table: which payment file and which company the fees are for.
    report.variables["fileName"] = QuotedText(path);
    report.variables["comId"] = QuotedText(s.ctx.companyId);
    return ReportDocument{{report}, app.inputPath};
}

} // namespace tallivo
