#pragma once
// The pieces a run of the check or seal command is made of (app/SealCommand.cpp puts
// them in order): the plan worked out before anything runs, the one read of the payment
// file with the validation pass on it, the sealed output made ahead from the same lines,
// and the effects that the run puts in place only when it ends.
#include "app/AppState.h"
#include "app/FileRules.h"
#include "checking/ValidationPass.h"
#include "common/FileStamp.h"
#include "common/HeldFile.h"
#include "common/WorkAhead.h"
#include "format/SharedRead.h"
#include "sealing/SealedOutput.h"
#include "zip/DeflatedEntry.h"

#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tallivo {

// How far a run goes: the whole seal, or the checks alone (nothing written but the
// addAccBatchError row, no invalid-account question).
enum class SealMode { Seal, CheckOnly };

// What a run works on, worked out once, after the inputs were accepted, before anything
// runs.
struct SealPlan
{
    SealMode mode = SealMode::CheckOnly;
    FileRules rules = FileRules::Standard;
    std::string input;   // the payment file
    bool replace = true; // the sealed output replaces the payment file; else it goes to the new file
    std::string output;  // the sealed output's path
    std::string zipName; // as given, for the message
    std::string archive; // the zip archive's path
    bool beneCharge = false;
    LineForm form = LineForm::AsInFile; // the seal reads every line as normalisation writes it

    bool Sealing() const { return mode == SealMode::Seal; }
};

SealPlan PlanOf(const AppState& app, SealMode mode, FileRules rules);

// Holds the seal's targets that exist already (the archive, in New File mode the new
// file) for the whole run, as the payment file is held: a second seal naming one of them
// waits until the first has finished, then refuses, naming it, if it is still busy. A
// target made new by the seal is guarded by CheckTargetUnchanged instead.
std::vector<std::unique_ptr<HeldFile>> HoldSealTargets(const SealPlan& plan);

// Raises AppError(File) naming a target of the seal (the archive, the new file) when
// another run or program has written it since the seal checked it (seen): two seals never
// put their files on one target.
void CheckTargetUnchanged(const std::string& path, const FileStamp& seen);
// False when CheckTargetUnchanged would raise.
bool TargetUnchanged(const std::string& path, const FileStamp& seen);

// What a run has made ready to put in place, in the order the command puts it there. The
// run commits them when it ends, completed or stopped by a refusal; until then Cancel
// stops it with nothing changed. A cancelled run drops them (each undoes itself when
// destroyed); a run ended by an error commits them as far as they go, as a command that
// wrote as it went would have left things.
class Effects
{
public:
    void Add(std::function<void()> commit) { m_due.push_back(std::move(commit)); }
    // Commits the effects not yet committed, in order; an error stops there.
    void Commit();
    // After an error: commits the rest, each as far as it goes; never raises.
    void CommitAfterError() noexcept;

private:
    std::vector<std::function<void()>> m_due;
    std::size_t m_next = 0;
};

// The validation pass over the run's read, on the command's thread, into a session of its
// own: its findings and context values become the command's at the validation stage
// (Take); its addAccBatchError row is written with the run's effects, or forgotten.
class ValidationInRead
{
public:
    explicit ValidationInRead(AppState& app) : m_app(app), m_pass(app.session) {}
    ~ValidationInRead();
    ValidationInRead(const ValidationInRead&) = delete;
    ValidationInRead& operator=(const ValidationInRead&) = delete;

    // Runs the pass over the lines. An error that ends it is kept for Take; a shared read
    // then goes on without this taker.
    void Run(LineSource& lines, SharedRead::Taker* taker = nullptr);
    // Runs the pass over a file read as two parts at once (RunValidationPassInParts).
    void RunInParts(LineSource& first, const SecondPart& second);
    // The validation stage: the pass's results become the session's, its row becomes an
    // effect, and the error that ended it, if any, goes on from here.
    void Take(Effects& effects);

private:
    AppState& m_app;
    CheckSession m_pass;
    std::exception_ptr m_error;
    bool m_rowSettled = false; // the row was written, or handed to the effects
};

// The sealed output under its temporary name, and its bytes deflated for the archive.
struct SealedParts
{
    PreparedOutput sealed;
    std::unique_ptr<DeflatedEntry> deflated; // none for an output without records
};

// Makes the sealed output from the lines of a taker of the run's read, on a thread of its
// own, hashed and deflated on the way; dropped, it leaves no file behind.
std::unique_ptr<WorkAhead<SealedParts>> MakeSealedOutputAhead(const SealPlan& plan, SharedRead::Taker& lines);

} // namespace tallivo
