// The table of tallivo-cli's commands: each is described in its own file under
// commands/.
#include "cli/CommandSpec.h"
#include "cli/commands/Commands.h"

#include <sstream>

namespace tallivo::cli {

const std::vector<const CommandSpec*>& Commands()
{
    static const std::vector<const CommandSpec*> commands = {&commands::Check, &commands::Seal, &commands::Fee,
                                                             &commands::Verify, &commands::Mask, &commands::Diff,
                                                             &commands::Help};
    return commands;
}

const CommandSpec* FindCommand(const std::string& name)
{
    for (const CommandSpec* command : Commands())
        if (name == command->name)
            return command;
    return nullptr;
}

std::string OptionLabel(const OptionSpec& option)
{
    std::string label = option.names;
    if (const auto comma = label.find(','); comma != std::string::npos)
        label.insert(comma + 1, " ");
    return option.value ? label + " " + option.value : label;
}

std::string LongName(const OptionSpec& option)
{
    const std::string names = option.names;
    return names.substr(names.find("--"));
}

std::vector<std::string> Choices(const OptionSpec& option)
{
    std::vector<std::string> choices;
    std::istringstream words(option.choices ? option.choices : "");
    for (std::string word; words >> word;)
        choices.push_back(word);
    return choices;
}

} // namespace tallivo::cli
