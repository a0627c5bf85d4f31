#include "cli/CliFixtures.h"
#include "cli/CliProcess.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace tallivo::test;

namespace {

const char* const kHeadless = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM";

// The sample file as a BahtNet batch: both credits go to another bank.
std::string BahtNetSample()
{
    std::string f = Sample();
    std::size_t pos = 0;
    std::size_t start = 0;
    while ((pos = f.find("\r\n", start)) != std::string::npos) {
        std::string line = f.substr(start, pos - start);
        if (line.compare(0, 3, "002") == 0)
            line.replace(3, 3, "BNT");
        if (line.compare(0, 3, "003") == 0) {
            line.replace(180, 3, "002");
            line.replace(280, 5, "BCQ01");
        }
        f.replace(start, pos - start, line);
        start = pos + 2;
    }
    return f;
}

} // namespace

TEST(ReportCli, FeePrintsTheEightFiguresAndWritesAPdfHeadless)
{
    TempFolder dir;
    const std::string path = dir.Write("p.txt", BahtNetSample());
    const CliResult r = RunCli({"fee", path, "--pdf", dir.Path("fee.pdf")}, kHeadless);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "report_range1=2\nreport_range2=0\nreport_range3=0\nreport_total_range=2\n"
                     "report_total_fee_range1=20\nreport_total_fee_range2=0\nreport_total_fee_range3=0\n"
                     "report_total_fee_range=20\n");
    EXPECT_EQ(ReadAll(dir.Path("fee.pdf")).substr(0, 5), "%PDF-");
    EXPECT_EQ(ReadAll(path), BahtNetSample()); // the fee report never changes the file

    // A display that is set but cannot be reached (a remote shell) changes nothing.
    const CliResult remote = RunCli({"fee", path, "--pdf", dir.Path("fee2.pdf")}, "env -u QT_QPA_PLATFORM DISPLAY=:987");
    EXPECT_EQ(remote.status, 0) << remote.err;
    EXPECT_EQ(remote.out, r.out);
}

TEST(ReportCli, SealWithReportPdfWritesTheCombinedReport)
{
    TempFolder dir;
    // Its own program folder: a seal of another test in between would rightly stop the report.
    FreshProgramFolder program;
    const std::string path = dir.Write("p.txt", Sample());
    const CliResult r =
        RunCli({"seal", path, "--zip", dir.Path("out"), "--report-pdf", dir.Path("report.pdf"), "--format", "tsv"},
               kHeadless, program.Cli());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "Generate hash value and add file to " + dir.Path("out") + " completed\n");
    EXPECT_EQ(r.out, "1\tDirect Credit\t31/12/2099\t2\t40,050.00\t40050.00\n\t\tTotal\t2\t40,050.00\t\n");
    EXPECT_EQ(ReadAll(dir.Path("report.pdf")).substr(0, 5), "%PDF-");
}

TEST(ReportCli, FeeRefusesAMissingFile)
{
    TempFolder dir;
    const CliResult r = RunCli({"fee", dir.Path("missing.txt")}, kHeadless);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Input File does not exist\n");
    EXPECT_EQ(r.out, "");
}

// tallivo-cli starts without Qt; a command line asking for a PDF is run by
// tallivo-cli-pdf from the same folder, and without that program it is refused before
// anything is done.
TEST(ReportCli, APdfIsWrittenByThePdfProgramAndWithoutItNothingIsDone)
{
    EXPECT_EQ(Shell("ldd " + ShellQuote(TALLIVO_CLI) + " | grep -c libQt"), "0\n");

    TempFolder dir;
    FreshProgramFolder program;
    const std::string path = dir.Write("p.txt", Sample());
    std::filesystem::remove(std::filesystem::path(program.Cli()).parent_path() / "tallivo-cli-pdf");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"seal", path, "--zip", dir.Path("out"), "--report-pdf", dir.Path("r.pdf")},
          std::vector<std::string>{"fee", path, "--pdf", dir.Path("r.pdf")}}) {
        const CliResult r = RunCli(args, kHeadless, program.Cli());
        EXPECT_EQ(r.status, 2) << args[0];
        EXPECT_EQ(r.out, "") << args[0];
        EXPECT_NE(r.err.find("tallivo-cli: cannot write PDF files: "), std::string::npos) << r.err;
    }
    EXPECT_EQ(ReadAll(path), Sample());
    EXPECT_FALSE(std::filesystem::exists(dir.Path("out.zip")));
    EXPECT_FALSE(std::filesystem::exists(dir.Path("r.pdf")));
}
