// fee: the tier-rate fee report of a payment file.
#include "app/ErrorHandler.h"
#include "app/TierRateCommand.h"
#include "cli/CliReports.h"
#include "cli/Options.h"
#include "cli/PaymentCommand.h"
#include "cli/Streams.h"
#include "cli/TextForms.h"
#include "cli/commands/Commands.h"
#include "render/ReportExpression.h"
#include "reports/TierRate.h"

#include <optional>

namespace tallivo::cli::commands {

namespace {

constexpr OptionDescription Pdf{"--pdf", "PDF", nullptr, "fee: the fee report as PDF", false, true};

// The eight report variables as name=value lines; false when an error escaped.
bool PrintFigures(const PreparedReport& report, CliDialogs& dialogs, bool quiet)
{
    std::string out;
    const bool printed = RunCommand(dialogs, [&] {
        for (const char* name : kFeeVariableNames)
            out += std::string(name) + "=" + Visible(MessageUtf8(EvaluateExpression(name, report.variables.at(name)))) +
                   "\n";
    });
    if (printed && !quiet) {
        WriteStdout(out);
        FlushStdout();
    }
    return printed;
}

int Run(const Arguments& args)
{
    const std::optional<std::string> pdf = args.Value(Pdf);
    AppState app;
    CliDialogs dialogs;
    if (pdf) {
        const std::string missing = MissingReportTemplate(app, {"DeductFee.html"});
        if (!missing.empty()) {
            dialogs.ShowError(missing);
            return 2;
        }
    }
    if (const int status = StartCommand(app, dialogs, args, args.files.front(), {pdf.value_or("")}, true))
        return status;
    std::optional<ReportDocument> document;
    if (!RunCommand(dialogs, [&] { document = BuildTierRateReport(app, dialogs); }))
        return 2;
    if (!document || document->parts.empty()) {
        dialogs.ShowHeldMessages();
        return 1;
    }
    if (!PrintFigures(document->parts.front(), dialogs, args.Has(options::Quiet)))
        return 2;
    return pdf ? WriteDocumentPdf(*document, dialogs, *pdf) : 0;
}

} // namespace

const CommandDescription Fee{
    "fee",
    "FILE",
    "the tier-rate fee report: prints its eight figures as name=value",
    R"(The tier-rate fee report: checks FILE like the seal, counts its credit records
to other banks by amount tier, prices them with the fees of the settings file
([ThreeTierRate] RangeFee1..3) and prints the eight report figures as
name=value lines.
)",
    {
        {&options::InvalidAccounts, "the answer to the invalid-account question: abort\n"
                                    "(default), ignore or cancel"},
        {&Pdf, "also write the fee report as PDF (the template\n"
               "Report/DeductFee.html must be there)"},
        {&options::Quiet, "print only errors (the figures are left out)"},
    },
    R"(FILE may be - for standard input.

Exit status: 0 report produced, 1 refused, 2 usage error, an error that escaped
the report (a fee that is not a number) or a write error.
)",
    "tallivo-cli fee --pdf fee.pdf batch.txt",
    nullptr,
    Run,
};

} // namespace tallivo::cli::commands
