// diff: what changed between two payment files.
#include "app/ErrorHandler.h"
#include "cli/CliDialogs.h"
#include "cli/DiffOutput.h"
#include "cli/Inputs.h"
#include "cli/Options.h"
#include "cli/Streams.h"
#include "cli/commands/Commands.h"
#include "comparing/PaymentFileDiff.h"

namespace tallivo::cli::commands {

namespace {

std::string Validate(const Arguments& args)
{
    if (args.files.size() != 2)
        return "diff takes two files: OLD NEW";
    if (args.Value(options::Format).value_or("text") == "tsv")
        return "diff --format must be text or json";
    return {};
}

int Run(const Arguments& args)
{
    CliDialogs dialogs;
    const std::optional<ReadyInput> oldInput = InputOrRefusal(args.files[0], dialogs);
    if (!oldInput)
        return 2;
    const std::optional<ReadyInput> newInput = InputOrRefusal(args.files[1], dialogs);
    if (!newInput)
        return 2;
    const DiffFormat format = options::FormatOf(args) == OutputFormat::Json ? DiffFormat::Json : DiffFormat::Text;
    DiffWriter writer(format, args.files[0], args.files[1], [](std::string_view text) { WriteStdout(text); });
    DiffOutcome outcome;
    if (!RunCommand(dialogs, [&] {
            outcome = DiffPaymentFiles(oldInput->path, newInput->path,
                                       [&writer](const RecordChange& change) { writer.Change(change); });
        }))
        return 2;
    writer.Finish(outcome);
    return outcome.Equal() ? 0 : 1;
}

} // namespace

const CommandDescription Diff{
    "diff",
    "OLD NEW",
    "what changed between two payment files and in their totals",
    R"(Prints what changed from OLD to NEW: records are matched as a line diff
matches lines, and a removed and an added record of one type at one place are
one changed record, shown with every field that differs (its name, columns, old
and new text, Thai decoded). Then the credits' count and amount per product and
value date in each file, and the difference.
)",
    {
        {&options::Format, "text (default): a line per change; json: one object"},
    },
    R"(OLD or NEW may be - for standard input. Where the files part, up to 1000
records of each are read ahead and matched, so memory stays small for files of
any size that are mostly equal.

Exit status: 0 the files are equal, 1 they differ, 2 usage error or a file that
cannot be read.
)",
    "tallivo-cli diff approved.txt batch.txt",
    Validate,
    Run,
};

} // namespace tallivo::cli::commands
