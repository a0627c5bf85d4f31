// The check and seal commands: both check the payment file completely; the seal, when
// the file is acceptable, seals it and packs the sealed output into the zip archive.
#include "app/SealCommand.h"

#include "app/ReportCommands.h"
#include "checking/ExpressCheques.h"
#include "checking/StrictChecks.h"
#include "checking/StructureChecks.h"
#include "checking/ValidationPass.h"
#include "common/FileExists.h"
#include "sealing/Normalise.h"
#include "sealing/SealedOutput.h"
#include "zip/ZipOutput.h"

#include <algorithm>
#include <cctype>

namespace tallivo {

namespace {

const char* const kErrorData = "Error Data !";
const char* const kInvalidAccountQuestion = "There are some invalid Orvane Account.  Please choose action to do. ";

// How far a run of the checks goes: the whole seal, or the checks alone (nothing
// written, no invalid-account question).
enum class SealMode { Seal, CheckOnly };

// The inputs: the payment file exists and, for the seal, the output choices are
// acceptable. False when refused (the refusal has been shown).
bool AcceptInputs(AppState& app, Dialogs& dialogs, SealMode mode)
{
    CheckSession& s = app.session;
    s.ctx.invalidAccountCount = 0;
    s.hasFindingsToSave = false;
    if (!FileExists(app.inputPath)) {
        dialogs.ShowMessage("Input File does not exist");
        return false;
    }
    if (mode == SealMode::Seal) {
        if (app.outputMode == OutputMode::NewFile && app.newFilePath.empty()) {
            dialogs.ShowMessage("If you select new file for output , should be insert file name");
            return false;
        }
        if (app.zipName.empty()) {
            dialogs.ShowMessage("Please insert zip file name");
            return false;
        }
        if (!IsValidZipName(app.zipName)) {
            dialogs.ShowMessage("Invalid zip file name");
            return false;
        }
    }
    return true;
}

// Everything after the inputs: the checks of the file and, for the seal, the seal.
CommandOutcome RunFileSteps(AppState& app, Dialogs& dialogs, SealMode mode)
{
    CheckSession& s = app.session;
    const std::string& path = app.inputPath;

    // The structure.
    if (!CheckFileStructure(app, dialogs, path))
        return CommandOutcome::Refused;

    // The express cheque limit.
    if (ExceedsExpressChequeLimit(path)) {
        dialogs.MessageDlg("Error Data.  Express Cheque should not more than  20 transaction ", MsgKind::Error,
                           {MsgButton::Ok});
        return CommandOutcome::Refused;
    }

    // From here on the file on disk is the normalised one.
    if (mode == SealMode::Seal)
        NormaliseCreditRecords(path);

    // Every field of every record.
    ValidatePaymentFile(s, path);
    if (!s.ctx.dataValid) {
        dialogs.ShowMessage(kErrorData);
        return CommandOutcome::Refused;
    }

    // Invalid home-bank accounts of debit records (the checks alone never ask).
    if (mode == SealMode::CheckOnly && s.ctx.invalidAccountCount > 0)
        return CommandOutcome::Refused;
    if (!ResolveInvalidAccounts(app, dialogs))
        return CommandOutcome::Refused;
    if (mode == SealMode::CheckOnly)
        return CommandOutcome::Completed;

    // Summary, report table, sealed output and archive.
    BuildPaymentSummary(app);
    FillReportTable(app);
    const std::string output = app.outputMode == OutputMode::Replace ? app.inputPath : app.newFilePath;
    app.hashValue = WriteSealedOutput(path, output, app.beneChargeFlag);
    ZipOutput(ZipArchiveName(app.zipName), output);

    dialogs.ShowMessage("Generate hash value and add file to " + app.zipName + " completed");
    return CommandOutcome::Completed;
}

CommandOutcome RunSealSteps(AppState& app, Dialogs& dialogs, SealMode mode, FileRules rules)
{
    if (!AcceptInputs(app, dialogs, mode))
        return CommandOutcome::Refused;
    if (rules == FileRules::Standard)
        return RunFileSteps(app, dialogs, mode);

    // The strict rules: a file with strict findings is never sealed, nor normalised.
    // The other checks run on it as for the check alone and its strict findings join
    // theirs, also when an error ends those checks.
    CheckSession& s = app.session;
    const std::vector<StrictFinding> strict = FindStrictFindings(app.inputPath);
    if (strict.empty())
        return RunFileSteps(app, dialogs, mode);
    CommandOutcome outcome = CommandOutcome::Refused;
    try {
        outcome = RunFileSteps(app, dialogs, SealMode::CheckOnly);
    } catch (...) {
        AddStrictFindings(s, strict);
        throw;
    }
    AddStrictFindings(s, strict);
    if (outcome == CommandOutcome::Completed)
        dialogs.ShowMessage(kErrorData);
    return CommandOutcome::Refused;
}

// Both commands start afresh: no summary, no hash value, no captions, an empty grid.
CommandOutcome StartAfresh(AppState& app, Dialogs& dialogs, SealMode mode, FileRules rules)
{
    app.summaryBuilt = false;
    app.hashValue.clear();
    app.summaryCaption.clear();
    app.session.statusText.clear();
    app.session.strictFindings.clear();
    app.session.passLine = 0;
    app.session.ResetErrorGrid();
    return RunSealSteps(app, dialogs, mode, rules);
}

} // namespace

bool IsValidZipName(const std::string& zipName)
{
    const auto dot = zipName.find_last_of('.');
    const auto sep = zipName.find_last_of("\\:/");
    if (dot == std::string::npos || (sep != std::string::npos && dot < sep))
        return true; // no extension
    std::string ext = zipName.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::toupper(c); });
    return ext == ".ZIP";
}

void ConfirmIgnoreInvalidAccounts(AppState& app, Dialogs& dialogs)
{
    CheckSession& s = app.session;
    if (app.invalidAccountAnswer == MsgButton::Ignore) {
        const MsgButton answer = dialogs.MessageDlg("Please Confirm to Ignore invalid Orvane Account. ",
                                                    MsgKind::Confirmation, {MsgButton::Yes, MsgButton::Cancel});
        if (answer == MsgButton::Yes) {
            s.ctx.dataValid = true;
        } else if (answer == MsgButton::Cancel) {
            s.ctx.dataValid = false;
            s.FlagInvalidData();
        }
    } else if (app.invalidAccountAnswer == MsgButton::Abort) {
        s.ctx.dataValid = false;
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
    s.hasFindingsToSave = true;
    s.statusText = status;
    return false;
}

bool ResolveInvalidAccounts(AppState& app, Dialogs& dialogs)
{
    if (app.session.ctx.invalidAccountCount <= 0)
        return true;
    app.invalidAccountAnswer =
        dialogs.MessageDlg(kInvalidAccountQuestion, MsgKind::Warning, {MsgButton::Abort, MsgButton::Ignore});
    if (app.invalidAccountAnswer != MsgButton::Abort && app.invalidAccountAnswer != MsgButton::Ignore)
        return false;
    ConfirmIgnoreInvalidAccounts(app, dialogs);
    if (!app.session.ctx.dataValid) {
        dialogs.MessageDlg("Error Data", MsgKind::Error, {MsgButton::Ok});
        return false;
    }
    return true;
}

CommandOutcome CheckPaymentFile(AppState& app, Dialogs& dialogs, FileRules rules)
{
    return StartAfresh(app, dialogs, SealMode::CheckOnly, rules);
}

CommandOutcome SealPaymentFile(AppState& app, Dialogs& dialogs, FileRules rules)
{
    return StartAfresh(app, dialogs, SealMode::Seal, rules);
}

} // namespace tallivo
