#include "cli/PaymentCommand.h"

#include "app/ErrorHandler.h"
#include "app/OutputTargets.h"
#include "app/SealCommand.h"
#include "app/Settings.h"
#include "cli/CliReports.h"
#include "cli/GridOutput.h"
#include "cli/Inputs.h"
#include "cli/Options.h"
#include "cli/Streams.h"
#include "findings/ErrorFiles.h"

#include <algorithm>
#include <unistd.h>

namespace tallivo::cli {

int StartCommand(AppState& app, CliDialogs& dialogs, const Arguments& args, const std::string& file,
                 const std::vector<std::string>& outputs, bool withSealOutputs)
{
    dialogs.answers = options::InvalidAccountAnswersOf(args);
    dialogs.quiet = args.Has(options::Quiet);
    const std::optional<ReadyInput> input = InputOrRefusal(file, dialogs);
    if (!input)
        return 2;
    if (!RunCommand(dialogs, [&] { LoadSettings(app); }))
        return 2;
    app.inputPath = input->path;
    app.inputOrigin = input->origin;
    if (const auto zip = args.Value(options::Zip))
        app.zipName = *zip;
    if (const auto newFile = args.Value(options::NewFile)) {
        app.outputMode = OutputMode::NewFile;
        app.newFilePath = *newFile;
    }
    // The outputs may not land on the payment file, the new file, the archive or a
    // device: refused before anything is read or written.
    if (RefuseUnsafeOutputs(app, dialogs, outputs, withSealOutputs)) {
        dialogs.ShowHeldMessages();
        return 1;
    }
    // And their folders take them: nothing is done for an output that cannot be written.
    if (const std::string why = UnwritableOutput(outputs); !why.empty()) {
        dialogs.ShowMessage(why);
        dialogs.ShowHeldMessages();
        return 1;
    }
    return 0;
}

namespace {

// Writes the error file that Save would write now, with Save's own writer. Save's
// success message belongs to the window's button, so nothing is shown for it here;
// false when writing failed (the error has been shown).
bool WriteRequestedErrorFile(AppState& app, CliDialogs& dialogs, const std::optional<std::string>& path)
{
    if (!path)
        return true;
    const CheckSession& s = app.session;
    const ErrorFileKind kind = ChooseErrorFile(s.recordTypesValid, s.recordLengthsValid, s.ctx.dataValid);
    if (kind == ErrorFileKind::None)
        return true;
    return RunCommand(dialogs, [&] { WriteErrorFile(kind, s.grid, *path); });
}

// The exit status of a check or seal that ran (ok: no error escaped it).
int OutcomeStatus(const AppState& app, bool ok, CommandOutcome outcome, bool seal)
{
    if (!ok)
        return 2;
    if (outcome != CommandOutcome::Completed)
        return 1;
    if (!seal && LastPrintedRow(app.session.grid) >= 1)
        return 1;
    return 0;
}

// Checks or seals one FILE exactly as if it were the only one, prints its result and
// gives its exit status.
int RunOne(const Arguments& args, const std::string& file, bool seal)
{
    const bool severalFiles = args.files.size() > 1;
    RunReport run;
    run.command = args.command->name;
    run.fileName = file;
    run.quiet = args.Has(options::Quiet);
    run.terminal = ::isatty(STDOUT_FILENO) == 1;
    run.nameFile = severalFiles;

    AppState app;
    CliDialogs dialogs;
    if (severalFiles)
        dialogs.prefix = file + ": ";
    const auto print = [&](int status) {
        run.exitStatus = status;
        WriteResult(app, options::FormatOf(args), dialogs.messages, run,
                    [](std::string_view piece) { WriteStdout(piece); });
        FlushStdout();
        return status;
    };
    const std::optional<std::string> errors = args.Value(options::Errors);
    const std::optional<std::string> reportPdf = args.Value(options::ReportPdf);
    if (const int status =
            StartCommand(app, dialogs, args, file, {errors.value_or(""), reportPdf.value_or("")}, false))
        return print(status);

    const FileRules rules = args.Has(options::Strict) ? FileRules::Strict : FileRules::Standard;
    CommandOutcome outcome = CommandOutcome::Refused;
    const bool ok = RunCommand(dialogs, [&] {
        outcome = seal ? SealPaymentFile(app, dialogs, rules) : CheckPaymentFile(app, dialogs, rules);
    });
    int status = OutcomeStatus(app, ok, outcome, seal);
    if (ok && outcome == CommandOutcome::Completed && seal && reportPdf)
        status = WriteReportPdf(app, dialogs, *reportPdf);
    if (!WriteRequestedErrorFile(app, dialogs, errors))
        status = 2;
    if (status != 0)
        dialogs.ShowHeldMessages();
    return print(status);
}

} // namespace

int RunPaymentFiles(const Arguments& args, PaymentCommand command)
{
    const bool seal = command == PaymentCommand::Seal;
    if (seal && args.Has(options::ReportPdf)) {
        // The payment report's templates are checked before anything is sealed.
        const AppState app;
        const std::string missing = MissingReportTemplate(app, kPaymentReportTemplates);
        if (!missing.empty()) {
            WriteStderr(missing + "\n");
            return 2;
        }
    }
    int worst = 0;
    for (const std::string& file : args.files)
        worst = std::max(worst, RunOne(args, file, seal));
    return worst;
}

} // namespace tallivo::cli
