#include "app/SealRun.h"

#include "checking/AccountRowStore.h"
#include "checking/ValidationPass.h"
#include "common/AppError.h"
#include "common/CommandProgress.h"
#include "common/FilePaths.h"
#include "common/ReplacingFile.h"
#include "zip/ZipOutput.h"

namespace tallivo {

SealPlan PlanOf(const AppState& app, SealMode mode, FileRules rules)
{
    SealPlan plan;
    plan.mode = mode;
    plan.rules = rules;
    plan.input = app.inputPath;
    plan.replace = app.outputMode == OutputMode::Replace;
    plan.output = plan.replace ? app.inputPath : app.newFilePath;
    plan.zipName = app.zipName;
    plan.archive = mode == SealMode::Seal ? ZipArchiveName(app.zipName) : std::string();
    plan.beneCharge = app.beneChargeFlag;
    plan.form = mode == SealMode::Seal ? LineForm::Normalised : LineForm::AsInFile;
    return plan;
}

bool TargetUnchanged(const std::string& path, const FileStamp& seen)
{
    // Not the change time: the archive's own undo keeps a link to the archive it replaces.
    return SameStamp(StampOf(path), seen, ChangeTime::Ignored);
}

std::vector<std::unique_ptr<HeldFile>> HoldSealTargets(const SealPlan& plan)
{
    std::vector<std::unique_ptr<HeldFile>> held;
    const auto hold = [&held](const std::string& path, const std::string& what) {
        if (!StampOf(path).exists)
            return;
        held.push_back(std::make_unique<HeldFile>(
            path, what + path + " is in use by another Tallivo command; try again when it has finished",
            "The file " + path + " was changed by another program while Tallivo worked on it"));
    };
    if (!plan.replace)
        hold(plan.output, "The new file ");
    hold(plan.archive, "The zip file ");
    return held;
}

void CheckTargetUnchanged(const std::string& path, const FileStamp& seen)
{
    if (TargetUnchanged(path, seen))
        return;
    throw AppError(AppError::Kind::File, "The file " + path +
                                             " was written by another program or Tallivo run while this seal "
                                             "worked; the payment file was not sealed and no zip file was written");
}

void Effects::Commit()
{
    while (m_next < m_due.size())
        m_due[m_next++]();
}

void Effects::CommitAfterError() noexcept
{
    while (m_next < m_due.size()) {
        try {
            m_due[m_next++]();
        } catch (...) {
            // The error that ended the run is the one the user sees.
        }
    }
}

ValidationInRead::~ValidationInRead()
{
    if (!m_rowSettled && m_pass.accountRow != nullptr)
        m_pass.accountRow->Forget();
}

void ValidationInRead::Run(LineSource& lines, SharedRead::Taker* taker)
{
    try {
        RunValidationPass(m_pass, lines);
    } catch (const AppError&) {
        m_error = std::current_exception();
        if (taker)
            taker->StopTaking();
    }
}

void ValidationInRead::RunInParts(LineSource& first, const SecondPart& second)
{
    try {
        RunValidationPassInParts(m_pass, first, second);
    } catch (const AppError&) {
        m_error = std::current_exception();
    }
}

void ValidationInRead::Take(Effects& effects)
{
    CheckSession& s = m_app.session;
    s.grid = std::move(m_pass.grid);
    s.ctx = m_pass.ctx;
    s.passLine = m_pass.passLine;
    s.statusText = m_pass.statusText;
    s.hasFindingsToSave = m_pass.hasFindingsToSave;
    if (AccountRowStore* row = s.accountRow) {
        effects.Add([this, row] {
            m_rowSettled = true;
            row->Flush();
        });
    }
    if (m_error)
        std::rethrow_exception(m_error);
}

std::unique_ptr<WorkAhead<SealedParts>> MakeSealedOutputAhead(const SealPlan& plan, SharedRead::Taker& lines)
{
    return std::make_unique<WorkAhead<SealedParts>>(
        [&lines, output = plan.output, beneCharge = plan.beneCharge](const StopToken& stop) {
            const TakingEnds end(lines);
            lines.WatchStop(stop);
            SealedParts parts;
            parts.sealed = PrepareSealedOutput(lines, output, beneCharge, [&](std::string& bytes) {
                ThrowIfStopped(stop);
                if (!parts.deflated)
                    parts.deflated = std::make_unique<DeflatedEntry>(FolderOf(FollowLinks(output)));
                parts.deflated->Add(bytes); // taken without a copy
            });
            ThrowIfStopped(stop); // lines cut short by a drop make no output
            if (parts.deflated)
                parts.deflated->Finish(parts.sealed.hash + "\r\n");
            return parts;
        });
}

} // namespace tallivo
