// tallivo-cli: the commands for scripted use.
#include "app/ErrorHandler.h"
#include "app/OutputTargets.h"
#include "app/SealCommand.h"
#include "app/Settings.h"
#include "cli/CliDialogs.h"
#include "cli/CliReports.h"
#include "cli/GridOutput.h"
#include "common/SignalCleanup.h"
#include "findings/ErrorFiles.h"
#include "sealing/SealedOutput.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

using namespace tallivo;
using namespace tallivo::cli;

namespace {

const char* const kUsage = R"(Usage:
  tallivo-cli check  FILE [--format text|tsv|json] [--errors OUT]
  tallivo-cli seal   FILE --zip ZIP [--new-file OUT] [--invalid-accounts abort|ignore|cancel]
                          [--format text|tsv|json] [--errors OUT] [--report-pdf PDF]
  tallivo-cli fee    FILE [--invalid-accounts abort|ignore|cancel] [--pdf PDF]
  tallivo-cli verify SEALED_FILE

Commands:
  check   Runs the seal command's checks without changing FILE: the file exists,
          record types, record lengths, the express cheque limit and the validation
          of every field. Never asks the invalid-account question: a file whose only
          findings are invalid home-bank accounts prints them and exits 1.
  seal    The seal command: checks FILE and, when it is acceptable, writes the sealed
          output (over FILE, or to --new-file OUT) and packs it alone into the zip
          archive named by --zip (the text of the zip box; ".zip" is added when the
          name has no extension).
  fee     The tier-rate fee report: checks FILE, counts its credit records to other
          banks by amount tier, prices them with the fees of Data/Config.ini and
          prints the eight report variables as name=value lines.
  verify  Exits 0 and prints "OK <hash>" when line 1 of SEALED_FILE equals the
          upper-case hexadecimal SHA-1 of every byte after line 1's CR LF.

Options:
  --format text|tsv|json   How the result grid is printed on stdout (default text).
                           tsv: one line per grid row, cells joined by TAB (a TAB,
                           CR or LF inside a cell is printed as a blank).
                           json: layout, headers, rows, status label and messages.
  --errors OUT             Afterwards, write the error file that the Save button
                           would write (nothing when there is none to write).
  --invalid-accounts A     The answer to "There are some invalid Orvane Account...":
                           abort (default), ignore (Ignore, then Yes), or
                           cancel (Ignore, then Cancel).
  --new-file OUT           Seal into OUT instead of replacing FILE.
  --report-pdf PDF         After a successful seal, write the payment report as PDF.
  --pdf PDF                Write the fee report as PDF.
  -h, --help               Show this help.

Every message the command shows goes to stderr, one per line, with its exact text.
Exit status: 0 completed (check: no findings; seal: sealed; fee: report produced;
verify: the hash matches), 1 stopped at a refusal or the file does not verify,
2 usage error or an error escaped the command.
)";

int UsageError(const std::string& text)
{
    std::fprintf(stderr, "tallivo-cli: %s\nTry 'tallivo-cli --help'.\n", text.c_str());
    return 2;
}

struct Args
{
    std::string command;
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;
};

std::optional<Args> Parse(int argc, char** argv, std::string& error)
{
    static const std::map<std::string, std::vector<std::string>> kAllowed = {
        {"check", {"format", "errors"}},
        {"seal", {"zip", "new-file", "invalid-accounts", "format", "errors", "report-pdf"}},
        {"fee", {"invalid-accounts", "pdf"}},
        {"verify", {}},
    };
    Args args;
    args.command = argv[1];
    const auto allowed = kAllowed.find(args.command);
    if (allowed == kAllowed.end()) {
        error = "unknown command '" + args.command + "'";
        return std::nullopt;
    }
    for (int i = 2; i < argc; ++i) {
        std::string a = argv[i];
        if (a.rfind("--", 0) == 0 && a.size() > 2) {
            std::string name = a.substr(2);
            std::string value;
            const auto eq = name.find('=');
            if (eq != std::string::npos) {
                value = name.substr(eq + 1);
                name = name.substr(0, eq);
            } else {
                if (i + 1 >= argc) {
                    error = "option --" + name + " needs a value";
                    return std::nullopt;
                }
                value = argv[++i];
            }
            bool known = false;
            for (const std::string& o : allowed->second)
                known = known || o == name;
            if (!known) {
                error = "unknown option --" + name + " for " + args.command;
                return std::nullopt;
            }
            args.options[name] = value;
        } else {
            args.positional.push_back(a);
        }
    }
    if (args.positional.size() != 1) {
        error = args.positional.empty() ? "missing FILE" : "too many arguments";
        return std::nullopt;
    }
    return args;
}

std::optional<OutputFormat> FormatOf(const Args& args)
{
    const auto it = args.options.find("format");
    if (it == args.options.end() || it->second == "text")
        return OutputFormat::Text;
    if (it->second == "tsv")
        return OutputFormat::Tsv;
    if (it->second == "json")
        return OutputFormat::Json;
    return std::nullopt;
}

std::optional<std::vector<MsgButton>> InvalidAccountAnswers(const Args& args)
{
    const auto it = args.options.find("invalid-accounts");
    const std::string answer = it == args.options.end() ? "abort" : it->second;
    if (answer == "abort")
        return std::vector<MsgButton>{MsgButton::Abort};
    if (answer == "ignore")
        return std::vector<MsgButton>{MsgButton::Ignore, MsgButton::Yes};
    if (answer == "cancel")
        return std::vector<MsgButton>{MsgButton::Ignore, MsgButton::Cancel};
    return std::nullopt;
}

// Writes the error file that Save would write now, with Save's own writer. Save's
// success message belongs to the window's button, so nothing is shown for it here;
// false when writing failed (the error has been shown).
bool WriteRequestedErrorFile(AppState& app, CliDialogs& dialogs, const Args& args)
{
    const auto it = args.options.find("errors");
    if (it == args.options.end())
        return true;
    const CheckSession& s = app.session;
    const ErrorFileKind kind = ChooseErrorFile(s.recordTypesValid, s.recordLengthsValid, s.ctx.dataValid);
    if (kind == ErrorFileKind::None)
        return true;
    return RunCommand(dialogs, [&] { WriteErrorFile(kind, s.grid, it->second); });
}

// What the check and seal subcommands run.
enum class Subcommand { Check, Seal };

int RunCheckOrSeal(const Args& args, Subcommand subcommand)
{
    const auto format = FormatOf(args);
    if (!format)
        return UsageError("--format must be text, tsv or json");
    const auto answers = InvalidAccountAnswers(args);
    if (!answers)
        return UsageError("--invalid-accounts must be abort, ignore or cancel");
    if (subcommand == Subcommand::Seal && !args.options.count("zip"))
        return UsageError("seal needs --zip ZIP");

    AppState app;
    CliDialogs dialogs;
    dialogs.answers = *answers;
    LoadSettings(app);
    app.inputPath = args.positional[0];
    if (const auto it = args.options.find("zip"); it != args.options.end())
        app.zipName = it->second;
    if (const auto it = args.options.find("new-file"); it != args.options.end()) {
        app.outputMode = OutputMode::NewFile;
        app.newFilePath = it->second;
    }

    // The error file and the PDF may not land on the payment file, the new file, the
    // archive or a device: refused before anything is read or written.
    const auto option = [&](const char* name) { return args.options.count(name) ? args.options.at(name) : ""; };
    if (RefuseUnsafeOutputs(app, dialogs, {option("errors"), option("report-pdf")}, false)) {
        PrintGrid(app, *format, dialogs.messages);
        return 1;
    }

    CommandOutcome outcome = CommandOutcome::Refused;
    const bool ok = RunCommand(dialogs, [&] {
        outcome = subcommand == Subcommand::Seal ? SealPaymentFile(app, dialogs) : CheckPaymentFile(app, dialogs);
    });
    if (ok && outcome == CommandOutcome::Completed && subcommand == Subcommand::Seal) {
        if (const auto it = args.options.find("report-pdf"); it != args.options.end()) {
            const int status = WriteReportPdf(app, dialogs, it->second);
            PrintGrid(app, *format, dialogs.messages);
            return status;
        }
    }
    PrintGrid(app, *format, dialogs.messages);
    if (!WriteRequestedErrorFile(app, dialogs, args) || !ok)
        return 2;
    if (outcome != CommandOutcome::Completed)
        return 1;
    if (subcommand == Subcommand::Check && LastPrintedRow(app.session.grid) >= 1)
        return 1;
    return 0;
}

int RunVerify(const Args& args)
{
    CliDialogs dialogs;
    VerifyResult result;
    if (!RunCommand(dialogs, [&] { result = VerifySealedFile(args.positional[0]); }))
        return 2;
    if (!result.ok) {
        std::fprintf(stderr, "%s\n", result.message.c_str());
        return 1;
    }
    std::printf("OK %s\n", result.hash.c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    CleanUpOnSignals();
    if (argc < 2)
        return UsageError("missing command");
    if (!std::strcmp(argv[1], "-h") || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "help")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    for (int i = 2; i < argc; ++i)
        if (!std::strcmp(argv[i], "-h") || !std::strcmp(argv[i], "--help")) {
            std::fputs(kUsage, stdout);
            return 0;
        }
    std::string error;
    const auto args = Parse(argc, argv, error);
    if (!args)
        return UsageError(error);
    if (args->command == "check")
        return RunCheckOrSeal(*args, Subcommand::Check);
    if (args->command == "seal")
        return RunCheckOrSeal(*args, Subcommand::Seal);
    if (args->command == "verify")
        return RunVerify(*args);
    // fee
    const auto answers = InvalidAccountAnswers(*args);
    if (!answers)
        return UsageError("--invalid-accounts must be abort, ignore or cancel");
    return RunFee(args->positional[0], *answers, args->options.count("pdf") ? args->options.at("pdf") : "");
}
