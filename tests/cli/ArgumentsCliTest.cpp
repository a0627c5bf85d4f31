// tallivo-cli's command line, its help, version, man page and bash completion, the
// settings documented as the reader takes them, and the report templates it needs.
#include "cli/CliFixtures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

using namespace tallivo::test;

namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Columns a line takes on a terminal (UTF-8 characters counted once).
std::size_t Columns(const std::string& line)
{
    std::size_t n = 0;
    for (const char c : line)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

// The indented block after the line that ends with the marker, unindented.
std::string BlockAfter(const std::string& text, const std::string& marker, std::size_t indent)
{
    const auto start = text.find(marker + "\n\n");
    if (start == std::string::npos)
        return "no block after " + marker;
    std::string block;
    for (const std::string& line : Lines(text.substr(start + marker.size() + 2))) {
        if (!line.empty() && line.compare(0, indent, std::string(indent, ' ')) != 0)
            break;
        block += (line.empty() ? "" : line.substr(indent)) + "\n";
    }
    while (block.size() >= 2 && block.compare(block.size() - 2, 2, "\n\n") == 0)
        block.pop_back();
    return block;
}

} // namespace

TEST(CliArguments, UsageErrorsNameWhatIsWrong)
{
    struct Case
    {
        std::vector<std::string> args;
        std::string message;
    };
    const Case cases[] = {
        {{}, "missing command"},
        {{"frobnicate", "x"}, "unknown command 'frobnicate'"},
        {{"check"}, "missing FILE"},
        {{"check", "-x", "a"}, "unknown option -x for check"},
        {{"check", "a", "--zip", "z"}, "unknown option --zip for check"},
        {{"check", "a", "--errors", "--format", "json"}, "option --errors needs a value (found '--format')"},
        {{"check", "a", "--errors"}, "option --errors needs a value"},
        {{"check", "a", "--format", "json", "--format=tsv"}, "option --format given more than once"},
        {{"check", "a", "--format", "xml"}, "--format must be text, tsv or json"},
        {{"seal", "a"}, "seal needs --zip ZIP"},
        {{"seal", "a", "b", "--zip", "z"}, "too many arguments: seal takes one FILE"},
        {{"seal", "-", "--zip", "z"}, "seal writes over or beside FILE: give a file, not - (write ./- for a file "
                                      "named -)"},
        {{"fee", "a", "--invalid-accounts", "maybe"}, "--invalid-accounts must be abort, ignore or cancel"},
        {{"check", "a", "b", "--format", "tsv"}, "--format tsv prints one grid: give one FILE, or use --format json"},
        {{"check", "a", "b", "--errors", "e"}, "--errors writes one error file: give one FILE"},
        {{"check", "-", "-"}, "- (standard input) can be given once"},
    };
    for (const Case& c : cases) {
        const CliResult r = RunCli(c.args);
        EXPECT_EQ(r.status, 2) << c.message;
        EXPECT_EQ(r.err, "tallivo-cli: " + c.message + "\nTry 'tallivo-cli --help'.\n");
        EXPECT_EQ(r.out, "");
    }
}

TEST(CliArguments, DoubleDashEndsTheOptionsAndValuesMayFollowAnEqualsSign)
{
    TempFolder dir;
    const std::string sample = Sample();
    dir.Write("--weird.txt", sample);
    const CliResult weird = RunCli({"check", "--format", "tsv", "--", "--weird.txt"}, "cd " + ShellQuote(dir.Folder()) + " &&");
    EXPECT_EQ(weird.status, 0) << weird.err;
    EXPECT_EQ(weird.out + weird.err, "");
    // "--zip=" is the empty zip box, as it always was.
    const CliResult empty = RunCli({"seal", dir.Write("p.txt", sample), "--zip="});
    EXPECT_EQ(empty.status, 1);
    EXPECT_EQ(empty.err, "Please insert zip file name\n");
}

TEST(CliHelp, VersionHelpPerCommandManPageAndCompletion)
{
    const CliResult version = RunCli({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "tallivo-cli " + std::string(TALLIVO_VERSION) + "\n");

    struct Topic
    {
        std::vector<std::string> args;
        std::vector<std::string> options;
    };
    const Topic topics[] = {
        {{"--help"}, {"check", "seal", "fee", "verify", "--format", "--errors", "--strict", "--zip", "--new-file",
                      "--invalid-accounts", "--report-pdf", "--pdf", "--quiet", "--version", "/etc/tallivo/Config.ini",
                      "Table files:", "Report templates: Report/", "Exit status:"}},
        {{"check", "--help"}, {"--format", "--errors", "--strict", "--quiet"}},
        {{"help", "seal"}, {"--zip", "--new-file", "--invalid-accounts", "--format", "--errors", "--report-pdf",
                            "--strict", "--quiet"}},
        {{"fee", "x", "-h"}, {"--invalid-accounts", "--pdf", "--quiet"}},
        {{"verify", "--help"}, {"--quiet"}},
    };
    // The completion made from the commands' descriptions at build time, beside the program.
    const std::string completionFile =
        (std::filesystem::path(TALLIVO_CLI).parent_path() / "bash-completion" / "tallivo-cli").string();
    const std::string completion = ReadAll(completionFile);
    for (const Topic& t : topics) {
        const CliResult help = RunCli(t.args);
        EXPECT_EQ(help.status, 0) << t.args[0];
        EXPECT_NE(help.out.find("\nExample:\n  "), std::string::npos) << t.args[0];
        for (const std::string& line : Lines(help.out))
            EXPECT_LE(Columns(line), 80u) << line;
        for (const std::string& option : t.options) {
            EXPECT_NE(help.out.find(option), std::string::npos) << t.args[0] << " " << option;
            if (option.compare(0, 2, "--") == 0) {
                EXPECT_NE(completion.find(option), std::string::npos) << option;
            }
        }
    }

    // The completion offers each command's own options.
    const std::string complete = "source " + ShellQuote(completionFile) +
                                 "; COMP_WORDS=(tallivo-cli $WORDS); COMP_CWORD=$((${#COMP_WORDS[@]}-1)); "
                                 "_tallivo_cli; echo \"${COMPREPLY[*]}\"";
    const auto completions = [&](const std::string& words) {
        return Shell("WORDS=" + ShellQuote(words) + " bash -c " + ShellQuote(complete));
    };
    EXPECT_EQ(completions("ch"), "check\n");
    EXPECT_EQ(completions("check --st"), "--strict\n");
    EXPECT_EQ(completions("seal --format j"), "json\n");
    EXPECT_EQ(completions("fee --"), "--invalid-accounts --pdf --quiet --help\n");

    // The man page made from the help at build time.
    const std::filesystem::path man = std::filesystem::path(TALLIVO_CLI).parent_path() / "man" / "tallivo-cli.1.gz";
    if (std::filesystem::exists(man)) {
        const std::string page = Shell("zcat " + ShellQuote(man.string()));
        EXPECT_NE(page.find(".TH TALLIVO-CLI \"1\""), std::string::npos);
        EXPECT_NE(page.find("tallivo-cli " + std::string(TALLIVO_VERSION)), std::string::npos);
    }
}

TEST(CliHelp, TheSettingsExampleIsTheShippedFileAndWorksAsPasted)
{
    const std::string shipped = ReadAll(std::string(TALLIVO_SOURCE_DIR) + "/data/Config.ini");
    const std::string readme = ReadAll(std::string(TALLIVO_SOURCE_DIR) + "/README.md");
    EXPECT_EQ(BlockAfter(readme, "the key, the section and the file. The\nshipped file:", 4), shipped);
    EXPECT_EQ(BlockAfter(RunCli({"--help"}).out, "with \";\" or \"#\" is fine. The shipped file:", 4), shipped);

    // Pasted into a program folder, with comment lines, it gives the fee report; a
    // comment after a value is part of the value, as the README says.
    std::vector<std::string> lines = SampleLines();
    lines[1].replace(3, 3, "BNT");
    for (const std::size_t i : {2u, 4u}) {
        lines[i].replace(180, 3, "002");
        lines[i].replace(280, 5, "BCQ01");
    }
    ProgramFolder folder({});
    TempFolder home; // no settings file of the user's own
    const std::string env = "XDG_CONFIG_HOME=" + ShellQuote(home.Folder());
    const std::string payment = folder.Dir().Write("p.txt", JoinLines(lines));
    folder.Dir().Write("Data/Config.ini", "; Tallivo settings\n# fees in baht\n" + shipped);
    const CliResult fee = RunCli({"fee", payment}, env, folder.Cli());
    EXPECT_EQ(fee.status, 0) << fee.err;
    EXPECT_NE(fee.out.find("report_total_fee_range=20\n"), std::string::npos) << fee.out;
    folder.Dir().Write("Data/Config.ini", "[ThreeTierRate]\nRangeFee1=10 ; fee\nRangeFee2=20\nRangeFee3=30\n");
    const CliResult inline_ = RunCli({"fee", payment}, env, folder.Cli());
    EXPECT_EQ(inline_.status, 2);
    EXPECT_EQ(inline_.err, "'10 ; fee' is not a valid floating point value (RangeFee1 in section [ThreeTierRate] of " +
                               folder.Dir().Path("Data/Config.ini") + ")\n");
}

TEST(CliReports, AMissingTemplateIsNamedAndNoPdfIsWritten)
{
    const char* const headless = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM";
    ProgramFolder folder({"Payment.html", "PaymentDetail.html"}); // no DirectDebit.html, no DeductFee.html
    const TempFolder& dir = folder.Dir();
    const std::string report = dir.Path("Report/");
    const std::string payment = dir.Write("p.txt", Sample());

    const CliResult fee = RunCli({"fee", payment, "--pdf", dir.Path("fee.pdf")}, headless, folder.Cli());
    EXPECT_EQ(fee.status, 2);
    EXPECT_EQ(fee.err, "tallivo-cli: the report template " + report + "DeductFee.html is missing: no PDF is written\n");
    EXPECT_FALSE(std::filesystem::exists(dir.Path("fee.pdf")));

    // The seal stops before it seals anything.
    const CliResult seal = RunCli({"seal", payment, "--zip", dir.Path("z"), "--report-pdf", dir.Path("r.pdf")},
                                  headless, folder.Cli());
    EXPECT_EQ(seal.status, 2);
    EXPECT_EQ(seal.err,
              "tallivo-cli: the report template " + report + "DirectDebit.html is missing: no PDF is written\n");
    EXPECT_FALSE(std::filesystem::exists(dir.Path("r.pdf")));
    EXPECT_FALSE(std::filesystem::exists(dir.Path("z.zip")));
    EXPECT_EQ(ReadAll(payment), Sample());

    // An empty template is as good as none.
    dir.Write("Report/DeductFee.html", "");
    const CliResult empty = RunCli({"fee", payment, "--pdf", dir.Path("fee.pdf")}, headless, folder.Cli());
    EXPECT_EQ(empty.err, "tallivo-cli: the report template " + report + "DeductFee.html is empty: no PDF is written\n");
    EXPECT_FALSE(std::filesystem::exists(dir.Path("fee.pdf")));
}
