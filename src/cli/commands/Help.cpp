// help: the general help, or one command's. Its words are command names, never options.
#include "cli/HelpText.h"
#include "cli/Streams.h"
#include "cli/commands/Commands.h"

namespace tallivo::cli::commands {

namespace {

// The command whose help is asked for: one with an entry of its own in the general help.
const CommandDescription* Topic(const std::string& name)
{
    const CommandDescription* command = FindCommand(name);
    return command && *command->summary ? command : nullptr;
}

std::string Validate(const Arguments& args)
{
    if (args.files.empty())
        return {};
    if (!Topic(args.files.front()))
        return "unknown command '" + args.files.front() + "'";
    if (args.files.size() > 1)
        return "too many arguments for help";
    return {};
}

int Run(const Arguments& args)
{
    WriteStdout(args.files.empty() ? GeneralHelp() : CommandHelp(*Topic(args.files.front())));
    return 0;
}

} // namespace

const CommandDescription Help{
    "help", "[COMMAND]", "", "", {}, "", "", Validate, Run, true,
};

} // namespace tallivo::cli::commands
