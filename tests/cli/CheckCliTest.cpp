#include "cli/CliRunner.h"

#include <gtest/gtest.h>

using namespace tallivo::test;

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
