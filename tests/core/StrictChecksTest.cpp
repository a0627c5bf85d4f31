#include "TestFiles.h"
#include "checking/CheckSession.h"
#include "checking/StrictChecks.h"
#include "checking/StructureChecks.h"
#include "findings/ErrorFiles.h"

#include <gtest/gtest.h>

using namespace tallivo;
using tallivo::test::Record;
using tallivo::test::TempFolder;

namespace {

const std::string kHeader = Record("001", 96) + "\r\n";
const std::string kDebit = Record("002", 109) + "\r\n";
const std::string kCredit = Record("003", 355) + "\r\n";
const std::string kTrailer = Record("999", 31) + "\r\n";

// The findings as "type|line|message", one string each.
std::vector<std::string> Findings(const std::string& content)
{
    TempFolder dir;
    std::vector<std::string> out;
    for (const StrictFinding& f : FindStrictFindings(dir.Write("p.txt", content)))
        out.push_back(f.recordType + "|" + std::to_string(f.line) + "|" + f.message);
    return out;
}

using Expected = std::vector<std::string>;

} // namespace

TEST(FindStrictFindings, FrameOfTheFile)
{
    struct Case
    {
        const char* what;
        std::string content;
        Expected findings;
    };
    const std::string clean = kHeader + kDebit + kCredit + kTrailer;
    const Case cases[] = {
        {"complete file", clean, {}},
        {"complete file without the last line end", clean.substr(0, clean.size() - 2), {}},
        {"a Ctrl-Z as the very last byte", clean + "\x1a", {}},
        {"empty file", "", {"|0|File has no records"}},
        {"only a Ctrl-Z", "\x1a", {"|0|File has no records"}},
        {"header alone", kHeader, {"001|1|Last record should be the trailer record 999"}},
        {"cut before the trailer", kHeader + kDebit + kCredit, {"003|3|Last record should be the trailer record 999"}},
        {"no header", kDebit + kCredit + kTrailer, {"002|1|First record should be the header record 001"}},
        {"trailer alone", kTrailer, {"999|1|First record should be the header record 001"}},
        {"empty line after the trailer", clean + "\r\n", {"|5|Last record should be the trailer record 999"}},
        {"two headers and two trailers", kHeader + kDebit + kTrailer + kHeader + kCredit + kTrailer,
         {"001|4|Header record 001 again: the file's header is line 1",
          "999|6|Trailer record 999 again: the file's trailer is line 3"}},
        {"bytes after a Ctrl-Z inside a line",
         kHeader + kDebit + "003\x1a" "hidden\r\n" + kTrailer,
         {"003|3|Last record should be the trailer record 999",
          "|3|Ctrl-Z byte ends the file here: the 41 bytes after it are not checked"}},
        {"bytes after a Ctrl-Z at a line start", clean + "\x1a" + kTrailer,
         {"|5|Ctrl-Z byte ends the file here: the 33 bytes after it are not checked"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Findings(c.content), c.findings) << c.what;
}

TEST(FindStrictFindings, CtrlZFarIntoALargeFile)
{
    // The Ctrl-Z lies past the first read block; its line counts every line end before it.
    std::string f = kHeader;
    for (int i = 0; i < 400; ++i)
        f += kCredit;
    f += kTrailer + "\x1a" "x";
    EXPECT_EQ(Findings(f), Expected{"|403|Ctrl-Z byte ends the file here: the 1 bytes after it are not checked"});
}

TEST(AddStrictFindings, RowsOfTheErrorGridOrBesideTheStructureGrid)
{
    const std::vector<StrictFinding> findings = {{"", 0, "File has no records"},
                                                 {"002", 7, "Last record should be the trailer record 999"}};

    // After the field checks found nothing: rows of the error layout, a status of their own.
    CheckSession clean;
    clean.ctx.dataValid = true;
    clean.SetUpErrorLayout();
    AddStrictFindings(clean, findings);
    EXPECT_TRUE(StrictFindingsInGrid(clean));
    EXPECT_FALSE(clean.ctx.dataValid);
    EXPECT_TRUE(clean.hasFindingsToSave);
    EXPECT_EQ(clean.statusText, "Invalid file structure");
    ASSERT_EQ(clean.grid.RowCount(), 4u);
    EXPECT_EQ(ErrorFileLine(ErrorFileKind::Data, clean.grid, 1),
              "Record Type:    LineNo.:    Column:    Field Name:    Message:  File has no records");
    EXPECT_EQ(ErrorFileLine(ErrorFileKind::Data, clean.grid, 2),
              "Record Type:  002  LineNo.:  7  Column:    Field Name:    Message:  Last record should be the "
              "trailer record 999");

    // Beside field findings: appended, the status stays that of the field checks.
    CheckSession data;
    data.SetUpErrorLayout();
    data.AddError("003", "2", "1-3", "F", "bad");
    data.FlagInvalidData();
    AddStrictFindings(data, findings);
    EXPECT_EQ(data.statusText, "Invalid data fields");
    EXPECT_EQ(data.grid.RowCount(), 5u);
    EXPECT_EQ(data.grid.Cell(5, 3), "Last record should be the trailer record 999");

    // When the record type check stopped the file, its grid stays as the window shows it.
    TempFolder dir;
    CheckSession types;
    ASSERT_FALSE(CheckRecordTypes(types, dir.Write("p.txt", kHeader + "xyz\r\n")));
    types.statusText = "Record type invalid code";
    AddStrictFindings(types, findings);
    EXPECT_FALSE(StrictFindingsInGrid(types));
    EXPECT_EQ(types.grid.Layout(), GridLayout::RecordTypeErrors);
    EXPECT_EQ(types.grid.RowCount(), 3u);
    EXPECT_EQ(types.strictFindings.size(), 2u);
    EXPECT_EQ(types.statusText, "Record type invalid code");
}
