// seal: checks a payment file and, when it is acceptable, seals it into a zip archive.
#include "cli/Options.h"
#include "cli/PaymentCommand.h"
#include "cli/commands/Commands.h"

namespace tallivo::cli::commands {

namespace {

std::string Validate(const Arguments& args)
{
    if (args.files.front() == "-")
        return "seal writes over or beside FILE: give a file, not - (write ./- for a file named -)";
    return {};
}

int Run(const Arguments& args)
{
    return RunPaymentFiles(args, PaymentCommand::Seal);
}

} // namespace

const CommandDescription Seal{
    "seal",
    "FILE",
    "checks FILE and, when it is acceptable, writes the sealed output and\n"
    "packs it alone into the zip archive",
    "Checks FILE and, when it is acceptable, normalises it, writes the sealed output\n"
    "(its hash value on line 1) over FILE or to " +
        OptionLabel(options::NewFile) +
        ", and packs it alone\n"
        "into the zip archive. Prints the payment summary and the hash value.\n",
    {
        {&options::Zip,
         "the zip archive: the text of the zip box (\".zip\" is\n"
         "added when the name has no extension)",
         true},
        {&options::NewFile, "seal into OUT instead of replacing FILE"},
        {&options::InvalidAccounts, "the answer to \"There are some invalid Orvane\n"
                                    "Account...\": abort (default), ignore (Ignore, then\n"
                                    "Yes) or cancel (Ignore, then Cancel)"},
        {&options::Format, "how the result grid is printed (default text)"},
        {&options::Errors, "write the error file that the Save button would write"},
        {&options::ReportPdf, "after a successful seal, write the payment report as\n"
                              "PDF (the templates of Report/ must be there)"},
        {&options::Strict, "a file with strict findings (see check --help) is\n"
                           "checked as by check, refused, and left untouched"},
        {&options::Quiet, "print only findings and errors"},
    },
    R"(Exit status: 0 sealed, 1 refused (findings or the inputs), 2 usage error, an
error that escaped the seal or a write error.
)",
    "tallivo-cli seal --strict --zip batch " + LongName(options::NewFile) + " sealed.txt batch.txt",
    Validate,
    Run,
};

} // namespace tallivo::cli::commands
