// What tallivo-cli prints: UTF-8 text with visible control characters, the payment
// file's bytes in TSV, JSON of schema 1, whole messages, --quiet.
#include "cli/CliFixtures.h"

#include <gtest/gtest.h>

using namespace tallivo::test;

namespace {

// "สมชาย" in the payment file's single-byte Thai, and as UTF-8.
const std::string kThai874 = "\xca\xc1\xaa\xd2\xc2";
const std::string kThaiUtf8 = "\xe0\xb8\xaa\xe0\xb8\xa1\xe0\xb8\x8a\xe0\xb8\xb2\xe0\xb8\xa2";

// The sample as a Manager Cheque batch whose first payee name is Thai followed by an
// ESC sequence: the cheque fields give findings, one of them naming that payee.
std::string ThaiPayeeFile()
{
    std::vector<std::string> lines = SampleLines();
    lines[1].replace(3, 3, "MCP");
    std::string name = kThai874 + " \x1b[31m";
    name.resize(100, ' ');
    lines[3].replace(32, 100, name);
    lines[3].replace(352, 70, std::string(70, ' '));
    return JoinLines(lines);
}

// The sample with a NUL byte in the debit record's number of credits: the conversion
// of that field ends the validation pass with an error quoting it.
std::string NulCountFile()
{
    std::vector<std::string> lines = SampleLines();
    lines[1].replace(72, 6, std::string("12\0" "3x ", 6));
    return JoinLines(lines);
}

} // namespace

TEST(CliText, ThaiIsUtf8AndControlCharactersAreVisibleWhereTheyAreNotData)
{
    TempFolder dir;
    const std::string path = dir.Write("p.txt", ThaiPayeeFile());

    const CliResult tsv = RunCli({"check", "--format", "tsv", path});
    EXPECT_EQ(tsv.status, 1);
    EXPECT_NE(tsv.out.find("\t" + kThai874 + " \x1b[31m\n"), std::string::npos) << "TSV keeps the file's bytes";

    // On a terminal (script(1) gives it one) TSV is UTF-8 and shows the ESC too.
    const std::string onTerminal = Shell("script -qec " + ShellQuote(ShellQuote(TALLIVO_CLI) + " check --format tsv " +
                                                                    ShellQuote(path)) +
                                         " /dev/null");
    EXPECT_NE(onTerminal.find("\t" + kThaiUtf8 + " \xe2\x90\x9b[31m"), std::string::npos) << onTerminal;
    EXPECT_EQ(onTerminal.find('\x1b'), std::string::npos);

    const CliResult text = RunCli({"check", path});
    EXPECT_NE(text.out.find("  " + kThaiUtf8 + " \xe2\x90\x9b[31m\n"), std::string::npos) << text.out; // ␛
    EXPECT_EQ(text.out.find('\x1b'), std::string::npos);
    // The columns line up by what a terminal shows: the Payee Name heading starts where
    // the name does.
    const auto header = text.out.find("Payee Name");
    const auto headerLine = text.out.rfind('\n', header) + 1;
    const auto name = text.out.find(kThaiUtf8);
    const auto nameLine = text.out.rfind('\n', name) + 1;
    EXPECT_EQ(header - headerLine, name - nameLine);

    const CliResult json = RunCli({"check", "--format", "json", path});
    EXPECT_EQ(JsonQuery(json.out, "[f['payee'] for f in objs[0]['findings'] if f['payee']][0]"),
              kThaiUtf8 + " \x1b[31m");
    EXPECT_EQ(json.out.find('\x1b'), std::string::npos) << "escaped as \\u001b";
}

TEST(CliText, AMessageQuotesAFieldWholeAndTheJsonTellsWhereThePassStopped)
{
    TempFolder dir;
    const std::string path = dir.Write("p.txt", NulCountFile());
    const CliResult text = RunCli({"check", path});
    EXPECT_EQ(text.status, 2);
    EXPECT_EQ(text.err, "'12\xe2\x90\x80" "3x ' is not a valid integer value\n"); // ␀
    EXPECT_NE(text.out.find("The check stopped at line 2 with an error.\n"), std::string::npos) << text.out;

    const CliResult json = RunCli({"check", "--format", "json", path});
    EXPECT_EQ(JsonQuery(json.out, "[objs[0]['messages'], objs[0]['stoppedAtLine'], objs[0]['exitStatus']]"),
              std::string("[[\"'12\\u00003x ' is not a valid integer value\"], 2, 2]"));
    // Without an error, there is no such key.
    EXPECT_EQ(JsonQuery(RunCli({"check", "--format", "json", dir.Write("s.txt", Sample())}).out,
                        "'stoppedAtLine' in objs[0]"),
              "false");
}

TEST(CliJson, SchemaOneFindingsAndSummary)
{
    TempFolder dir;
    const CliResult findings = RunCli({"check", "--format", "json", dir.Write("p.txt", ThaiPayeeFile())});
    EXPECT_EQ(JsonQuery(findings.out, "[objs[0]['schema'], objs[0]['command'], objs[0]['layout'], "
                                      "len(objs[0]['rows']) == len(objs[0]['findings'])]"),
              R"([1, "check", "errors", true])");
    EXPECT_EQ(JsonQuery(findings.out, "objs[0]['findings'][0]"),
              R"({"recordType": "003", "line": 3, "columns": [260, 279], "field": "Cheque Reference Number", )"
              R"("message": "If product code is MCP this field should not be space", "account": "", "payee": ""})");
    EXPECT_EQ(JsonQuery(findings.out, "sorted(set(type(v).__name__ for f in objs[0]['findings'] for v in f.values()))"),
              R"(["int", "list", "str"])");

    // Record length findings: record type and line, the status as message.
    std::vector<std::string> lines = SampleLines();
    lines[2] += "X";
    const CliResult lengths = RunCli({"check", "--format", "json", dir.Write("l.txt", JoinLines(lines))});
    EXPECT_EQ(JsonQuery(lengths.out, "objs[0]['findings']"),
              R"([{"recordType": "003", "line": 3, "columns": null, "field": "", )"
              R"("message": "Length in record invalid", "account": "", "payee": ""}])");

    // After a seal: the summary with numbers as numbers, and the hash value.
    const std::string path = dir.Write("s.txt", Sample());
    const CliResult seal = RunCli({"seal", path, "--zip", dir.Path("z"), "--new-file", dir.Path("o.txt"),
                                   "--format", "json"});
    ASSERT_EQ(seal.status, 0) << seal.err;
    EXPECT_EQ(JsonQuery(seal.out, "objs[0]['summary']"),
              R"({"lines": [{"product": "Direct Credit", "valueDate": "31/12/2099", "credits": 2, "amount": 40050.0}], )"
              R"("total": {"credits": 2, "amount": 40050.0}})");
    EXPECT_EQ(JsonQuery(seal.out, "[objs[0]['hash'] == open('" + dir.Path("o.txt") +
                                      "', 'rb').read()[:40].decode(), objs[0]['findings'], objs[0]['file']]"),
              "[true, [], \"" + path + "\"]");
}

TEST(CliQuiet, LeavesOutWhatIsNotAFindingOrAnError)
{
    TempFolder dir;
    const std::string path = dir.Write("s.txt", Sample());
    const CliResult seal = RunCli({"seal", "-q", path, "--zip", dir.Path("z"), "--new-file", dir.Path("o.txt")});
    EXPECT_EQ(seal.status, 0) << seal.err;
    EXPECT_EQ(seal.out + seal.err, "");
    const CliResult verify = RunCli({"verify", "--quiet", dir.Path("o.txt")});
    EXPECT_EQ(verify.status, 0);
    EXPECT_EQ(verify.out + verify.err, "");
    const CliResult fee = RunCli({"fee", "--quiet", path});
    EXPECT_EQ(fee.status, 0);
    EXPECT_EQ(fee.out + fee.err, "");

    // Findings and refusals are still shown in full.
    std::vector<std::string> lines = SampleLines();
    lines[6].replace(122, 16, "00000000000ABCDE");
    const CliResult bad = RunCli({"check", "--quiet", "--format", "tsv", dir.Write("bad.txt", JoinLines(lines))});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.err, "Error Data !\n");
    EXPECT_EQ(bad.out.substr(0, 6), "1\t005\t");
    const CliResult refused = RunCli({"seal", "-q", path, "--zip", "x.txt"});
    EXPECT_EQ(refused.err, "Invalid zip file name\n");
    EXPECT_EQ(RunCli({"check", "-q", dir.Path("missing")}).err, "Input File does not exist\n");
}

// On a terminal a clean file's check says it has no findings; a pipe gets nothing, and a
// file with findings shows them alone.
TEST(CliText, OnATerminalACleanCheckSaysSo)
{
    TempFolder dir;
    const std::string clean = dir.Write("clean.txt", JoinLines(SampleLines()));
    const auto onTerminal = [](const std::string& args) {
        return Shell("script -qec " + ShellQuote(ShellQuote(TALLIVO_CLI) + " " + args) + " /dev/null");
    };
    EXPECT_EQ(onTerminal("check " + ShellQuote(clean)), "No findings\r\n");
    EXPECT_EQ(onTerminal("check --quiet " + ShellQuote(clean)), "");
    EXPECT_EQ(RunCli({"check", clean}).out, "");
    EXPECT_EQ(onTerminal("check " + ShellQuote(clean) + " --format tsv").find("No findings"), std::string::npos);
}
