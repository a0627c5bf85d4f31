#include "cli/CommandLine.h"

#include "cli/Options.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <deque>
#include <map>
#include <set>

namespace tallivo::cli {

namespace {

ParsedCommandLine Usage(const std::string& error)
{
    ParsedCommandLine p;
    p.kind = ParsedCommandLine::Kind::UsageError;
    p.error = error;
    return p;
}

ParsedCommandLine Run(Arguments arguments)
{
    ParsedCommandLine p;
    p.kind = ParsedCommandLine::Kind::Run;
    p.arguments = std::move(arguments);
    return p;
}

// The help command, asked for the help of command (or for the general help).
ParsedCommandLine HelpFor(const CommandDescription* command)
{
    Arguments help;
    help.command = FindCommand("help");
    if (command)
        help.files.push_back(command->name);
    return Run(std::move(help));
}

// Where an option is checked and listed by the parser: the shared options in their
// order, the command's own before those that every command takes.
int Rank(const OptionDescription* option)
{
    const auto& shared = options::Shared();
    const auto at = std::find(shared.begin(), shared.end(), option);
    if (at == shared.end())
        return static_cast<int>(shared.size());
    return static_cast<int>(at - shared.begin()) + (option->everyCommand ? static_cast<int>(shared.size()) + 1 : 0);
}

// One command's CLI11 parser, made from its description.
struct CommandParser
{
    explicit CommandParser(const CommandDescription& command);

    CLI::App app;
    CLI::Option* help = nullptr;
    std::vector<std::pair<const CommandOption*, CLI::Option*>> options; // in Rank order
    std::deque<bool> flags;   // the flags' values, in the order of options
    std::vector<std::string> files;
    bool helpGiven = false;
};

CommandParser::CommandParser(const CommandDescription& command)
{
    app.set_help_flag();
    app.allow_extras();
    std::vector<const CommandOption*> taken;
    for (const CommandOption& option : command.options)
        taken.push_back(&option);
    std::stable_sort(taken.begin(), taken.end(),
                     [](const CommandOption* a, const CommandOption* b) { return Rank(a->option) < Rank(b->option); });
    for (const CommandOption* option : taken) {
        const OptionDescription& described = *option->option;
        CLI::Option* parsed = nullptr;
        if (described.value) {
            parsed = app.add_option(described.names)->multi_option_policy(CLI::MultiOptionPolicy::Throw);
        } else {
            flags.push_back(false);
            parsed = app.add_flag(described.names, flags.back());
        }
        options.emplace_back(option, parsed);
    }
    help = app.add_flag("-h,--help", helpGiven);
    app.add_option("FILE", files);
}

bool TakesValue(const OptionDescription& option)
{
    return option.value != nullptr;
}

// CLI11 2.1 reads "--name=" as "--name" waiting for the next argument; what is meant
// is an empty value, so such a word is given to it as "--name" and "".
std::vector<std::string> CommandWords(int argc, const char* const* argv)
{
    std::vector<std::string> words;
    bool optionsEnded = false;
    for (int i = 0; i < argc; ++i) {
        const std::string word = argv[i];
        optionsEnded = optionsEnded || (i > 0 && word == "--");
        const bool emptyValue = !optionsEnded && word.size() > 3 && word.compare(0, 2, "--") == 0 &&
                                word.find('=') == word.size() - 1;
        words.push_back(emptyValue ? word.substr(0, word.size() - 1) : word);
        if (emptyValue)
            words.emplace_back();
    }
    return words;
}

// The option name that starts a CLI11 error text ("--zip: ..."), or "".
std::string OptionNameOf(const std::string& text)
{
    const auto colon = text.find(':');
    if (colon == std::string::npos || text.compare(0, 1, "-") != 0)
        return {};
    return text.substr(0, colon);
}

std::string ParseErrorText(const CLI::ParseError& error)
{
    const std::string text = error.what();
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) == nullptr)
        return text;
    if (text.find("received") != std::string::npos)
        return "option " + OptionNameOf(text) + " given more than once";
    return "option " + OptionNameOf(text) + " needs a value";
}

// The values given after an equals sign ("--errors=-x"), each as "--name=value":
// such a value may start with '-'.
std::multiset<std::string> EqualsValues(const std::vector<std::string>& words)
{
    std::multiset<std::string> given;
    for (const std::string& word : words) {
        if (word == "--")
            break;
        if (word.compare(0, 2, "--") == 0 && word.find('=') != std::string::npos)
            given.insert(word);
    }
    return given;
}

// In the order they were given: help asked for, or a value option that took the
// next option ("-" alone is a file) as its value. Either ends the parse.
std::optional<ParsedCommandLine> FirstStop(const CommandParser& parser, const CommandDescription& command,
                                           std::multiset<std::string> equalsValues)
{
    std::map<const CLI::Option*, std::size_t> seen;
    for (const CLI::Option* option : parser.app.parse_order()) {
        const std::size_t index = seen[option]++;
        const std::string value = index < option->results().size() ? option->results()[index] : std::string();
        if (option == parser.help) {
            if (value != "true") // --help=VALUE
                return Usage("unknown option --help for " + std::string(command.name));
            return HelpFor(&command);
        }
        const auto taken = std::find_if(parser.options.begin(), parser.options.end(),
                                        [&](const auto& entry) { return entry.second == option; });
        if (taken == parser.options.end() || !TakesValue(*taken->first->option) || value.size() < 2 || value[0] != '-')
            continue;
        const std::string name = LongName(*taken->first->option);
        if (const auto equals = equalsValues.find(name + "=" + value); equals != equalsValues.end())
            equalsValues.erase(equals);
        else
            return Usage("option " + name + " needs a value (found '" + value + "')");
    }
    return std::nullopt;
}

// The values of the options given, then the checks of what was given: any command's,
// then the command's own.
std::string TakeArguments(const CommandParser& parser, const CommandDescription& command, Arguments& args)
{
    args.files = parser.files;
    std::size_t flag = 0;
    for (const auto& [option, parsed] : parser.options) {
        if (!TakesValue(*option->option)) {
            if (parser.flags[flag++])
                args.Set(*option->option, "");
        } else if (parsed->count() > 0) {
            args.Set(*option->option, parsed->results().front());
        }
    }
    if (args.files.empty())
        return "missing FILE";
    // A command takes as many FILEs as its usage line names, or any number after "...".
    const std::string operands = command.operands;
    const auto named = static_cast<std::size_t>(std::count(operands.begin(), operands.end(), ' ') + 1);
    if (operands.find("...") == std::string::npos && args.files.size() > named)
        return "too many arguments: " + std::string(command.name) + " takes " +
               (named == 1 ? std::string("one FILE") : operands);
    for (const auto& [option, parsed] : parser.options) {
        const std::vector<std::string> choices = Choices(*option->option);
        const std::optional<std::string> value = args.Value(*option->option);
        if (value && !choices.empty() &&
            std::none_of(choices.begin(), choices.end(), [&](const std::string& c) { return *value == c; })) {
            std::string text = LongName(*option->option) + " must be ";
            for (std::size_t i = 0; i < choices.size(); ++i)
                text += (i == 0 ? "" : i + 1 < choices.size() ? ", " : " or ") + choices[i];
            return text;
        }
    }
    for (const CommandOption& option : command.options)
        if (option.required && !args.Has(*option.option))
            return std::string(command.name) + " needs " + OptionLabel(*option.option);
    if (command.validate)
        if (std::string error = command.validate(args); !error.empty())
            return error;
    if (std::count(args.files.begin(), args.files.end(), "-") > 1)
        return "- (standard input) can be given once";
    return {};
}

// The words after the command name (argv[0] here), parsed as the command declares.
ParsedCommandLine ParseCommand(const CommandDescription& command, int argc, const char* const* argv)
{
    CommandParser parser(command);
    const std::vector<std::string> words = CommandWords(argc, argv);
    std::vector<const char*> pointers;
    for (const std::string& word : words)
        pointers.push_back(word.c_str());
    std::string error;
    try {
        parser.app.parse(static_cast<int>(pointers.size()), pointers.data());
    } catch (const CLI::ParseError& e) {
        error = ParseErrorText(e);
    }
    if (std::optional<ParsedCommandLine> stop = FirstStop(parser, command, EqualsValues(words)))
        return *stop;
    if (!error.empty())
        return Usage(error);
    for (const std::string& extra : parser.app.remaining())
        if (extra != "--")
            return Usage("unknown option " + extra.substr(0, extra.find('=')) + " for " + command.name);
    Arguments args;
    args.command = &command;
    if (const std::string why = TakeArguments(parser, command, args); !why.empty())
        return Usage(why);
    return Run(std::move(args));
}

} // namespace

ParsedCommandLine ParseCommandLine(int argc, const char* const* argv)
{
    if (argc < 2)
        return Usage("missing command");
    const std::string first = argv[1];
    if (first == "-h" || first == "--help")
        return HelpFor(nullptr);
    if (first == "--version") {
        ParsedCommandLine p;
        p.kind = ParsedCommandLine::Kind::Version;
        return p;
    }
    const CommandDescription* command = FindCommand(first);
    if (!command)
        return Usage(first.size() > 1 && first[0] == '-' ? "unknown option " + first + " (give a command first)"
                                                         : "unknown command '" + first + "'");
    if (!command->literalWords)
        return ParseCommand(*command, argc - 1, argv + 1);
    Arguments args;
    args.command = command;
    args.files.assign(argv + 2, argv + argc);
    if (const std::string error = command->validate ? command->validate(args) : ""; !error.empty())
        return Usage(error);
    return Run(std::move(args));
}

} // namespace tallivo::cli
