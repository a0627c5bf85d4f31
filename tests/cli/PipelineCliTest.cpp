// tallivo-cli in pipelines: standard input, files that are no regular files, several
// files, the strict checks, write errors and closed pipes.
#include "cli/CliFixtures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

using namespace tallivo::test;

namespace {

// The sample with a WHT amount that is no number: one field finding, exit 1.
std::string BadFile()
{
    std::vector<std::string> lines = SampleLines();
    lines[6].replace(122, 16, "00000000000ABCDE");
    return JoinLines(lines);
}

const char* const kBadTsv = "1\t005\t7\t123-138\tIncome Type Amount\tThis field should be number and more than zero"
                            "\t4445556660\t\n";

} // namespace

TEST(CliInput, StandardInputIsCopiedOnceAndReadByEveryStage)
{
    TempFolder dir;
    TempFolder tmp; // TMPDIR: the copy of standard input is made here and removed
    const std::string bad = dir.Write("bad.txt", BadFile());
    const std::string env = "TMPDIR=" + ShellQuote(tmp.Folder());

    const CliResult byName = RunCli({"check", "--format", "tsv", bad});
    EXPECT_EQ(byName.status, 1);
    EXPECT_EQ(byName.out, kBadTsv);
    const CliResult piped = RunCli({"check", "--format", "tsv", "-"}, "cat " + ShellQuote(bad) + " | " + env);
    EXPECT_EQ(piped.status, 1) << piped.err;
    EXPECT_EQ(piped.out, byName.out);
    EXPECT_EQ(piped.err, "Error Data !\n");

    // The fee report reads the file four times; verify reads a sealed file from a pipe.
    const std::string sample = dir.Write("s.txt", Sample());
    const CliResult fee = RunCli({"fee", "-"}, "cat " + ShellQuote(sample) + " | " + env);
    EXPECT_EQ(fee.status, 0) << fee.err;
    EXPECT_EQ(fee.out, RunCli({"fee", sample}).out);
    ASSERT_EQ(RunCli({"seal", sample, "--zip", dir.Path("z"), "--new-file", dir.Path("sealed.txt")}).status, 0);
    const CliResult verify = RunCli({"verify", "-"}, "cat " + ShellQuote(dir.Path("sealed.txt")) + " | " + env);
    EXPECT_EQ(verify.status, 0) << verify.err;
    EXPECT_EQ(verify.out.substr(0, 3), "OK ");

    EXPECT_TRUE(std::filesystem::is_empty(tmp.Folder())) << "the copy of standard input is left behind";
}

TEST(CliInput, PipesAndDevicesAreRefusedAtOnce)
{
    TempFolder dir;
    const std::string bad = dir.Write("bad.txt", BadFile());
    ASSERT_EQ(::mkfifo(dir.Path("fifo").c_str(), 0600), 0);
    struct Case
    {
        std::string what, file, before, kind;
    };
    const Case cases[] = {
        {"a named FIFO nobody writes", dir.Path("fifo"), "", "a pipe or FIFO"},
        {"a device without end", "/dev/zero", "", "a character device"},
        {"/dev/stdin on a pipe", "/dev/stdin", "cat " + ShellQuote(bad) + " |", "a pipe or FIFO"},
    };
    for (const Case& c : cases) {
        for (const char* command : {"check", "fee", "verify"}) {
            // timeout: a program that waits on the FIFO or reads /dev/zero fails the test.
            const CliResult r = RunCli({command, c.file}, c.before + " timeout 20");
            EXPECT_EQ(r.status, 2) << c.what << " " << command;
            EXPECT_EQ(r.err, "tallivo-cli: '" + c.file + "' is " + c.kind +
                                 ", not a regular file: it is not read (give - to read standard input)\n")
                << c.what;
        }
    }
    // A link to a regular file is a regular file; a folder and a missing file get the
    // command's own refusal, as before.
    std::filesystem::create_symlink(bad, dir.Path("link.txt"));
    EXPECT_EQ(RunCli({"check", "--format", "tsv", dir.Path("link.txt")}).out, kBadTsv);
    EXPECT_EQ(RunCli({"check", dir.Folder()}).err, "Input File does not exist\n");
}

TEST(CliSeveralFiles, EachAsIfAloneAndTheWorstStatus)
{
    TempFolder dir;
    const std::string clean = dir.Write("clean.txt", Sample());
    const std::string bad = dir.Write("bad.txt", BadFile());
    const std::string missing = dir.Path("missing.txt");

    const CliResult json = RunCli({"check", "--format", "json", clean, bad, missing, "/dev/zero"});
    EXPECT_EQ(json.status, 2);
    EXPECT_EQ(JsonQuery(json.out, "[[o['file'], o['exitStatus'], len(o['findings']), o['messages']] for o in objs]"),
              "[[\"" + clean + "\", 0, 0, []], [\"" + bad + "\", 1, 1, [\"Error Data !\"]], [\"" + missing +
                  "\", 1, 0, [\"Input File does not exist\"]], [\"/dev/zero\", 2, 0, [\"tallivo-cli: '/dev/zero' is "
                  "a character device, not a regular file: it is not read (give - to read standard input)\"]]]");
    EXPECT_EQ(json.err, bad + ": Error Data !\n" + missing + ": Input File does not exist\n/dev/zero: tallivo-cli: "
                                                               "'/dev/zero' is a character device, not a regular "
                                                               "file: it is not read (give - to read standard input)\n");

    // Each file's findings are its own: the bad file first or last gives the same.
    EXPECT_EQ(JsonQuery(RunCli({"check", "--format=json", bad, clean}).out, "objs[0]['rows']"),
              JsonQuery(json.out, "objs[1]['rows']"));
    const CliResult worst1 = RunCli({"check", clean, bad, clean});
    EXPECT_EQ(worst1.status, 1);
    EXPECT_EQ(worst1.out.find("File: " + clean + "\n"), 0u) << worst1.out;
    EXPECT_NE(worst1.out.find("File: " + bad + "\nNo."), std::string::npos) << worst1.out;
    EXPECT_EQ(RunCli({"check", clean, clean}).status, 0);

    // A file name with a line end or an escape never reaches the terminal raw.
    const std::string odd = dir.Write("b\nad\x1b[2J.txt", BadFile());
    const CliResult named = RunCli({"check", clean, odd});
    EXPECT_EQ(named.err, dir.Folder() + "b\u240aad\u241b[2J.txt: Error Data !\n");
}

TEST(CliStrict, FramesThatOnlyTheStrictChecksRefuse)
{
    struct Case
    {
        const char* what;
        std::string content;
        std::string findings; // [recordType, line, message] of each, as Python prints them
    };
    const std::string sample = Sample();
    const Case cases[] = {
        {"an empty file", "", R"([["", null, "File has no records"]])"},
        {"a header alone", SampleCut(1), R"([["001", 1, "Last record should be the trailer record 999"]])"},
        {"cut before the trailer", SampleCut(7), R"([["005", 7, "Last record should be the trailer record 999"]])"},
        {"a second header after the trailer", sample + SampleLines()[0] + "\r\n",
         R"([["001", 9, "Header record 001 again: the file's header is line 1"], )"
         R"(["001", 9, "Last record should be the trailer record 999"]])"},
        {"bytes after a Ctrl-Z", SampleCut(4) + "\x1a" + SampleLines()[4] + "\r\n",
         R"([["004", 4, "Last record should be the trailer record 999"], )"
         R"(["", 5, "Ctrl-Z byte ends the file here: the 357 bytes after it are not checked"]])"},
    };
    for (const Case& c : cases) {
        TempFolder dir;
        const std::string path = dir.Write("p.txt", c.content);
        // The legacy rules pass them, exactly as before.
        const CliResult legacy = RunCli({"check", "--format", "tsv", path});
        EXPECT_EQ(legacy.status, 0) << c.what << legacy.out << legacy.err;
        EXPECT_EQ(legacy.out + legacy.err, "") << c.what;

        const CliResult strict = RunCli({"check", "--strict", "--format", "json", path, "--errors", dir.Path("e")});
        EXPECT_EQ(strict.status, 1) << c.what;
        EXPECT_EQ(strict.err, "Error Data !\n") << c.what;
        EXPECT_EQ(JsonQuery(strict.out, "[[f['recordType'], f['line'], f['message']] for f in objs[0]['findings']]"),
                  c.findings)
            << c.what;
        EXPECT_EQ(JsonQuery(strict.out, "objs[0]['status']"), "Invalid file structure") << c.what;
        // The error file holds them as Save writes field findings.
        EXPECT_NE(ReadAll(dir.Path("e")).find("  Message:  "), std::string::npos) << c.what;

        // Sealing strictly refuses it and touches nothing.
        const CliResult seal = RunCli({"seal", "--strict", path, "--zip", dir.Path("z"), "--format", "tsv"});
        EXPECT_EQ(seal.status, 1) << c.what;
        EXPECT_EQ(seal.err, "Error Data !\n") << c.what;
        EXPECT_EQ(ReadAll(path), c.content) << c.what;
        EXPECT_FALSE(std::filesystem::exists(dir.Path("z.zip"))) << c.what;
    }
}

TEST(CliStrict, BesideOtherFindingsAndOnACleanFile)
{
    TempFolder dir;
    // Field findings and a missing trailer: both, in the grid and the TSV.
    std::string cut = BadFile();
    cut = cut.substr(0, cut.rfind("999"));
    const CliResult both = RunCli({"check", "--strict", "--format", "tsv", dir.Write("both.txt", cut)});
    EXPECT_EQ(both.status, 1);
    EXPECT_EQ(both.out, std::string(kBadTsv) + "2\t005\t7\t\t\tLast record should be the trailer record 999\t\t\n");

    // When the record type check stops the file, its grid stays; the strict findings
    // follow it in text and JSON.
    const std::string types = dir.Write("types.txt", "xyz\r\n");
    const CliResult tsv = RunCli({"check", "--strict", "--format", "tsv", types});
    EXPECT_EQ(tsv.out, "1\t1\n");
    const CliResult json = RunCli({"check", "--strict", "--format", "json", types});
    EXPECT_EQ(JsonQuery(json.out, "[objs[0]['layout'], [[f['line'], f['message']] for f in objs[0]['findings']]]"),
              R"(["record-type-errors", [[1, "Record type invalid code"], )"
              R"([1, "First record should be the header record 001"], )"
              R"([1, "Last record should be the trailer record 999"]]])");
    const CliResult text = RunCli({"check", "--strict", types});
    EXPECT_NE(text.out.find("Strict  Record Type  Line  Message\n1       xyz          1     First record"),
              std::string::npos)
        << text.out;

    // A clean file seals strictly as it seals without.
    const std::string path = dir.Write("p.txt", Sample());
    const CliResult seal = RunCli({"seal", "--strict", path, "--zip", dir.Path("z"), "--new-file", dir.Path("s.txt")});
    EXPECT_EQ(seal.status, 0) << seal.err;
    EXPECT_EQ(RunCli({"verify", dir.Path("s.txt")}).status, 0);
}

TEST(CliWrites, AFullDiskIsAnErrorAndAClosedPipeEndsQuietly)
{
    TempFolder dir;
    const std::string sample = dir.Write("s.txt", Sample());
    const std::string bad = dir.Write("bad.txt", BadFile());
    ASSERT_EQ(RunCli({"seal", sample, "--zip", dir.Path("z"), "--new-file", dir.Path("sealed.txt")}).status, 0);
    const std::string full = "tallivo-cli: cannot write to standard output: No space left on device\n";
    struct Case
    {
        std::vector<std::string> args;
        std::string err;
    };
    const Case cases[] = {
        {{"check", bad}, "Error Data !\n" + full},
        {{"check", "--format", "json", sample}, full},
        {{"verify", dir.Path("sealed.txt")}, full},
        {{"fee", sample}, full},
        {{"--help"}, full},
    };
    for (const Case& c : cases) {
        std::string cmd = ShellQuote(TALLIVO_CLI);
        for (const std::string& a : c.args)
            cmd += " " + ShellQuote(a);
        const int raw = std::system((cmd + " >/dev/full 2>" + ShellQuote(dir.Path("err"))).c_str());
        EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 2) << c.args[0];
        EXPECT_EQ(ReadAll(dir.Path("err")), c.err) << c.args[0];
    }

    // Many findings into a pipe closed after one line: killed by SIGPIPE, nothing said.
    std::string many = SampleLines()[0] + "\r\n";
    for (int i = 0; i < 100000; ++i)
        many += "xyz\r\n";
    const std::string big = dir.Write("many.txt", many);
    EXPECT_EQ(Shell("bash -c " + ShellQuote(ShellQuote(TALLIVO_CLI) + " check --format tsv " + ShellQuote(big) +
                                            " 2>" + ShellQuote(dir.Path("err")) +
                                            " | head -1; echo \"${PIPESTATUS[0]}\"")),
              "1\t2\n141\n");
    EXPECT_EQ(ReadAll(dir.Path("err")), "Error Data !\n");
}
