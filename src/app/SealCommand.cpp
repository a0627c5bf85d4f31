// The check and seal commands: both check the payment file completely; the seal, when
// the file is acceptable, seals it and packs the sealed output into the zip archive.
#include "app/SealCommand.h"

#include "app/OutputTargets.h"
#include "app/ReportCommands.h"
#include "checking/AccountRowStore.h"
#include "checking/StrictChecks.h"
#include "checking/StructureChecks.h"
#include "checking/ValidationPass.h"
#include "common/AppError.h"
#include "common/CommandProgress.h"
#include "common/FileExists.h"
#include "common/FilePaths.h"
#include "common/ReplacingFile.h"
#include "common/SignalCleanup.h"
#include "common/TestHooks.h"
#include "format/ReadAheadReader.h"
#include "sealing/Normalise.h"
#include "sealing/SealedOutput.h"
#include "zip/DeflatedEntry.h"
#include "zip/ZipOutput.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <future>
#include <memory>

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
        if (RefuseUnsafeOutputs(app, dialogs, {}))
            return false;
    }
    return true;
}

// Raises the error that writing the seal's files would raise, writing nothing: the
// payment file must be replaceable (normalisation), then the new file, then the archive,
// in the order the seal writes them.
void CheckSealTargets(const AppState& app)
{
    CheckPaymentFileReplaceable(app.inputPath);
    if (app.outputMode == OutputMode::NewFile)
        CheckCanReplace(app.newFilePath);
    CheckZipTarget(ZipArchiveName(app.zipName));
}

// The validation pass run ahead, in the structure checks' read of the file, into a
// session of its own: its findings, context values and addAccBatchError row become the
// command's only when the command reaches its validation stage (Commit). Dropped before,
// it leaves the session and the table files as they were. Its owner holds the table files
// from the start, as the validation pass does.
class EarlyValidation
{
public:
    explicit EarlyValidation(AppState& app) : m_app(app), m_pass(app.session) {}
    ~EarlyValidation()
    {
        if (!m_committed && m_pass.accountRow != nullptr)
            m_pass.accountRow->Forget();
    }
    EarlyValidation(const EarlyValidation&) = delete;
    EarlyValidation& operator=(const EarlyValidation&) = delete;

    // Runs the pass over the read's lines. An error that ends it is kept for Commit; the
    // read then goes on for the structure checks alone.
    void Run(ReadAheadReader& lines)
    {
        try {
            RunValidationPass(m_pass, lines);
        } catch (const CommandCancelled&) {
            throw;
        } catch (...) {
            m_error = std::current_exception();
            lines.StopTaking();
        }
    }

    // The command's validation stage: the pass's results become the session's, its row is
    // written, and the error that ended it, if any, goes on from here.
    void Commit()
    {
        m_committed = true;
        CheckSession& s = m_app.session;
        s.grid = std::move(m_pass.grid);
        s.ctx = m_pass.ctx;
        s.passLine = m_pass.passLine;
        s.statusText = m_pass.statusText;
        s.hasFindingsToSave = m_pass.hasFindingsToSave;
        if (s.accountRow != nullptr) {
            try {
                s.accountRow->Flush();
            } catch (...) {
                if (!m_error)
                    throw;
                // The error that ended the pass is the one the user sees.
            }
        }
        if (m_error)
            std::rethrow_exception(m_error);
    }

private:
    AppState& m_app;
    CheckSession m_pass;
    std::exception_ptr m_error;
    bool m_committed = false;
};

// The structure checks, from one read of the file that also counts the express cheques
// for the check that follows them; given somewhere to keep it (early), the same read runs
// the validation pass ahead, on a second thread. False when refused (the refusal has been
// shown).
bool CheckStructureInOneRead(AppState& app, Dialogs& dialogs, const std::string& path, LineForm form,
                             std::unique_ptr<EarlyValidation>* early, bool& exceedsExpressLimit)
{
    progress::Stage("Checking record types");
    CheckSession& s = app.session;
    BeginRecordTypeCheck(s);
    StructureScan scan;
    if (early) {
        *early = std::make_unique<EarlyValidation>(app);
        StructureScanner scanner;
        ReadAheadReader lines(path, form, [&scanner](const PaymentLine& line, std::uint64_t number) {
            scanner.Add(line, number);
            return !scanner.Refusing(); // a refused file is not validated
        });
        (*early)->Run(lines);
        lines.Finish();
        scan = scanner.Take();
    } else {
        scan = ScanStructure(path);
    }
    exceedsExpressLimit = scan.exceedsExpressChequeLimit;
    const char* status = nullptr;
    if (!EndRecordTypeCheck(s, scan))
        status = "Record type invalid code";
    else if (!CheckRecordLengths(s, scan))
        status = "Length in record invalid";
    if (!status)
        return true;
    dialogs.ShowMessage(kErrorData);
    s.hasFindingsToSave = true;
    s.statusText = status;
    return false;
}

// The sealed output under its temporary name, and its bytes deflated for the archive.
struct SealedParts
{
    PreparedOutput sealed;
    std::unique_ptr<DeflatedEntry> deflated; // none for an output without records
};

// Makes the sealed output on a second thread from the start of the seal, from the payment
// file's lines as normalisation writes them, so its hash and compression run while the
// file is checked, validated and summarised. Nothing of
// it shows before Take: an error it meets is raised there, where the seal writes its
// output. Dropped untaken (the command stopped before sealing), it stops and leaves no
// file behind.
class SealedOutputMaker
{
public:
    SealedOutputMaker(const std::string& paymentPath, const std::string& outputPath, bool beneChargeFlag,
                      LineForm form)
    {
        m_made = std::async(std::launch::async, [this, paymentPath, outputPath, beneChargeFlag, form] {
            SealedParts parts;
            parts.sealed = PrepareSealedOutput(
                paymentPath, outputPath, beneChargeFlag, [&](const char* data, std::size_t size) {
                    if (m_stop.load(std::memory_order_relaxed))
                        throw Stopped{};
                    if (!parts.deflated)
                        parts.deflated = std::make_unique<DeflatedEntry>(FolderOf(FollowLinks(outputPath)));
                    parts.deflated->Add(data, size);
                },
                form);
            if (parts.deflated)
                parts.deflated->Finish(parts.sealed.hash + "\r\n");
            return parts;
        });
    }
    ~SealedOutputMaker()
    {
        m_stop = true;
        if (m_made.valid()) {
            try {
                m_made.get();
            } catch (...) {
                // Not taken: the command stopped before sealing, and so does this.
            }
        }
    }
    SealedOutputMaker(const SealedOutputMaker&) = delete;
    SealedOutputMaker& operator=(const SealedOutputMaker&) = delete;

    // Waits for the output; raises what making it raised.
    SealedParts Take() { return m_made.get(); }

private:
    struct Stopped
    {
    };
    std::atomic<bool> m_stop{false};
    std::future<SealedParts> m_made;
};

// The normalisation of a payment file that its seal replaces. The sealed output is made
// from the lines as normalisation writes them, so a seal that completes writes the file
// once, with its output; a seal that stops short of that writes the normalised file
// then, and leaves it as a seal that normalised first would have. A cancelled command,
// and a file that another program has changed, are left as they are.
class DeferredNormalisation
{
public:
    DeferredNormalisation(std::string path, HeldFile* held) : m_path(std::move(path)), m_held(held) {}

    // The sealed output has replaced the file: nothing is left to write.
    void Dismiss() { m_due = false; }
    // The seal stops here: writes the normalised file.
    void Write()
    {
        if (!m_due)
            return;
        m_due = false;
        m_held->CheckUnchanged();
        NormaliseCreditRecords(m_path, m_held);
    }
    // An error stops the seal: writes the normalised file if it can; the error that
    // stopped the seal is the one the user sees.
    void WriteAfterError() noexcept
    {
        if (!m_due || progress::Cancelling())
            return;
        m_due = false;
        try {
            if (m_held->Unchanged())
                NormaliseCreditRecords(m_path, m_held);
        } catch (...) {
            // Left as it was.
        }
    }

private:
    std::string m_path;
    HeldFile* m_held;
    bool m_due = true;
};

// What a command does ahead, while the payment file is first read, to be taken when the
// command reaches the stage it belongs to, or dropped.
struct WorkAhead
{
    // The table files, held from the start while table work is done ahead (taken only if
    // free at once; otherwise each stage takes them when it comes, as it would alone).
    std::unique_ptr<TablesLock> tables;
    std::unique_ptr<EarlyValidation> validation; // with the table files only
    std::unique_ptr<SummaryAhead> summary;       // the seal's, with the table files only
    std::unique_ptr<SealedOutputMaker> output;   // the seal's

    // Lets go of the table files, dropping the summary made ahead.
    void ReleaseTables()
    {
        summary.reset();
        tables.reset();
    }
    // Stops and drops everything not taken.
    void Drop()
    {
        output.reset();
        ReleaseTables();
        validation.reset();
    }
};

CommandOutcome ValidateAndSeal(AppState& app, Dialogs& dialogs, SealMode mode, HeldFile* held, LineForm form,
                               DeferredNormalisation* normalisation, WorkAhead& ahead);

// Everything after the inputs: the checks of the file and, for the seal, the seal, on
// the payment file that held holds (none for the checks alone).
CommandOutcome RunFileSteps(AppState& app, Dialogs& dialogs, SealMode mode, HeldFile* held)
{
    const std::string& path = app.inputPath;
    // The seal reads every line as normalisation writes it (the same, once written).
    const LineForm form = mode == SealMode::Seal ? LineForm::Normalised : LineForm::AsInFile;
    // The seal's output, its summary and the validation pass are made meanwhile, from the
    // start: each is dropped if the command stops before its stage.
    WorkAhead ahead;
    if (mode == SealMode::Seal)
        ahead.output = std::make_unique<SealedOutputMaker>(
            path, app.outputMode == OutputMode::Replace ? app.inputPath : app.newFilePath, app.beneChargeFlag, form);
    ahead.tables = TablesLock::IfFree(app);
    if (ahead.tables && mode == SealMode::Seal)
        ahead.summary = std::make_unique<SummaryAhead>(app, form);

    // The structure.
    bool exceedsExpressLimit = false;
    if (!CheckStructureInOneRead(app, dialogs, path, form, ahead.tables ? &ahead.validation : nullptr,
                                 exceedsExpressLimit))
        return CommandOutcome::Refused;

    // The express cheque limit.
    if (exceedsExpressLimit) {
        dialogs.MessageDlg("Error Data.  Express Cheque should not more than  20 transaction ", MsgKind::Error,
                           {MsgButton::Ok});
        return CommandOutcome::Refused;
    }

    progress::Stage("Validating");
    if (mode == SealMode::CheckOnly)
        return ValidateAndSeal(app, dialogs, mode, held, form, nullptr, ahead);

    // Nothing changes before everything can be written.
    held->CheckUnchanged();
    CheckSealTargets(app);
    PauseAt("checked");
    if (app.outputMode == OutputMode::NewFile) {
        // The payment file stays, normalised: from here on the file on disk is the normalised one.
        NormaliseCreditRecords(path, held);
        held->CheckUnchanged();
        PauseAt("normalised");
        return ValidateAndSeal(app, dialogs, mode, held, form, nullptr, ahead);
    }
    // The sealed output replaces the payment file: from here on its lines are read as
    // normalisation writes them, and the normalised file is written only if the seal stops.
    DeferredNormalisation normalisation(path, held);
    PauseAt("normalised");
    CommandOutcome outcome = CommandOutcome::Refused;
    try {
        outcome = ValidateAndSeal(app, dialogs, mode, held, form, &normalisation, ahead);
    } catch (...) {
        ahead.Drop();
        normalisation.WriteAfterError();
        throw;
    }
    ahead.Drop();
    normalisation.Write();
    return outcome;
}

// The checks of every field and, for the seal, the summary, the report tables, the
// sealed output and the archive, on the payment file's lines in the given form.
CommandOutcome ValidateAndSeal(AppState& app, Dialogs& dialogs, SealMode mode, HeldFile* held, LineForm form,
                               DeferredNormalisation* normalisation, WorkAhead& ahead)
{
    CheckSession& s = app.session;
    const std::string& path = app.inputPath;
    const bool replace = app.outputMode == OutputMode::Replace;
    const std::string output = replace ? app.inputPath : app.newFilePath;

    // Every field of every record.
    {
        const TablesLock tables(app);
        if (ahead.validation)
            ahead.validation->Commit();
        else
            ValidatePaymentFile(s, path, form);
    }
    if (!s.ctx.dataValid) {
        dialogs.ShowMessage(kErrorData);
        return CommandOutcome::Refused;
    }

    // Invalid home-bank accounts of debit records (the checks alone never ask). No table
    // file is held while the user answers.
    if (mode == SealMode::CheckOnly && s.ctx.invalidAccountCount > 0)
        return CommandOutcome::Refused;
    if (s.ctx.invalidAccountCount > 0)
        ahead.ReleaseTables();
    if (!ResolveInvalidAccounts(app, dialogs))
        return CommandOutcome::Refused;
    if (mode == SealMode::CheckOnly)
        return CommandOutcome::Completed;

    // Summary and report tables.
    progress::Stage("Sealing");
    {
        const TablesLock tables(app);
        if (!ahead.summary || !ahead.summary->PutInPlace(app))
            BuildPaymentSummary(app, form);
        FillReportTable(app);
    }
    ahead.ReleaseTables();
    held->CheckUnchanged();
    PauseAt("tables-written");

    // The sealed output (made meanwhile) and the archive, each written in full under a
    // temporary name before either takes its place: a failure to write leaves both places
    // as they were.
    SealedParts parts = ahead.output->Take();
    PreparedOutput& sealed = parts.sealed;
    PauseAt("output-written");
    progress::Stage("Compressing");
    PreparedArchive archive(ZipArchiveName(app.zipName), sealed.file->TempPath(), output, parts.deflated.get());
    PauseAt("archive-written");
    {
        const SignalShield shield; // a signal now waits until both are in place, or neither
        held->CheckUnchanged();
        archive.Commit();
        try {
            sealed.file->Commit(replace ? held : nullptr);
        } catch (...) {
            archive.Undo();
            throw;
        }
        if (normalisation)
            normalisation->Dismiss();
    }
    app.hashValue = sealed.hash;

    dialogs.ShowMessage("Generate hash value and add file to " + app.zipName + " completed");
    return CommandOutcome::Completed;
}

// The file steps under the rules: a file with strict findings is never sealed, nor
// normalised. The other checks run on it as for the check alone and its strict findings
// join theirs, also when an error ends those checks.
CommandOutcome RunUnderRules(AppState& app, Dialogs& dialogs, SealMode mode, FileRules rules, HeldFile* held)
{
    if (rules == FileRules::Standard)
        return RunFileSteps(app, dialogs, mode, held);
    CheckSession& s = app.session;
    const std::vector<StrictFinding> strict = FindStrictFindings(app.inputPath);
    if (strict.empty())
        return RunFileSteps(app, dialogs, mode, held);
    CommandOutcome outcome = CommandOutcome::Refused;
    try {
        outcome = RunFileSteps(app, dialogs, SealMode::CheckOnly, nullptr);
    } catch (...) {
        AddStrictFindings(s, strict);
        throw;
    }
    AddStrictFindings(s, strict);
    if (outcome == CommandOutcome::Completed)
        dialogs.ShowMessage(kErrorData);
    return CommandOutcome::Refused;
}

CommandOutcome RunSealSteps(AppState& app, Dialogs& dialogs, SealMode mode, FileRules rules)
{
    if (!AcceptInputs(app, dialogs, mode))
        return CommandOutcome::Refused;

    // The seal holds the payment file from its first check to its last write: what is
    // sealed is what was checked.
    std::unique_ptr<HeldFile> held;
    if (mode == SealMode::Seal)
        held = HoldPaymentFile(app.inputPath, "it was not sealed and no zip file was written");
    try {
        const CommandOutcome outcome = RunUnderRules(app, dialogs, mode, rules, held.get());
        if (held && outcome == CommandOutcome::Refused)
            held->CheckUnchanged(); // findings in a file that another program was changing
        return outcome;
    } catch (const AppError&) {
        // A failure caused by another program's change is told as that change.
        if (held)
            held->CheckUnchanged();
        throw;
    }
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

std::unique_ptr<HeldFile> HoldPaymentFile(const std::string& path, const std::string& stopped)
{
    return std::make_unique<HeldFile>(
        path, "The payment file " + path + " is in use by another Tallivo command; try again when it has finished",
        "The payment file " + path + " was changed by another program while Tallivo worked on it; " + stopped);
}

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
    bool exceedsExpressLimit = false;
    return CheckStructureInOneRead(app, dialogs, path, LineForm::AsInFile, nullptr, exceedsExpressLimit);
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
