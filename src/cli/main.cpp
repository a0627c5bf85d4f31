// tallivo-cli: the commands for scripted use.
#include "app/ErrorHandler.h"
#include "app/OutputTargets.h"
#include "app/SealCommand.h"
#include "app/Settings.h"
#include "cli/Arguments.h"
#include "cli/CliDialogs.h"
#include "cli/CliReports.h"
#include "cli/GridOutput.h"
#include "cli/Inputs.h"
#include "cli/Streams.h"
#include "cli/TextForms.h"
#include "common/SignalCleanup.h"
#include "findings/ErrorFiles.h"
#include "sealing/SealedOutput.h"

#include <algorithm>
#include <string>
#include <unistd.h>

using namespace tallivo;
using namespace tallivo::cli;

namespace {

int UsageError(const std::string& text)
{
    WriteStderr("tallivo-cli: " + Visible(MessageUtf8(text)) + "\nTry 'tallivo-cli --help'.\n");
    return 2;
}

// Writes the error file that Save would write now, with Save's own writer. Save's
// success message belongs to the window's button, so nothing is shown for it here;
// false when writing failed (the error has been shown).
bool WriteRequestedErrorFile(AppState& app, CliDialogs& dialogs, const Arguments& args)
{
    if (!args.errors)
        return true;
    const CheckSession& s = app.session;
    const ErrorFileKind kind = ChooseErrorFile(s.recordTypesValid, s.recordLengthsValid, s.ctx.dataValid);
    if (kind == ErrorFileKind::None)
        return true;
    return RunCommand(dialogs, [&] { WriteErrorFile(kind, s.grid, *args.errors); });
}

// Checks or seals one FILE exactly as if it were the only one, prints its result and
// gives its exit status.
int RunCheckOrSeal(const Arguments& args, const std::string& file, bool severalFiles)
{
    const bool seal = args.command == Command::Seal;
    RunReport run;
    run.command = CommandName(args.command);
    run.fileName = file;
    run.quiet = args.quiet;
    run.terminal = ::isatty(STDOUT_FILENO) == 1;
    run.nameFile = severalFiles;

    AppState app;
    CliDialogs dialogs;
    dialogs.answers = args.invalidAccountAnswers;
    dialogs.quiet = args.quiet;
    if (severalFiles)
        dialogs.prefix = file + ": ";
    const auto print = [&](int status) {
        run.exitStatus = status;
        WriteResult(app, args.format, dialogs.messages, run, [](std::string_view piece) { WriteStdout(piece); });
        FlushStdout();
        return status;
    };

    const ReadyInput input = PrepareInput(file);
    if (!input.refusal.empty()) {
        dialogs.ShowError(input.refusal);
        return print(2);
    }
    if (!RunCommand(dialogs, [&] { LoadSettings(app); }))
        return print(2);
    app.inputPath = input.path;
    app.inputOrigin = input.origin;
    if (args.zip)
        app.zipName = *args.zip;
    if (args.newFile) {
        app.outputMode = OutputMode::NewFile;
        app.newFilePath = *args.newFile;
    }

    // The error file and the PDF may not land on the payment file, the new file, the
    // archive or a device: refused before anything is read or written.
    if (RefuseUnsafeOutputs(app, dialogs, {args.errors.value_or(""), args.reportPdf.value_or("")}, false)) {
        dialogs.ShowHeldMessages();
        return print(1);
    }
    // And their folders take them: nothing is checked or sealed for an output that cannot be written.
    if (const std::string why = UnwritableOutput({args.errors.value_or(""), args.reportPdf.value_or("")});
        !why.empty()) {
        dialogs.ShowMessage(why);
        dialogs.ShowHeldMessages();
        return print(1);
    }

    const FileRules rules = args.strict ? FileRules::Strict : FileRules::Standard;
    CommandOutcome outcome = CommandOutcome::Refused;
    const bool ok = RunCommand(dialogs, [&] {
        outcome = seal ? SealPaymentFile(app, dialogs, rules) : CheckPaymentFile(app, dialogs, rules);
    });
    int status = 0;
    if (!ok)
        status = 2;
    else if (outcome != CommandOutcome::Completed)
        status = 1;
    else if (!seal && LastPrintedRow(app.session.grid) >= 1)
        status = 1;

    if (ok && outcome == CommandOutcome::Completed && seal && args.reportPdf)
        status = WriteReportPdf(app, dialogs, *args.reportPdf);
    if (!WriteRequestedErrorFile(app, dialogs, args))
        status = 2;
    if (status != 0)
        dialogs.ShowHeldMessages();
    return print(status);
}

int RunCheckOrSealFiles(const Arguments& args)
{
    if (args.command == Command::Seal && args.reportPdf) {
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
        worst = std::max(worst, RunCheckOrSeal(args, file, args.files.size() > 1));
    return worst;
}

int RunVerify(const Arguments& args)
{
    CliDialogs dialogs;
    const ReadyInput input = PrepareInput(args.files.front());
    if (!input.refusal.empty()) {
        dialogs.ShowError(input.refusal);
        return 2;
    }
    VerifyResult result;
    if (!RunCommand(dialogs, [&] { result = VerifySealedFile(input.path); }))
        return 2;
    if (!result.ok) {
        WriteStderr(Visible(MessageUtf8(result.message)) + "\n");
        return 1;
    }
    if (!args.quiet)
        WriteStdout("OK " + result.hash + "\n");
    return 0;
}

int Run(const Arguments& args)
{
    switch (args.command) {
    case Command::Check:
    case Command::Seal: return RunCheckOrSealFiles(args);
    case Command::Fee: return RunFee(args);
    case Command::Verify: return RunVerify(args);
    }
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    SetUpSignals();
    CleanUpOnSignals();
    const ParsedCommandLine parsed = ParseCommandLine(argc, argv);
    int status = 2;
    switch (parsed.kind) {
    case ParsedCommandLine::Kind::Help:
        WriteStdout(parsed.helpFor ? CommandHelp(*parsed.helpFor) : GeneralHelp());
        status = 0;
        break;
    case ParsedCommandLine::Kind::Version:
        WriteStdout(VersionText());
        status = 0;
        break;
    case ParsedCommandLine::Kind::UsageError: status = UsageError(parsed.error); break;
    case ParsedCommandLine::Kind::Run: status = Run(parsed.arguments); break;
    }
    RemoveTemporaryFile();
    return FinishOutput(status);
}
