// tallivo-cli mask and diff as a user runs them: what they write, their refusals and
// their exit statuses.
#include "cli/CliFixtures.h"
#include "cli/CliRunner.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tallivo::test {
namespace {

TEST(MaskCli, WritesTheSameCopyToAFileAndToStandardOutputAndRefusesItsInput)
{
    TempFolder dir;
    const std::string file = dir.Write("pay.txt", Sample());
    const CliResult written = RunCli({"mask", "-o", dir.Path("masked.txt"), file});
    EXPECT_EQ(written.status, 0) << written.err;
    const std::string masked = ReadAll(dir.Path("masked.txt"));
    EXPECT_EQ(masked.size(), Sample().size());
    EXPECT_NE(masked, Sample());
    const CliResult piped = RunCli({"mask", "--output", "-", "-"}, "cat " + ShellQuote(file) + " |");
    EXPECT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(piped.out, masked);

    std::filesystem::create_symlink(file, dir.Path("link.txt"));
    std::filesystem::create_hard_link(file, dir.Path("hard.txt"));
    const struct
    {
        std::vector<std::string> args;
        std::string err;
    } kRefused[] = {
        {{"mask", "-o", file, file}, "Cannot write " + file + ": it is the payment file\n"},
        {{"mask", "-o", dir.Path("link.txt"), file}, "Cannot write " + dir.Path("link.txt") + ": it is the payment file\n"},
        {{"mask", "-o", dir.Path("hard.txt"), file}, "Cannot write " + dir.Path("hard.txt") + ": it is the payment file\n"},
        {{"mask", "-o", "/dev/null", file}, "Cannot write /dev/null: it is not a regular file\n"},
        {{"mask", file}, "tallivo-cli: mask needs -o, --output OUT\nTry 'tallivo-cli --help'.\n"},
    };
    for (const auto& c : kRefused) {
        SCOPED_TRACE(c.args.back() + " " + c.args[c.args.size() - 2]);
        const CliResult r = RunCli(c.args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(ReadAll(file), Sample());
    }
}

TEST(DiffCli, ExitStatusSaysEqualDifferentOrError)
{
    TempFolder dir;
    const std::string file = dir.Write("pay.txt", Sample());
    ASSERT_EQ(RunCli({"mask", "-o", dir.Path("masked.txt"), file}).status, 0);
    const struct
    {
        std::vector<std::string> args;
        int status;
    } kCases[] = {
        {{"diff", file, dir.Write("copy.txt", Sample())}, 0},
        {{"diff", "--format", "json", file, dir.Path("masked.txt")}, 1},
        {{"diff", file}, 2},
        {{"diff", file, dir.Path("missing.txt")}, 2},
        {{"diff", file, "/dev/null"}, 2},
        {{"diff", "--format", "tsv", file, file}, 2},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.args.back());
        const CliResult r = RunCli(c.args);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_EQ(r.out.empty(), c.status == 2);
    }
}

} // namespace
} // namespace tallivo::test
