#include "cli/Arguments.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>

namespace tallivo::cli {

namespace {

struct CommandEntry
{
    Command command;
    const char* name;
    std::vector<const char*> valueOptions; // options that take a value
};

const std::array<CommandEntry, 4> kCommands = {{
    {Command::Check, "check", {"--format", "--errors"}},
    {Command::Seal, "seal", {"--zip", "--new-file", "--invalid-accounts", "--format", "--errors", "--report-pdf"}},
    {Command::Fee, "fee", {"--invalid-accounts", "--pdf"}},
    {Command::Verify, "verify", {}},
}};

const CommandEntry* FindCommand(const std::string& name)
{
    for (const CommandEntry& entry : kCommands)
        if (name == entry.name)
            return &entry;
    return nullptr;
}

bool IsHelp(const std::string& a)
{
    return a == "-h" || a == "--help";
}

ParsedCommandLine Usage(const std::string& error)
{
    ParsedCommandLine p;
    p.kind = ParsedCommandLine::Kind::UsageError;
    p.error = error;
    return p;
}

ParsedCommandLine Help(std::optional<Command> command)
{
    ParsedCommandLine p;
    p.kind = ParsedCommandLine::Kind::Help;
    p.helpFor = command;
    return p;
}

std::optional<OutputFormat> FormatNamed(const std::string& name)
{
    if (name == "text")
        return OutputFormat::Text;
    if (name == "tsv")
        return OutputFormat::Tsv;
    if (name == "json")
        return OutputFormat::Json;
    return std::nullopt;
}

std::optional<std::vector<MsgButton>> AnswersNamed(const std::string& name)
{
    if (name == "abort")
        return std::vector<MsgButton>{MsgButton::Abort};
    if (name == "ignore")
        return std::vector<MsgButton>{MsgButton::Ignore, MsgButton::Yes};
    if (name == "cancel")
        return std::vector<MsgButton>{MsgButton::Ignore, MsgButton::Cancel};
    return std::nullopt;
}

// The option name that starts a CLI11 error text ("--zip: ..."), or "".
std::string OptionNameOf(const std::string& text)
{
    const auto colon = text.find(':');
    if (colon == std::string::npos || text.compare(0, 1, "-") != 0)
        return {};
    return text.substr(0, colon);
}

} // namespace

std::string CommandName(Command command)
{
    for (const CommandEntry& entry : kCommands)
        if (entry.command == command)
            return entry.name;
    return {};
}

ParsedCommandLine ParseCommandLine(int argc, const char* const* argv)
{
    if (argc < 2)
        return Usage("missing command");
    const std::string first = argv[1];
    if (IsHelp(first))
        return Help(std::nullopt);
    if (first == "--version") {
        ParsedCommandLine p;
        p.kind = ParsedCommandLine::Kind::Version;
        return p;
    }
    if (first == "help") {
        if (argc == 2)
            return Help(std::nullopt);
        const CommandEntry* entry = FindCommand(argv[2]);
        if (!entry || argc > 3)
            return Usage(entry ? "too many arguments for help" : "unknown command '" + std::string(argv[2]) + "'");
        return Help(entry->command);
    }
    const CommandEntry* entry = FindCommand(first);
    if (!entry)
        return Usage(first.compare(0, 1, "-") == 0 && first.size() > 1 ? "unknown option " + first + " (give a command first)"
                                                                       : "unknown command '" + first + "'");

    // The arguments after the command. Before "--": help wins over everything else;
    // "--name=" becomes "--name" and an empty value; a value option followed by an
    // option (not by "-" alone) lacks its value.
    std::vector<std::string> args;
    bool optionsEnded = false;
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        if (optionsEnded) {
            args.push_back(a);
            continue;
        }
        if (a == "--") {
            optionsEnded = true;
            args.push_back(a);
            continue;
        }
        if (IsHelp(a))
            return Help(entry->command);
        const bool takesValue = std::any_of(entry->valueOptions.begin(), entry->valueOptions.end(),
                                            [&](const char* o) { return a == o; });
        if (takesValue && i + 1 < argc) {
            const std::string next = argv[i + 1];
            if (next.size() > 1 && next[0] == '-')
                return Usage("option " + a + " needs a value (found '" + next + "')");
        }
        if (a.size() > 3 && a.compare(0, 2, "--") == 0 && a.back() == '=' && a.find('=') == a.size() - 1) {
            args.push_back(a.substr(0, a.size() - 1));
            args.push_back("");
            continue;
        }
        args.push_back(a);
    }

    CLI::App app;
    app.set_help_flag();
    app.allow_extras();
    Arguments result;
    result.command = entry->command;
    std::string format;
    std::string answers;
    std::string zip;
    std::string errors;
    std::string newFile;
    std::string reportPdf;
    std::string pdf;
    const auto single = CLI::MultiOptionPolicy::Throw;
    CLI::Option* formatOption = nullptr;
    CLI::Option* answersOption = nullptr;
    CLI::Option* zipOption = nullptr;
    CLI::Option* errorsOption = nullptr;
    CLI::Option* newFileOption = nullptr;
    CLI::Option* reportPdfOption = nullptr;
    CLI::Option* pdfOption = nullptr;
    const Command c = entry->command;
    if (c == Command::Check || c == Command::Seal) {
        formatOption = app.add_option("--format", format)->multi_option_policy(single);
        errorsOption = app.add_option("--errors", errors)->multi_option_policy(single);
        app.add_flag("--strict", result.strict);
    }
    if (c == Command::Seal) {
        zipOption = app.add_option("--zip", zip)->multi_option_policy(single);
        newFileOption = app.add_option("--new-file", newFile)->multi_option_policy(single);
        reportPdfOption = app.add_option("--report-pdf", reportPdf)->multi_option_policy(single);
    }
    if (c == Command::Seal || c == Command::Fee)
        answersOption = app.add_option("--invalid-accounts", answers)->multi_option_policy(single);
    if (c == Command::Fee)
        pdfOption = app.add_option("--pdf", pdf)->multi_option_policy(single);
    app.add_flag("-q,--quiet", result.quiet);
    app.add_option("FILE", result.files);

    std::reverse(args.begin(), args.end()); // CLI11 takes them last first
    try {
        app.parse(args);
    } catch (const CLI::ArgumentMismatch& e) {
        const std::string text = e.what();
        const std::string name = OptionNameOf(text);
        if (text.find("received") != std::string::npos)
            return Usage("option " + name + " given more than once");
        return Usage("option " + name + " needs a value");
    } catch (const CLI::ParseError& e) {
        return Usage(e.what());
    }
    for (const std::string& extra : app.remaining()) {
        if (extra == "--")
            continue;
        return Usage("unknown option " + extra.substr(0, extra.find('=')) + " for " + entry->name);
    }

    if (result.files.empty())
        return Usage("missing FILE");
    if (c != Command::Check && result.files.size() > 1)
        return Usage("too many arguments: " + std::string(entry->name) + " takes one FILE");
    if (formatOption && formatOption->count() > 0) {
        const auto f = FormatNamed(format);
        if (!f)
            return Usage("--format must be text, tsv or json");
        result.format = *f;
    }
    if (answersOption && answersOption->count() > 0) {
        const auto a = AnswersNamed(answers);
        if (!a)
            return Usage("--invalid-accounts must be abort, ignore or cancel");
        result.invalidAccountAnswers = *a;
    }
    if (c == Command::Seal && zipOption->count() == 0)
        return Usage("seal needs --zip ZIP");
    const auto take = [](CLI::Option* option, const std::string& value, std::optional<std::string>& into) {
        if (option && option->count() > 0)
            into = value;
    };
    take(zipOption, zip, result.zip);
    take(errorsOption, errors, result.errors);
    take(newFileOption, newFile, result.newFile);
    take(reportPdfOption, reportPdf, result.reportPdf);
    take(pdfOption, pdf, result.pdf);

    if (result.files.size() > 1) {
        if (result.errors)
            return Usage("--errors writes one error file: give one FILE");
        if (result.format == OutputFormat::Tsv)
            return Usage("--format tsv prints one grid: give one FILE, or use --format json");
    }
    if (std::count(result.files.begin(), result.files.end(), "-") > 1)
        return Usage("- (standard input) can be given once");
    if (c == Command::Seal && result.files[0] == "-")
        return Usage("seal writes over or beside FILE: give a file, not - (write ./- for a file named -)");

    ParsedCommandLine p;
    p.kind = ParsedCommandLine::Kind::Run;
    p.arguments = std::move(result);
    return p;
}

} // namespace tallivo::cli
