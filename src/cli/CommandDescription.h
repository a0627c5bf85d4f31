#pragma once
// A tallivo-cli command as data: its name, options, FILE arguments, help texts and
// the function that runs it. The parser, the help (and so the man page) and the
// bash completion are all made from these descriptions.
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tallivo::cli {

// An option as the command line spells it.
struct OptionDescription
{
    const char* names;                     // as CLI11 takes them: "--zip", "-q,--quiet"
    const char* value = nullptr;           // the value's name in the help ("ZIP"); none: a flag
    const char* choices = nullptr;         // the only values it takes ("text tsv json"); none: any
    const char* generalHelp = "";          // its text in the general help, lines joined by '\n'
    bool everyCommand = false;             // taken by every command: listed last in the general help
    bool writesPdf = false;                // the command line is run by the program that writes PDF
};

// An option as one command takes it, with that command's own words for it.
struct CommandOption
{
    const OptionDescription* option;
    const char* help;      // its text in the command's help, lines joined by '\n'
    bool required = false; // the command refuses to run without it
};

class Arguments;

struct CommandDescription
{
    const char* name;
    const char* operands;    // the usage line's arguments: "FILE...", "SEALED_FILE", "[COMMAND]"
    const char* summary;     // its entry under "Commands:" in the general help; "" leaves it out
    std::string description; // the help's lines after the usage line
    std::vector<CommandOption> options;
    const char* notes;   // the help's paragraphs after the options
    std::string example; // the help's example command line
    // Usage errors of this command alone, checked after the common ones; "" when none.
    std::string (*validate)(const Arguments&) = nullptr;
    int (*run)(const Arguments&) = nullptr; // the exit status
    bool literalWords = false; // its words are taken as they are, none of them an option
};

// A command line as parsed: the command, its FILE arguments and the options given.
class Arguments
{
public:
    const CommandDescription* command = nullptr;
    std::vector<std::string> files;

    void Set(const OptionDescription& option, std::string value) { m_given[&option] = std::move(value); }
    bool Has(const OptionDescription& option) const { return m_given.count(&option) > 0; }
    // Whether an option given asks for a PDF.
    bool WritesPdf() const
    {
        for (const auto& given : m_given)
            if (given.first->writesPdf)
                return true;
        return false;
    }
    // The value given to a value option.
    std::optional<std::string> Value(const OptionDescription& option) const
    {
        const auto it = m_given.find(&option);
        return it == m_given.end() ? std::nullopt : std::optional<std::string>(it->second);
    }

private:
    std::map<const OptionDescription*, std::string> m_given;
};

// Every command, in the order the help lists them.
const std::vector<const CommandDescription*>& Commands();
// The command of that name, or nullptr.
const CommandDescription* FindCommand(const std::string& name);

// The spellings of an option in help texts ("-q, --quiet", "--zip ZIP") and its long name.
std::string OptionLabel(const OptionDescription& option);
std::string LongName(const OptionDescription& option);
// The values a choice option takes.
std::vector<std::string> Choices(const OptionDescription& option);

} // namespace tallivo::cli
