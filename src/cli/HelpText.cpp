// The help texts of tallivo-cli and its version line. The man page is made from
// GeneralHelp() and VersionText() at build time, so every line stays within 80
// columns and the sections start with a line ending in ':'. The usage lines, the
// commands and the options come from the commands' descriptions.
#include "cli/HelpText.h"

#include "cli/Options.h"
#include "common/Version.h"

#include <algorithm>

namespace tallivo::cli {

namespace {

const char* const kIntro = R"(Checks bulk payment files before they go to the bank, seals a clean one with its
hash value into a zip archive, verifies sealed files, prints the tier-rate fee
report, masks a file to share without the payees' data and tells what changed
between two files. "tallivo-cli help COMMAND" (or COMMAND --help) shows a
command's options with an example.
)";

const char* const kOptionsNote = R"(
  A FILE of check, fee, verify, mask or diff may be - for standard input. A
  FILE must be a regular file or a link to one; a pipe or a device is refused.

Output:
  Every message a command shows goes to stderr, one per line, with its exact
  text; text and json are UTF-8 (the payment file's Thai decoded), with control
  characters visible in text; tsv keeps the payment file's bytes.

)";

const char* const kFiles = R"(Files:
  Settings, each key from the first file that sets it: the user's own
  $XDG_CONFIG_HOME/tallivo/Config.ini (default ~/.config/tallivo/Config.ini),
  the machine's /etc/tallivo/Config.ini, then Data/Config.ini in the program
  folder.
  Table files: the program folder's Data/ when it is writable (a build or
  copied folder); otherwise each user's $XDG_DATA_HOME/tallivo/Data/ (default
  ~/.local/share/tallivo/Data/), made on first use from the program's pristine
  copies.
  Report templates: Report/ in the program folder.
)";

const char* const kSettings = R"(Settings file:
  Read line by line. "[Name]" starts a section and "Key=Value" in it sets a
  key; names match in any letter case, blanks and tabs around names and values
  are dropped, and the first matching key counts. A value runs to the end of
  its line (at most 2047 characters): there are no comments after a value and
  no quotes. Any other line is ignored, so a whole line of comment starting
  with ";" or "#" is fine. The shipped file:

    [BeneChargeProfile]
    BeneChargeFlag=FALSE

    [ThreeTierRate]
    RangeFee1=10
    RangeFee2=20
    RangeFee3=30

  BeneChargeFlag TRUE (any letter case) marks credit records "B " in the
  sealed output; any other value, or none, does not. RangeFee1, 2 and 3 are
  the fees per credit record to other banks up to 100,000.00, above that up to
  500,000.00, and above that up to 2,000,000.00: decimal numbers such as 10 or
  12.50; the fee report needs all three.
)";

const char* const kExitStatus = R"(
Exit status:
  0  completed (check: no findings; seal: sealed; fee: report produced;
     verify: the hash matches)
  1  stopped at a refusal or at findings, or the file does not verify
  2  usage error, a FILE that cannot be read, an error that escaped the
     command, or output that could not be written (a closed pipe ends the
     program quietly, as for any program in a pipeline)
  check with several FILEs exits with the worst status of them.

Example:
  tallivo-cli check --strict --format json batch1.txt batch2.txt
)";

// A help entry: the label in a column of width, then the text, its further lines
// indented to the text's column.
std::string Entry(const std::string& label, std::size_t width, const std::string& text)
{
    std::string entry = "  " + label + std::string(width > label.size() ? width - label.size() : 0, ' ') + "  ";
    const std::string indent(width + 4, ' ');
    for (const char c : text)
        entry += c == '\n' ? "\n" + indent : std::string(1, c);
    return entry + "\n";
}

const std::size_t kOptionWidth = 22;

// The usage line's words after "tallivo-cli".
std::string Synopsis(const CommandDescription& command)
{
    std::string synopsis = command.name;
    for (const CommandOption& option : command.options)
        if (option.required)
            synopsis += " " + OptionLabel(*option.option);
    if (!command.options.empty())
        synopsis += " [OPTION]...";
    return synopsis + " " + command.operands;
}

// Every option, each once: the shared ones, then the commands' own, then those
// that every command takes.
std::vector<const OptionDescription*> AllOptions()
{
    std::vector<const OptionDescription*> all;
    for (const OptionDescription* option : options::Shared())
        if (!option->everyCommand)
            all.push_back(option);
    for (const CommandDescription* command : Commands())
        for (const CommandOption& option : command->options)
            if (std::find(all.begin(), all.end(), option.option) == all.end() && !option.option->everyCommand)
                all.push_back(option.option);
    for (const OptionDescription* option : options::Shared())
        if (option->everyCommand)
            all.push_back(option);
    return all;
}

} // namespace

std::string VersionText()
{
    return std::string("tallivo-cli ") + kVersion + "\n";
}

std::string GeneralHelp()
{
    std::string help;
    for (const CommandDescription* command : Commands())
        help += (help.empty() ? "Usage: tallivo-cli " : "  or:  tallivo-cli ") + Synopsis(*command) + "\n";
    help += std::string(kIntro) + "\nCommands:\n";
    for (const CommandDescription* command : Commands())
        if (*command->summary)
            help += Entry(command->name, 6, command->summary);
    help += "\nOptions:\n";
    for (const OptionDescription* option : AllOptions())
        help += Entry(OptionLabel(*option), kOptionWidth, option->generalHelp);
    help += Entry("-h, --help", kOptionWidth, "show help and exit");
    help += Entry("--version", kOptionWidth, "print the version and exit");
    help += Entry("--", kOptionWidth, "end of the options: what follows is FILE");
    return help + kOptionsNote + kFiles + "\n" + kSettings + kExitStatus;
}

std::string CommandHelp(const CommandDescription& command)
{
    std::string help = "Usage: tallivo-cli " + Synopsis(command) + "\n" + command.description + "\nOptions:\n";
    for (const CommandOption& option : command.options)
        help += Entry(OptionLabel(*option.option), kOptionWidth, option.help);
    help += Entry("-h, --help", kOptionWidth, "show this help and exit");
    return help + "\n" + command.notes + "\nExample:\n  " + command.example + "\n";
}

} // namespace tallivo::cli
