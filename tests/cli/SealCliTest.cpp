#include "cli/CliFixtures.h"
#include "cli/CliRunner.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

using namespace tallivo::test;

namespace {

std::string ReferenceDigest(const std::string& path)
{
    std::string hex = Shell("sha1sum " + ShellQuote(path)).substr(0, 40);
    for (char& c : hex)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return hex;
}

// The entries of a zip archive as Python's zipfile lists them: name, compression
// type and whether the entry's bytes equal the given file.
std::string ZipEntries(const std::string& archive, const std::string& expected)
{
    return Shell("python3 -c " +
               ShellQuote("import sys, zipfile\n"
                          "z = zipfile.ZipFile(sys.argv[1])\n"
                          "for i in z.infolist():\n"
                          "    print(i.filename, i.compress_type, z.read(i) == open(sys.argv[2], 'rb').read())\n") +
               " " + ShellQuote(archive) + " " + ShellQuote(expected));
}

// Runs tallivo-cli with the given folder as its current folder.
CliResult RunCliIn(const TempFolder& dir, const std::vector<std::string>& args)
{
    return RunCli(args, "cd " + ShellQuote(dir.Folder()) + " &&");
}

} // namespace

TEST(VerifyCli, AcceptsASealedFileAndRejectsAChangedOne)
{
    TempFolder dir;
    const std::string body = std::string(96, '1') + "\r\n" + std::string(31, '9') + "\r\n";
    const std::string hash = ReferenceDigest(dir.Write("body", body));
    const std::string sealed = dir.Write("sealed.txt", hash + "\r\n" + body);

    const CliResult ok = RunCli({"verify", sealed});
    EXPECT_EQ(ok.status, 0) << ok.err;
    EXPECT_EQ(ok.out, "OK " + hash + "\n");

    std::string changedBody = body;
    changedBody[5] = '2';
    const std::string changedHash = ReferenceDigest(dir.Write("changed-body", changedBody));
    const CliResult changed = RunCli({"verify", dir.Write("changed.txt", hash + "\r\n" + changedBody)});
    EXPECT_EQ(changed.status, 1);
    EXPECT_EQ(changed.out, "");
    EXPECT_EQ(changed.err, "Hash value does not match: line 1 has " + hash + ", the content gives " + changedHash + "\n");

    const CliResult plain = RunCli({"verify", dir.Write("plain.txt", body)});
    EXPECT_EQ(plain.status, 1);
    EXPECT_EQ(plain.err, "Line 1 is not a 40-character hash value followed by CR LF\n");

    EXPECT_EQ(RunCli({"verify", dir.Path("missing.txt")}).status, 2);
}

TEST(SealCli, NewFileSealsVerifiesAndZipsTheOutputAlone)
{
    TempFolder dir;
    const std::string payment = dir.Write("pay.txt", Sample());
    const CliResult r = RunCliIn(dir, {"seal", "pay.txt", "--zip", "batch", "--new-file", "sealed.txt"});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(r.err, "Generate hash value and add file to batch completed\n");

    const std::string sealed = ReadAll(dir.Path("sealed.txt"));
    ASSERT_GT(sealed.size(), 42u);
    EXPECT_EQ(sealed.substr(40, 2), "\r\n");
    EXPECT_EQ(sealed.substr(0, 40), ReferenceDigest(dir.Write("body", sealed.substr(42))));
    const CliResult verify = RunCli({"verify", dir.Path("sealed.txt")});
    EXPECT_EQ(verify.status, 0) << verify.err;
    EXPECT_EQ(verify.out, "OK " + sealed.substr(0, 40) + "\n");

    EXPECT_EQ(ZipEntries(dir.Path("batch.zip"), dir.Path("sealed.txt")), "sealed.txt 8 True\n");
    EXPECT_EQ(Shell("cd " + ShellQuote(dir.Folder()) + " && unzip -tqq batch.zip"), "");

    // The payment file itself is only normalised: same size, no hash line.
    EXPECT_EQ(ReadAll(payment).size(), Sample().size());
    EXPECT_EQ(ReadAll(payment).substr(0, 3), "001");
}

TEST(SealCli, ReplaceModeSealsThePaymentFileWhichThenCannotBeSealedAgain)
{
    TempFolder dir;
    const std::string payment = dir.Write("pay.txt", Sample());
    const CliResult r = RunCliIn(dir, {"seal", "pay.txt", "--zip", "batch.ZIP"});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(r.err, "Generate hash value and add file to batch.ZIP completed\n");
    EXPECT_TRUE(std::filesystem::exists(dir.Path("batch.ZIP")));
    EXPECT_EQ(RunCli({"verify", payment}).status, 0);
    EXPECT_EQ(ZipEntries(dir.Path("batch.ZIP"), payment), "pay.txt 8 True\n");

    const std::string sealedOnce = ReadAll(payment);
    const CliResult again = RunCliIn(dir, {"seal", "pay.txt", "--zip", "batch.ZIP"});
    EXPECT_EQ(again.status, 1);
    EXPECT_EQ(ReadAll(payment), sealedOnce);
}

TEST(SealCli, ZipErrorRefusesTheSealBeforeAnythingIsWritten)
{
    TempFolder dir;
    const std::string payment = dir.Write("pay.txt", Sample());
    const std::string notZip = dir.Write("batch.zip", "not an archive");
    const CliResult r = RunCliIn(dir, {"seal", "pay.txt", "--zip", "batch", "--new-file", "sealed.txt"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("Cannot open zip file 'batch.zip': Not a zip archive"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("completed"), std::string::npos);
    EXPECT_EQ(ReadAll(notZip), "not an archive");
    EXPECT_FALSE(std::filesystem::exists(dir.Path("sealed.txt")));
    EXPECT_EQ(ReadAll(payment), Sample());
}
