#include "cli/Completion.h"

#include "cli/CommandDescription.h"

#include <algorithm>

namespace tallivo::cli {

namespace {

// The options of every command, each once, in the order the commands list them.
std::vector<const OptionDescription*> EveryOption()
{
    std::vector<const OptionDescription*> all;
    for (const CommandDescription* command : Commands())
        for (const CommandOption& option : command->options)
            if (std::find(all.begin(), all.end(), option.option) == all.end())
                all.push_back(option.option);
    return all;
}

std::string Join(const std::vector<std::string>& words, const std::string& separator)
{
    std::string joined;
    for (const std::string& word : words)
        joined += (joined.empty() ? "" : separator) + word;
    return joined;
}

// The case entries completing an option's value: its choices, or a file name.
std::string ValueCases()
{
    std::string cases;
    std::vector<std::string> fileOptions;
    for (const OptionDescription* option : EveryOption()) {
        if (!option->value)
            continue;
        if (option->choices)
            cases += "        " + LongName(*option) + ") COMPREPLY=($(compgen -W \"" + Join(Choices(*option), " ") +
                     "\" -- \"$cur\")); return ;;\n";
        else
            fileOptions.push_back(LongName(*option));
    }
    if (!fileOptions.empty())
        cases += "        " + Join(fileOptions, "|") +
                 ")\n"
                 "            compopt -o filenames 2>/dev/null\n"
                 "            COMPREPLY=($(compgen -f -- \"$cur\"))\n"
                 "            return ;;\n";
    return cases;
}

// The case entries giving each command's options (help: the commands it explains).
std::string CommandCases()
{
    std::string cases;
    std::vector<std::string> topics;
    for (const CommandDescription* command : Commands())
        if (*command->summary)
            topics.push_back(command->name);
    for (const CommandDescription* command : Commands()) {
        if (command->literalWords) {
            cases += "        " + std::string(command->name) + ") COMPREPLY=($(compgen -W \"" + Join(topics, " ") +
                     "\" -- \"$cur\")); return ;;\n";
            continue;
        }
        std::vector<std::string> names;
        for (const CommandOption& option : command->options)
            names.push_back(LongName(*option.option));
        names.emplace_back("--help");
        cases += "        " + std::string(command->name) + ") options=\"" + Join(names, " ") + "\" ;;\n";
    }
    return cases;
}

} // namespace

std::string BashCompletion()
{
    std::vector<std::string> names;
    for (const CommandDescription* command : Commands())
        names.emplace_back(command->name);
    return "# bash completion for tallivo-cli: its commands, each command's options, the values\n"
           "# of its choice options, and file names elsewhere. Made by tallivo-cli-completion.\n"
           "_tallivo_cli()\n"
           "{\n"
           "    local cur prev command i\n"
           "    cur=${COMP_WORDS[COMP_CWORD]}\n"
           "    prev=${COMP_WORDS[COMP_CWORD-1]}\n"
           "    command=\n"
           "    for ((i = 1; i < COMP_CWORD; i++)); do\n"
           "        case ${COMP_WORDS[i]} in\n"
           "            " +
           Join(names, "|") +
           ") command=${COMP_WORDS[i]}; break ;;\n"
           "        esac\n"
           "    done\n\n"
           "    if [[ -z $command ]]; then\n"
           "        COMPREPLY=($(compgen -W \"" +
           Join(names, " ") +
           " --help --version\" -- \"$cur\"))\n"
           "        return\n"
           "    fi\n\n"
           "    case $prev in\n" +
           ValueCases() +
           "    esac\n\n"
           "    local options\n"
           "    case $command in\n" +
           CommandCases() +
           "    esac\n"
           "    if [[ $cur == -* ]]; then\n"
           "        COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
           "    else\n"
           "        compopt -o filenames 2>/dev/null\n"
           "        COMPREPLY=($(compgen -f -- \"$cur\"))\n"
           "    fi\n"
           "}\n"
           "complete -F _tallivo_cli tallivo-cli\n";
}

} // namespace tallivo::cli
