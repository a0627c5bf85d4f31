// The seal command: checks the payment file completely and, when it is acceptable,
// seals it and packs the sealed output into the zip archive.
#include "app/Commands.h"

#include "checking/ExpressCheques.h"
#include "common/FileExists.h"
#include "checking/StructureChecks.h"
#include "checking/ValidationPass.h"
#include "app/ReportCommands.h"
#include "sealing/Normalise.h"
#include "sealing/SealedOutput.h"
#include "zip/ZipOutput.h"

#include <algorithm>
#include <cctype>

namespace tallivo {

namespace {
const char* const kErrorData = "Error Data !";
const char* const kInvalidAccountQuestion = "There are some invalid Orvane Account.  Please choose action to do. ";
} // namespace

bool IsValidZipName(const std::string& zipBoxText)
{
    const auto dot = zipBoxText.find_last_of('.');
    const auto sep = zipBoxText.find_last_of("\\:/");
    if (dot == std::string::npos || (sep != std::string::npos && dot < sep))
        return true; // no extension
    std::string ext = zipBoxText.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::toupper(c); });
    return ext == ".ZIP";
}

void ConfirmIgnoreInvalidAccounts(AppState& app, Dialogs& dialogs)
{
    CheckSession& s = app.session;
    if (app.InvalidAccountAnswer == MsgButton::Ignore) {
        const MsgButton answer = dialogs.MessageDlg("Please Confirm to Ignore invalid Orvane Account. ",
                                                    MsgKind::Confirmation, {MsgButton::Yes, MsgButton::Cancel});
        if (answer == MsgButton::Yes) {
            s.ctx.DataValid = true;
        } else if (answer == MsgButton::Cancel) {
            s.ctx.DataValid = false;
            s.FlagInvalidData();
        }
    } else if (app.InvalidAccountAnswer == MsgButton::Abort) {
        s.ctx.DataValid = false;
        s.FlagInvalidData();
    }
}

bool CheckFileStructure(AppState& app, Dialogs& dialogs, const std::string& path)
{
    CheckSession& s = app.session;
    const char* status = nullptr;
    if (!CheckRecordTypes(s, path))
        status = "Record type invalid code";
    else if (!CheckRecordLengths(s, path))
        status = "Length in record invalid";
    if (!status)
        return true;
    dialogs.ShowMessage(kErrorData);
    s.SaveErrorEnabled = true;
    s.Label4 = status;
    return false;
}

bool ResolveInvalidAccounts(AppState& app, Dialogs& dialogs)
{
    if (app.session.ctx.InvalidAccountCount <= 0)
        return true;
    app.InvalidAccountAnswer =
        dialogs.MessageDlg(kInvalidAccountQuestion, MsgKind::Warning, {MsgButton::Abort, MsgButton::Ignore});
    if (app.InvalidAccountAnswer != MsgButton::Abort && app.InvalidAccountAnswer != MsgButton::Ignore)
        return false;
    ConfirmIgnoreInvalidAccounts(app, dialogs);
    if (!app.session.ctx.DataValid) {
        dialogs.MessageDlg("Error Data", MsgKind::Error, {MsgButton::Ok});
        return false;
    }
    return true;
}

CommandOutcome ToolButton3Click(AppState& app, Dialogs& dialogs, SealMode mode)
{
    app.SummaryBuilt = false;
    app.edtHashvalue.clear();
    app.Label5.clear();
    app.session.Label4.clear();
    app.session.ResetErrorGrid();
    return GenerateHashFile(app, dialogs, mode);
}

CommandOutcome GenerateHashFile(AppState& app, Dialogs& dialogs, SealMode mode)
{
    CheckSession& s = app.session;
    const std::string& path = app.edtFileInput;

    // 1-5: the inputs.
    s.ctx.InvalidAccountCount = 0;
    s.SaveErrorEnabled = false;
    if (!FileExists(path)) {
        dialogs.ShowMessage("Input File does not exist");
        return CommandOutcome::Refused;
    }
    if (mode == SealMode::Seal) {
        if (!app.rdoReplace && app.edtNewFile.empty()) {
            dialogs.ShowMessage("If you select new file for output , should be insert file name");
            return CommandOutcome::Refused;
        }
        if (app.edtZip.empty()) {
            dialogs.ShowMessage("Please insert zip file name");
            return CommandOutcome::Refused;
        }
        if (!IsValidZipName(app.edtZip)) {
            dialogs.ShowMessage("Invalid zip file name");
            return CommandOutcome::Refused;
        }
    }

    // 6-7: the structure.
    if (!CheckFileStructure(app, dialogs, path))
        return CommandOutcome::Refused;

    // 8: the express cheque limit.
    if (ExceedsExpressChequeLimit(path)) {
        dialogs.MessageDlg("Error Data.  Express Cheque should not more than  20 transaction ", MsgKind::Error,
                           {MsgButton::Ok});
        return CommandOutcome::Refused;
    }

    // 9: from here on the file on disk is the normalised one.
    if (mode == SealMode::Seal)
        NormaliseCreditRecords(path);

    // 10-11: every field of every record.
    ValidatePaymentFile(s, path);
    if (!s.ctx.DataValid) {
        dialogs.ShowMessage(kErrorData);
        return CommandOutcome::Refused;
    }

    // 12: invalid home-bank accounts of debit records (the checks alone never ask).
    if (mode == SealMode::CheckOnly && s.ctx.InvalidAccountCount > 0)
        return CommandOutcome::Refused;
    if (!ResolveInvalidAccounts(app, dialogs))
        return CommandOutcome::Refused;
    if (mode == SealMode::CheckOnly)
        return CommandOutcome::Completed;

    // 13: summary, report table, sealed output and archive.
    BuildPaymentSummary(app);
    FillReportTable(app);
    const std::string output = app.rdoReplace ? app.edtFileInput : app.edtNewFile;
    app.edtHashvalue = WriteSealedOutput(path, output, app.BeneChargeFlag);
    ZipOutput(ZipArchiveName(app.edtZip), output);

    // 14.
    dialogs.ShowMessage("Generate hash value and add file to " + app.edtZip + " completed");
    return CommandOutcome::Completed;
}

} // namespace tallivo
