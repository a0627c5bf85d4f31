#pragma once
// The command line of tallivo-cli: its commands, their options and FILE arguments,
// parsed with CLI11 into what the commands need.
#include "app/Dialogs.h"
#include "cli/GridOutput.h"

#include <optional>
#include <string>
#include <vector>

namespace tallivo::cli {

enum class Command { Check, Seal, Fee, Verify };

std::string CommandName(Command command);

struct Arguments
{
    Command command = Command::Check;
    std::vector<std::string> files; // check: one or more; the others: exactly one
    OutputFormat format = OutputFormat::Text;
    std::optional<std::string> errors;    // --errors OUT
    std::optional<std::string> zip;       // --zip ZIP
    std::optional<std::string> newFile;   // --new-file OUT
    std::optional<std::string> reportPdf; // --report-pdf PDF
    std::optional<std::string> pdf;       // --pdf PDF
    // The answers to the invalid-account question and its confirmation.
    std::vector<MsgButton> invalidAccountAnswers{MsgButton::Abort};
    bool strict = false;
    bool quiet = false;
};

struct ParsedCommandLine
{
    enum class Kind { Run, Help, Version, UsageError };
    Kind kind = Kind::UsageError;
    Arguments arguments;             // Kind::Run
    std::optional<Command> helpFor;  // Kind::Help: a command's help, or the general help
    std::string error;               // Kind::UsageError: what is wrong, naming the argument
};

ParsedCommandLine ParseCommandLine(int argc, const char* const* argv);

// The help texts (lines within 80 columns) and the version line.
std::string GeneralHelp();
std::string CommandHelp(Command command);
std::string VersionText();

} // namespace tallivo::cli
