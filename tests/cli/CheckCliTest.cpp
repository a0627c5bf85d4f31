#include "../../bench/PaymentFileGenerator.h"

#include "cli/CliRunner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tallivo::test;
namespace bench = tallivo::bench;

namespace {

std::string Sample()
{
    return ReadAll(std::string(TALLIVO_SOURCE_DIR) + "/examples/sample-payment.txt");
}

} // namespace

TEST(CheckCli, SampleFileIsCleanAndUnchanged)
{
    TempFolder dir;
    const std::string path = dir.Write("p.txt", Sample());
    const CliResult r = RunCli({"check", path, "--format", "tsv"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(ReadAll(path), Sample());
}

TEST(CheckCli, RecordTypeFindingsInEachFormatAndErrorFile)
{
    TempFolder dir;
    const std::string path = dir.Write("p.txt", Record("001", 96) + "\r\nxyz\r\n\r\n");
    const CliResult tsv = RunCli({"check", path, "--format", "tsv", "--errors", dir.Path("e.txt")});
    EXPECT_EQ(tsv.status, 1);
    EXPECT_EQ(tsv.out, "1\t2\n2\t3\n");
    EXPECT_EQ(tsv.err, "Error Data !\n");
    EXPECT_EQ(ReadAll(dir.Path("e.txt")), "LineNo : 2 Record type invalid code\r\nLineNo : 3 Record type invalid code\r\n");

    const CliResult json = RunCli({"check", path, "--format=json"});
    EXPECT_EQ(json.status, 1);
    EXPECT_NE(json.out.find("\"layout\":\"record-type-errors\""), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"headers\":[\"No.\",\"Line\"]"), std::string::npos);
    EXPECT_NE(json.out.find("\"status\":\"Record type invalid code\""), std::string::npos);
    EXPECT_NE(json.out.find("\"messages\":[\"Error Data !\"]"), std::string::npos);

    const CliResult text = RunCli({"check", path});
    EXPECT_EQ(text.status, 1);
    EXPECT_NE(text.out.find("Record type invalid code"), std::string::npos);
}

TEST(CheckCli, RefusalsAndUsageErrors)
{
    TempFolder dir;
    const CliResult missing = RunCli({"check", dir.Path("nope.txt")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "Input File does not exist\n");

    const CliResult folder = RunCli({"check", dir.Folder()});
    EXPECT_EQ(folder.status, 1);
    EXPECT_EQ(folder.err, "Input File does not exist\n");

    EXPECT_EQ(RunCli({}).status, 2);
    EXPECT_EQ(RunCli({"frobnicate", "x"}).status, 2);
    EXPECT_EQ(RunCli({"check"}).status, 2);
    EXPECT_EQ(RunCli({"check", "a", "--format", "xml"}).status, 2);
    EXPECT_EQ(RunCli({"seal", "a"}).status, 2); // --zip missing
    const CliResult help = RunCli({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("tallivo-cli seal"), std::string::npos);
}

TEST(CheckCli, SealRefusesBadZipNamesBeforeTouchingTheFile)
{
    TempFolder dir;
    const std::string path = dir.Write("p.txt", Sample());
    const CliResult r = RunCli({"seal", path, "--zip", "out.txt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Invalid zip file name\n");
    const CliResult empty = RunCli({"seal", path, "--zip", ""});
    EXPECT_EQ(empty.status, 1);
    EXPECT_EQ(empty.err, "Please insert zip file name\n");
    const CliResult newFile = RunCli({"seal", path, "--zip", "z", "--new-file", ""});
    EXPECT_EQ(newFile.err, "If you select new file for output , should be insert file name\n");
    EXPECT_EQ(ReadAll(path), Sample());
}

TEST(CheckCli, SingleHugeLineIsOneLengthFinding)
{
    // A file without any CR is one line: it is measured, not held.
    TempFolder dir;
    std::string big = "001";
    big.resize(20 * 1024 * 1024, 'x');
    const std::string path = dir.Write("big.txt", big);
    const CliResult r = RunCli({"check", path, "--format", "tsv"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "1\t001\t1\n");
    EXPECT_EQ(r.err, "Error Data !\n");
}

namespace {

// A generated file larger than the check reads in one part, its lines as a list.
std::vector<std::string> LargeFileLines()
{
    TempFolder dir;
    bench::GeneratorOptions options;
    options.targetBytes = 10 << 20;
    options.seed = 5;
    options.maxCreditsPerBatch = 20;
    bench::GeneratePaymentFile(dir.Path("g.txt"), options);
    std::vector<std::string> lines;
    const std::string text = ReadAll(dir.Path("g.txt"));
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find("\r\n", at);
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

// The index of the first line of the record type at or after the given share of the file.
std::size_t RecordAt(const std::vector<std::string>& lines, double share, std::string_view code)
{
    for (auto i = static_cast<std::size_t>(share * static_cast<double>(lines.size())); i < lines.size(); ++i)
        if (lines[i].starts_with(code))
            return i;
    return lines.size();
}

} // namespace

// A large file is checked in two parts at once; what the check finds is what the seal,
// which reads it in one, refuses it with: the rows on both sides of the middle, the
// debit total the trailer compares, structure findings, and a Ctrl-Z byte before the middle.
TEST(CheckCli, ALargeFileReadInPartsGivesTheFindingsOfOneReadInOrder)
{
    const std::vector<std::string> clean = LargeFileLines();
    std::vector<std::vector<std::string>> files(2, clean);
    files[0][RecordAt(clean, 0.2, "003")].replace(50, 3, "USD");
    files[0][RecordAt(clean, 0.8, "003")].replace(50, 3, "USD");
    files[0][RecordAt(clean, 0.7, "002")][60] = '7'; // the debit total and the credits' sum no longer match
    files[1][RecordAt(clean, 0.3, "004")] += "X";    // a wrong length before the middle
    files[1][RecordAt(clean, 0.9, "005")][0] = 'x';  // an unknown record type after it
    for (std::size_t f = 0; f < files.size(); ++f) {
        TempFolder dir;
        const std::string text = Joined(files[f]);
        const CliResult check = RunCli({"check", dir.Write("c.txt", text), "--format", "tsv"});
        const CliResult seal =
            RunCli({"seal", dir.Write("s.txt", text), "--zip", dir.Path("s.zip"), "--format", "tsv"});
        EXPECT_EQ(check.status, 1) << f;
        EXPECT_EQ(check.status, seal.status) << f;
        EXPECT_EQ(check.err, seal.err) << f;
        EXPECT_EQ(check.out, seal.out) << f;
        EXPECT_NE(check.out, "") << f;
    }

    // A Ctrl-Z byte, before the middle or after it, ends the text there: the rest is not
    // checked.
    for (const double at : {0.1, 0.7}) {
        std::vector<std::string> ended = clean;
        ended[RecordAt(clean, at - 0.05, "003")].replace(50, 3, "USD");
        const std::size_t end = RecordAt(clean, at, "003");
        ended[end].insert(0, "\x1a");
        ended[RecordAt(clean, 0.8, "003")].replace(50, 3, "USD");
        TempFolder dir;
        const CliResult whole = RunCli({"check", dir.Write("e.txt", Joined(ended)), "--format", "tsv"});
        const std::vector<std::string> upTo(ended.begin(), ended.begin() + static_cast<long>(end));
        const CliResult truncated = RunCli({"check", dir.Write("t.txt", Joined(upTo)), "--format", "tsv"});
        EXPECT_EQ(whole.status, 1) << at;
        EXPECT_EQ(whole.out, truncated.out) << at;
        EXPECT_EQ(whole.err, truncated.err) << at;
    }
}
