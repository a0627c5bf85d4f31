// verify: whether line 1 of a sealed file is the hash value of the rest.
#include "app/ErrorHandler.h"
#include "cli/CliDialogs.h"
#include "cli/Inputs.h"
#include "cli/Options.h"
#include "cli/Streams.h"
#include "cli/TextForms.h"
#include "cli/commands/Commands.h"
#include "sealing/SealedOutput.h"

namespace tallivo::cli::commands {

namespace {

int Run(const Arguments& args)
{
    CliDialogs dialogs;
    const std::optional<ReadyInput> input = InputOrRefusal(args.files.front(), dialogs);
    if (!input)
        return 2;
    VerifyResult result;
    if (!RunCommand(dialogs, [&] { result = VerifySealedFile(input->path); }))
        return 2;
    if (!result.ok) {
        WriteStderr(Visible(MessageUtf8(result.message)) + "\n");
        return 1;
    }
    if (!args.Has(options::Quiet))
        WriteStdout("OK " + result.hash + "\n");
    return 0;
}

} // namespace

const CommandDescription Verify{
    "verify",
    "SEALED_FILE",
    "prints \"OK <hash>\" when line 1 of the file is the SHA-1 of the rest",
    R"(Prints "OK <hash>" when line 1 of SEALED_FILE equals the upper-case hexadecimal
SHA-1 of every byte after line 1's CR LF; otherwise says why on stderr.
)",
    {
        {&options::Quiet, "print nothing when the hash matches"},
    },
    R"(SEALED_FILE may be - for standard input.

Exit status: 0 the hash matches, 1 it does not, 2 usage error or a file that
cannot be read.
)",
    "tallivo-cli verify sealed.txt && echo sealed",
    nullptr,
    Run,
};

} // namespace tallivo::cli::commands
