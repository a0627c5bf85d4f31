// tallivo-cli: the commands for scripted use.
#include "cli/CliReports.h"
#include "cli/CommandLine.h"
#include "cli/HelpText.h"
#include "cli/Streams.h"
#include "cli/TextForms.h"
#include "common/SignalCleanup.h"

#include <string>

using namespace tallivo;
using namespace tallivo::cli;

int main(int argc, char** argv)
{
    SetUpSignals();
    CleanUpOnSignals();
    const ParsedCommandLine parsed = ParseCommandLine(argc, argv);
    int status = 2;
    switch (parsed.kind) {
    case ParsedCommandLine::Kind::Version:
        WriteStdout(VersionText());
        status = 0;
        break;
    case ParsedCommandLine::Kind::UsageError:
        WriteStderr("tallivo-cli: " + Visible(MessageUtf8(parsed.error)) + "\nTry 'tallivo-cli --help'.\n");
        break;
    case ParsedCommandLine::Kind::Run:
        if (parsed.arguments.WritesPdf() && !WritesPdfItself()) {
            status = RunByPdfProgram(argv);
            break;
        }
        status = parsed.arguments.command->run(parsed.arguments);
        break;
    }
    RemoveTemporaryFile();
    return FinishOutput(status);
}
