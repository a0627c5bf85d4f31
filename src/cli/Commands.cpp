// The table of tallivo-cli's commands: each is described in its own file under
// commands/.
#include "cli/CommandDescription.h"
#include "cli/commands/Commands.h"

#include <sstream>

namespace tallivo::cli {

const std::vector<const CommandDescription*>& Commands()
{
    static const std::vector<const CommandDescription*> commands = {&commands::Check, &commands::Seal, &commands::Fee,
                                                             &commands::Verify, &commands::Mask, &commands::Diff,
                                                             &commands::Help};
    return commands;
}

const CommandDescription* FindCommand(const std::string& name)
{
    for (const CommandDescription* command : Commands())
        if (name == command->name)
            return command;
    return nullptr;
}

std::string OptionLabel(const OptionDescription& option)
{
    std::string label = option.names;
    if (const auto comma = label.find(','); comma != std::string::npos)
        label.insert(comma + 1, " ");
    return option.value ? label + " " + option.value : label;
}

std::string LongName(const OptionDescription& option)
{
    const std::string names = option.names;
    return names.substr(names.find("--"));
}

std::vector<std::string> Choices(const OptionDescription& option)
{
    std::vector<std::string> choices;
    std::istringstream words(option.choices ? option.choices : "");
    for (std::string word; words >> word;)
        choices.push_back(word);
    return choices;
}

} // namespace tallivo::cli
