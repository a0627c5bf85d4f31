// mask: a copy of a payment file to share without the payees' data.
#include "app/AppState.h"
#include "app/ErrorHandler.h"
#include "app/MaskCommand.h"
#include "cli/CliDialogs.h"
#include "cli/Inputs.h"
#include "cli/Streams.h"
#include "cli/commands/Commands.h"
#include "masking/MaskedCopy.h"

namespace tallivo::cli::commands {

namespace {

constexpr OptionDescription Output{"-o,--output", "OUT", nullptr, "mask: where the copy goes (- for standard output)"};

int Run(const Arguments& args)
{
    CliDialogs dialogs;
    const std::optional<ReadyInput> input = InputOrRefusal(args.files.front(), dialogs);
    if (!input)
        return 2;
    const std::string output = args.Value(Output).value_or("");
    AppState app;
    app.inputPath = input->path;
    app.inputOrigin = input->origin;
    CommandOutcome outcome = CommandOutcome::Completed;
    const bool ran = RunCommand(dialogs, [&] {
        if (output == "-")
            MaskPaymentFile(app.inputPath, [](std::string_view bytes) { WriteStdout(bytes); });
        else
            outcome = SaveMaskedCopy(app, dialogs, output);
    });
    return ran && outcome == CommandOutcome::Completed ? 0 : 2;
}

} // namespace

const CommandDescription Mask{
    "mask",
    "FILE",
    "writes a copy of FILE without the payees' data that checks the same",
    R"(Writes to OUT a copy of FILE to share without the payees' data: the same
findings, summary and totals, the same records, lengths and line ends, and every
payee name, id, tax id, fax number, account number, cheque reference, WHT
remark, income description and invoice number replaced by a look-alike that
passes or fails every rule as the original does; columns no field names are
blanked. The same FILE always gives the same copy, and one value the same
look-alike throughout it.
)",
    {
        {&Output, "the masked copy (- for standard output)", true},
    },
    R"(FILE may be - for standard input.

Exit status: 0 written, 2 usage error, a FILE that cannot be read, or an OUT
that names FILE (also through a link or as a hard link) or is no regular file,
refused before anything is written.
)",
    "tallivo-cli mask -o batch-masked.txt batch.txt",
    nullptr,
    Run,
};

} // namespace tallivo::cli::commands
