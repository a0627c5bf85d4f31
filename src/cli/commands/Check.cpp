// check: checks payment files as the seal would, and changes nothing.
#include "cli/PaymentCommand.h"
#include "cli/Options.h"
#include "cli/commands/Commands.h"

namespace tallivo::cli::commands {

namespace {

std::string Validate(const Arguments& args)
{
    if (args.files.size() > 1) {
        if (args.Has(options::Errors))
            return "--errors writes one error file: give one FILE";
        if (options::FormatOf(args) == OutputFormat::Tsv)
            return "--format tsv prints one grid: give one FILE, or use --format json";
    }
    return {};
}

int Run(const Arguments& args)
{
    return RunPaymentFiles(args, PaymentCommand::Check);
}

} // namespace

const CommandDescription Check{
    "check",
    "FILE...",
    "checks each FILE as the seal would, and changes nothing",
    R"(Checks each payment FILE as the seal would and changes nothing: the file
exists, its record types and record lengths, the express cheque limit and
every field of every record. Never asks the invalid-account question: a file
whose only findings are invalid home-bank accounts prints them and exits 1.
)",
    {
        {&options::Format, "how the result grid is printed on stdout (default\n"
                           "text). text: a table for people. tsv: one line per\n"
                           "grid row, cells joined by TAB, the payment file's\n"
                           "bytes as they are (UTF-8 when stdout is a terminal).\n"
                           "json: one object per FILE, one per line (schema 1)."},
        {&options::Errors, "write the error file that the Save button would write\n"
                           "(nothing when there is none); one FILE only"},
        {&options::Strict, "also report, each as a finding of its own, a file\n"
                           "without lines, a first record that is not the header\n"
                           "(001), a last record that is not the trailer (999), a\n"
                           "second header or trailer, and bytes after a Ctrl-Z"},
        {&options::Quiet, "print only findings and errors"},
    },
    R"(FILE may be - for standard input (read once, into a private temporary file).
Several FILEs are checked in turn, each as if alone: text output names each
file, each message on stderr starts with "FILE: ", json gives one object per
file; tsv takes one FILE. The exit status is the worst of them.

Exit status: 0 no findings, 1 findings or a refusal, 2 usage error, a FILE
that cannot be read, an error that escaped the check or a write error.
)",
    "cat batch.txt | tallivo-cli check --strict --format json - old.txt",
    Validate,
    Run,
};

} // namespace tallivo::cli::commands
