// The check and seal commands: both check the payment file completely; the seal, when
// the file is acceptable, seals it and packs the sealed output into the zip archive.
#include "app/SealCommand.h"

#include "app/OutputTargets.h"
#include "app/ReportCommands.h"
#include "app/SealRun.h"
#include "checking/AccountRowStore.h"
#include "checking/StrictChecks.h"
#include "checking/StructureChecks.h"
#include "checking/ValidationPass.h"
#include "common/AppError.h"
#include "common/CommandProgress.h"
#include "common/FileExists.h"
#include "common/FilePaths.h"
#include "common/InputFile.h"
#include "common/ReplacingFile.h"
#include "common/SignalCleanup.h"
#include "common/TestHooks.h"
#include "common/WriteAll.h"
#include "format/SharedRead.h"
#include "sealing/Normalise.h"
#include "sealing/SealedOutput.h"
#include "zip/DeflatedEntry.h"
#include "zip/ZipOutput.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <memory>
#include <optional>

namespace tallivo {

namespace {

const char* const kErrorData = "Error Data !";
const char* const kInvalidAccountQuestion = "There are some invalid Orvane Account.  Please choose action to do. ";

// The inputs: the payment file exists and, for the seal, the output choices are
// acceptable. False when refused (the refusal has been shown).
bool AcceptInputs(AppState& app, Dialogs& dialogs, SealMode mode)
{
    if (!FileExists(app.inputPath)) {
        dialogs.ShowMessage("Input File does not exist");
        return false;
    }
    if (mode == SealMode::CheckOnly)
        return true;
    const char* refusal = nullptr;
    if (app.outputMode == OutputMode::NewFile && app.newFilePath.empty())
        refusal = "If you select new file for output , should be insert file name";
    else if (app.zipName.empty())
        refusal = "Please insert zip file name";
    else if (!IsValidZipName(app.zipName))
        refusal = "Invalid zip file name";
    if (refusal) {
        dialogs.ShowMessage(refusal);
        return false;
    }
    return !RefuseUnsafeOutputs(app, dialogs, {});
}

// Raises the error that writing the seal's files would raise, writing nothing: the
// payment file must be replaceable (normalisation), then the new file, then the archive,
// in the order the seal writes them.
void CheckSealTargets(const SealPlan& plan)
{
    CheckPaymentFileReplaceable(plan.input);
    if (!plan.replace)
        CheckCanReplace(plan.output);
    CheckZipTarget(plan.archive);
}

// The structure checks' findings from what the read's scan found. False when refused
// (the refusal has been shown).
bool JudgeStructure(AppState& app, Dialogs& dialogs, const StructureScan& scan)
{
    CheckSession& s = app.session;
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

// One run of the check or the seal over a payment file. Its stages, in order:
//   1. Read      the payment file once; its lines go to the structure scan (on the
//                reading thread), the validation pass (on this thread) and, for the
//                seal, the sealed output (on its own thread); the payment summary reads
//                the held file on a thread of its own
//   2. Structure the record type and length findings; the express cheque limit
//   3. Targets   (seal) the file still as held; every file the seal writes writable
//   4. Normalise (seal) the normalised payment file, with a new output file: made now
//   5. Validate  the pass's findings become the command's; its addAccBatchError row
//   6. Accounts  invalid home-bank accounts asked about (the check refuses them)
//   7. Tables    (seal) the payment summary and the report tables
//   8. Output    (seal) the sealed output taken, the archive made
//   9. Commit    what stages 4-8 made ready, put in place in that order; the message
// Nothing is put in place before stage 9 (or before a refusal ends the run), so Cancel
// works until then. What work ahead made is dropped when the run stops before its stage.
class SealRun
{
public:
    SealRun(AppState& app, Dialogs& dialogs, SealPlan plan, HeldFile& held)
        : m_app(app), m_dialogs(dialogs), m_plan(std::move(plan)), m_held(held)
    {
    }

    CommandOutcome Stages()
    {
        m_tables = TablesLock::IfFree(m_app);
        if (!ReadAndJudgeStructure())
            return CommandOutcome::Refused;
        progress::Stage("Validating");
        if (m_plan.Sealing())
            CheckTargetsAndNormalise();
        if (!Validate() || !ResolveAccounts())
            return Ended(CommandOutcome::Refused);
        if (!m_plan.Sealing())
            return Ended(CommandOutcome::Completed);
        progress::Stage("Sealing");
        WriteReportTables();
        MakeOutputAndArchive();
        CommitSeal();
        m_dialogs.ShowMessage("Generate hash value and add file to " + m_plan.zipName + " completed");
        return CommandOutcome::Completed;
    }

    // An error ended the run: what it had made ready is committed as far as it goes, unless
    // the error is another program's change of the payment file.
    void AfterError() noexcept
    {
        if (!m_held.Unchanged() || (m_targetsSeen && !TargetsUnchanged()))
            return;
        AddDeferredNormalisation();
        m_effects.CommitAfterError();
    }

private:
    // Stage 1 and 2. With the table files free at once, the validation pass runs in the
    // read and the summary alongside it; otherwise the validation stage waits for them and
    // reads the same open file again.
    bool ReadAndJudgeStructure()
    {
        progress::Stage("Checking record types");
        BeginRecordTypeCheck(m_app.session);
        const bool validating = m_tables != nullptr;
        m_validation.emplace(m_app);
        if (!validating || m_plan.Sealing() || !ReadInParts())
            ReadForEveryStage(validating);
        m_validatedInRead = validating;
        const StructureScan scan = m_scanner.Take();
        if (!JudgeStructure(m_app, m_dialogs, scan))
            return false;
        if (scan.exceedsExpressChequeLimit) {
            m_dialogs.MessageDlg("Error Data.  Express Cheque should not more than  20 transaction ", MsgKind::Error,
                                 {MsgButton::Ok});
            return false;
        }
        return true;
    }

    // One read shared by the structure scan, the validation pass (when validating) and
    // the sealed output.
    void ReadForEveryStage(bool validating)
    {
        const std::size_t takers = (validating ? 1U : 0U) + (m_plan.Sealing() ? 1U : 0U);
        m_read = tallivo::ReadShared(InputFile::OfDescriptor(m_held.Descriptor()), m_plan.form,
                                     [this](const PaymentLine& line, std::uint64_t number) {
                                         m_scanner.Add(line, number);
                                         return !m_scanner.Refusing(); // a refused file is not validated
                                     },
                                     takers);
        if (m_plan.Sealing()) {
            m_outputTaker = takers - 1;
            m_output = MakeSealedOutputAhead(m_plan, m_read->TakerAt(m_outputTaker));
        }
        if (m_plan.Sealing() && validating)
            m_reportTables.emplace(m_app, ReaderOfHeldFile());
        if (validating)
            m_validation->Run(m_read->TakerAt(0), &m_read->TakerAt(0));
        m_read->Finish();
    }

    // The check of a large file: read as two parts at once, cut at a debit record near its
    // middle, each part scanned and validated on a thread of its own while its lines are
    // still in that thread's cache. False when the file is small or has no such cut.
    bool ReadInParts()
    {
        constexpr std::uint64_t kPartedBytes = 8 << 20;
        const std::unique_ptr<InputFile> whole = InputFile::OfDescriptor(m_held.Descriptor());
        if (whole->Size() < kPartedBytes)
            return false;
        const std::optional<std::uint64_t> cut = DebitRecordFrom(*whole, whole->Size() / 2);
        if (!cut)
            return false;
        // Each part has a reader of its own: their buffers are kept small, as each is memory
        // the process maps afresh, which is slow on a virtual machine.
        constexpr std::size_t kPartBuffer = 256 << 10;
        PaymentFileReader firstReader(PartOfHeldFile(0, *cut), m_plan.form, kPartBuffer);
        ScannedLines first(firstReader, m_scanner);
        // Read on the other thread, line by line: kept apart from what this one writes as often.
        struct alignas(128) SecondRead
        {
            SecondRead(std::unique_ptr<InputFile> file, LineForm form) : reader(std::move(file), form, kPartBuffer) {}
            PaymentFileReader reader;
            StructureScanner scanner;
            ScannedLines lines{reader, scanner};
        };
        const auto second = std::make_unique<SecondRead>(PartOfHeldFile(*cut, UINT64_MAX), m_plan.form);
        const auto follows = [&] {
            first.Drain();
            return !firstReader.EndedAtCtrlZ(); // else the text ended before the cut
        };
        const auto again = [&] {
            return std::make_unique<PaymentFileReader>(PartOfHeldFile(*cut, UINT64_MAX), m_plan.form);
        };
        m_validation->RunInParts(first, {second->lines, follows, again});
        // Asked again: an error that ended the pass early left lines of both parts unscanned.
        if (follows()) {
            second->lines.Drain();
            m_scanner.Append(std::move(second->scanner), firstReader.LineNumber());
        }
        return true;
    }

    std::unique_ptr<InputFile> PartOfHeldFile(std::uint64_t from, std::uint64_t to) const
    {
        std::unique_ptr<InputFile> part = InputFile::OfDescriptor(m_held.Descriptor());
        part->ReadOnlyPart(from, to);
        return part;
    }

    // A read of the payment file as the run opened it (its held descriptor): it sees that
    // file whatever takes its name meanwhile.
    std::unique_ptr<PaymentFileReader> ReaderOfHeldFile() const
    {
        return std::make_unique<PaymentFileReader>(InputFile::OfDescriptor(m_held.Descriptor()), m_plan.form);
    }
    // A later read, of a file that must still be the one read first.
    std::unique_ptr<LineSource> ReadAgain() const
    {
        m_held.CheckUnchanged();
        return ReaderOfHeldFile();
    }

    // Stages 3 and 4. Over the payment file, the normalised file is due only if the seal
    // stops short of replacing it with the sealed output (AddDeferredNormalisation).
    void CheckTargetsAndNormalise()
    {
        m_held.CheckUnchanged();
        CheckSealTargets(m_plan);
        m_archiveSeen = StampOf(m_plan.archive);
        if (!m_plan.replace)
            m_newFileSeen = StampOf(m_plan.output);
        m_targetsSeen = true;
        PauseAt("checked");
        if (!m_plan.replace) {
            m_normalised = PrepareNormalisedFile(m_plan.input);
            m_effects.Add([this] {
                if (m_normalised)
                    m_normalised->Commit(&m_held);
            });
        } else {
            m_normaliseDue = true;
        }
        PauseAt("normalised");
    }

    // Stage 5.
    bool Validate()
    {
        if (!m_tables)
            m_tables = std::make_unique<TablesLock>(m_app);
        if (!m_validatedInRead)
            m_validation->Run(*ReadAgain());
        m_validation->Take(m_effects);
        if (m_app.session.ctx.dataValid)
            return true;
        m_dialogs.ShowMessage(kErrorData);
        return false;
    }

    // Stage 6. No table file is held while the user answers.
    bool ResolveAccounts()
    {
        if (m_app.session.ctx.invalidAccountCount <= 0)
            return true;
        if (!m_plan.Sealing())
            return false;
        if (m_reportTables)
            m_reportTables->DropAhead();
        m_tables.reset();
        const bool resolved = ResolveInvalidAccounts(m_app, m_dialogs);
        m_tables = std::make_unique<TablesLock>(m_app);
        return resolved;
    }

    // Stage 7: written inside the tables' own transaction, committed with the rest.
    void WriteReportTables()
    {
        if (!m_reportTables)
            m_reportTables.emplace(m_app, nullptr);
        m_effects.Add([this] { m_reportTables->Commit(m_app); });
        m_reportTables->Write(m_app, [this] { return ReadAgain(); });
    }

    // Stage 8: the sealed output (made meanwhile), then the archive, each written in full
    // under a temporary name. The archive is written as work ahead, while stage 9 puts the
    // effects before it in place: the one copies bytes, the other waits for the disk.
    void MakeOutputAndArchive()
    {
        // The sealed output's share of the file re-cut, hashed and deflated so far.
        m_parts = TakeWhenReady(*m_output, [this] { return m_read->TakerAt(m_outputTaker).ShareTaken(); });
        PauseAt("output-written");
        progress::Stage("Compressing");
        m_archiveAhead = std::make_unique<WorkAhead<std::unique_ptr<PreparedArchive>>>(
            [archive = m_plan.archive, file = m_parts.sealed.file->TempPath(), entry = m_plan.output,
             deflated = m_parts.deflated.get()](const StopToken&) {
                return std::make_unique<PreparedArchive>(archive, file, entry, deflated);
            });
        // Every read of the payment file is done, and a seal that completes replaces it
        // (the sealed output, or the normalised file): its pages are let go meanwhile,
        // not when it is replaced, at the very end.
        DropCachedPages(m_held.Descriptor());
    }

    // Stage 9 for a seal that completes: the archive and the output take their places
    // together, after the rest, while signals wait; a failure to put the output in place
    // puts the archive back.
    void CommitSeal()
    {
        CheckNothingChanged();
        m_effects.Commit();
        m_tables.reset(); // no table is written after this
        PauseAt("tables-written");
        m_archive = m_archiveAhead->Take();
        PauseAt("archive-written");
        const SignalShield shield;
        CheckNothingChanged();
        m_archive->Commit();
        {
            const ArchiveBackOnError undo(*m_archive);
            m_parts.sealed.file->Commit(m_plan.replace ? &m_held : nullptr);
        }
        m_archive.reset();      // the replaced archive kept for the undo goes with its temporary folder
        m_normaliseDue = false; // the sealed output replaced the payment file
        m_app.hashValue = m_parts.sealed.hash;
    }

    // The payment file, the archive and the new file are as the seal checked them: no other
    // program or seal has written them meanwhile.
    void CheckNothingChanged() const
    {
        m_held.CheckUnchanged();
        CheckTargetUnchanged(m_plan.archive, m_archiveSeen);
        if (!m_plan.replace)
            CheckTargetUnchanged(m_plan.output, m_newFileSeen);
    }
    bool TargetsUnchanged() const noexcept
    {
        return TargetUnchanged(m_plan.archive, m_archiveSeen) &&
               (m_plan.replace || TargetUnchanged(m_plan.output, m_newFileSeen));
    }

    // Stage 9 for a run that ends before the output: what it made ready is put in place.
    CommandOutcome Ended(CommandOutcome outcome)
    {
        DropWorkAhead();
        m_held.CheckUnchanged(); // findings in a file that another program was changing
        AddDeferredNormalisation();
        m_effects.Commit();
        return outcome;
    }

    // Over the payment file, the seal normalises it only when it stops short of replacing
    // it with the sealed output: last, as the seal's remaining effect.
    void AddDeferredNormalisation()
    {
        if (!m_normaliseDue)
            return;
        m_normaliseDue = false;
        m_effects.Add([this] { NormaliseCreditRecords(m_plan.input, &m_held); });
    }

    void DropWorkAhead()
    {
        m_output.reset();
        if (m_reportTables)
            m_reportTables->DropAhead();
    }

    // Puts the replaced archive back unless the output took its place.
    class ArchiveBackOnError
    {
    public:
        explicit ArchiveBackOnError(PreparedArchive& archive) : m_archive(archive) {}
        ~ArchiveBackOnError()
        {
            if (std::uncaught_exceptions() > m_uncaught)
                m_archive.Undo();
        }
        ArchiveBackOnError(const ArchiveBackOnError&) = delete;
        ArchiveBackOnError& operator=(const ArchiveBackOnError&) = delete;

    private:
        PreparedArchive& m_archive;
        int m_uncaught = std::uncaught_exceptions();
    };

    AppState& m_app;
    Dialogs& m_dialogs;
    const SealPlan m_plan;
    HeldFile& m_held; // the payment file: held by the seal, watched by the check
    // Destroyed from the last up: the effects and what they commit go before the read's
    // takers, the takers before the read, the read before the table files are let go.
    std::unique_ptr<TablesLock> m_tables;
    StructureScanner m_scanner; // on the reading thread until the read has finished
    std::unique_ptr<SharedRead> m_read;
    std::optional<ValidationInRead> m_validation;
    std::unique_ptr<WorkAhead<SealedParts>> m_output;
    std::size_t m_outputTaker = 0; // the sealed output's taker of the read
    std::optional<SealReportTables> m_reportTables;
    std::unique_ptr<ReplacingFile> m_normalised;
    SealedParts m_parts;
    std::unique_ptr<WorkAhead<std::unique_ptr<PreparedArchive>>> m_archiveAhead; // reads m_parts
    std::unique_ptr<PreparedArchive> m_archive;
    FileStamp m_archiveSeen;
    FileStamp m_newFileSeen;
    bool m_targetsSeen = false;
    bool m_validatedInRead = false;
    bool m_normaliseDue = false; // over the payment file: normalised unless the output replaces it
    Effects m_effects;
};

// A run under its rules: a file with strict findings is never sealed, nor normalised;
// the other checks run on it as for the check alone and its strict findings join theirs,
// also when an error ends those checks.
class StrictFindingsAfter
{
public:
    StrictFindingsAfter(CheckSession& s, std::vector<StrictFinding> findings) : m_s(s), m_findings(std::move(findings))
    {
    }
    ~StrictFindingsAfter() { AddStrictFindings(m_s, m_findings); }
    StrictFindingsAfter(const StrictFindingsAfter&) = delete;
    StrictFindingsAfter& operator=(const StrictFindingsAfter&) = delete;

private:
    CheckSession& m_s;
    std::vector<StrictFinding> m_findings;
};

CommandOutcome RunPlan(AppState& app, Dialogs& dialogs, const SealPlan& plan, HeldFile& held)
{
    SealRun run(app, dialogs, plan, held);
    try {
        return run.Stages();
    } catch (const CommandCancelled&) {
        throw; // nothing was put in place
    } catch (...) {
        run.AfterError();
        throw;
    }
}

CommandOutcome RunUnderRules(AppState& app, Dialogs& dialogs, SealPlan plan, HeldFile& held)
{
    if (plan.rules == FileRules::Standard)
        return RunPlan(app, dialogs, plan, held);
    std::vector<StrictFinding> strict = FindStrictFindings(plan.input);
    if (strict.empty())
        return RunPlan(app, dialogs, plan, held);
    plan.mode = SealMode::CheckOnly;
    plan.form = LineForm::AsInFile;
    CommandOutcome outcome = CommandOutcome::Refused;
    {
        const StrictFindingsAfter after(app.session, std::move(strict));
        outcome = RunPlan(app, dialogs, plan, held);
    }
    if (outcome == CommandOutcome::Completed)
        dialogs.ShowMessage(kErrorData);
    return CommandOutcome::Refused;
}

// Both commands start afresh: no summary, no hash value, no captions, an empty grid, and
// the check context of a first run, so a command stopped before its end leaves nothing
// that changes the next one's findings.
void StartAfresh(AppState& app)
{
    app.summaryBuilt = false;
    app.hashValue.clear();
    app.summaryCaption.clear();
    CheckSession& s = app.session;
    s.ctx = CheckContext{};
    app.contextFile = app.inputPath;
    s.hasFindingsToSave = false;
    s.statusText.clear();
    s.strictFindings.clear();
    s.passLine = 0;
    s.ResetErrorGrid();
}

CommandOutcome RunCommand(AppState& app, Dialogs& dialogs, SealMode mode, FileRules rules)
{
    StartAfresh(app);
    if (!AcceptInputs(app, dialogs, mode))
        return CommandOutcome::Refused;
    const SealPlan plan = PlanOf(app, mode, rules);
    // The seal holds the payment file from its first check to its last write, and the check
    // watches it: what is sealed or judged is one file as it was read. A failure caused by
    // another program's change is told as that change.
    const std::unique_ptr<HeldFile> held =
        plan.Sealing() ? HoldPaymentFile(plan.input, "it was not sealed and no zip file was written")
                       : HeldFile::Watching(plan.input, "The payment file " + plan.input +
                                                            " was changed by another program while Tallivo "
                                                            "worked on it; it was not checked");
    const std::vector<std::unique_ptr<HeldFile>> targets =
        plan.Sealing() ? HoldSealTargets(plan) : std::vector<std::unique_ptr<HeldFile>>{};
    try {
        const CommandOutcome outcome = RunUnderRules(app, dialogs, plan, *held);
        if (outcome == CommandOutcome::Refused)
            held->CheckUnchanged(); // findings in a file that another program was changing
        return outcome;
    } catch (const AppError&) {
        held->CheckUnchanged();
        throw;
    }
}

} // namespace

std::unique_ptr<HeldFile> HoldPaymentFile(const std::string& path, const std::string& stopped)
{
    return std::make_unique<HeldFile>(
        path, "The payment file " + path + " is in use by another Tallivo command; try again when it has finished",
        "The payment file " + path + " was changed by another program while Tallivo worked on it; " + stopped);
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
    progress::Stage("Checking record types");
    BeginRecordTypeCheck(app.session);
    return JudgeStructure(app, dialogs, ScanStructure(path));
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
    return RunCommand(app, dialogs, SealMode::CheckOnly, rules);
}

CommandOutcome SealPaymentFile(AppState& app, Dialogs& dialogs, FileRules rules)
{
    return RunCommand(app, dialogs, SealMode::Seal, rules);
}

} // namespace tallivo
