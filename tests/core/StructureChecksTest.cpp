#include "TestFiles.h"
#include "findings/ErrorFiles.h"
#include "checking/StructureChecks.h"
#include "format/RecordTypes.h"

#include <gtest/gtest.h>

using namespace tallivo;
using tallivo::test::ReadAll;
using tallivo::test::Record;
using tallivo::test::TempFolder;

namespace {

std::string CleanFile()
{
    return Record(RecordCode::Header) + "\r\n" + Record(RecordCode::Debit) + "\r\n" + Record(RecordCode::Credit) +
           "\r\n" + Record(RecordCode::Trailer) + "\r\n";
}

} // namespace

TEST(CheckRecordTypes, ListsEveryUnknownLine)
{
    TempFolder dir;
    CheckSession s;
    // Line 2 has a letter in its code, line 3 is shifted by a blank, line 5 is the
    // empty line after the last record.
    const std::string path = dir.Write("p.txt", Record(RecordCode::Header) + "\r\n" + Record("0A2", 109) + "\r\n" +
                                                    Record(" 003", 355) + "\r\n" + Record(RecordCode::Trailer) +
                                                    "\r\n\r\n");
    EXPECT_FALSE(CheckRecordTypes(s, path));
    EXPECT_FALSE(s.recordTypesValid);
    ASSERT_EQ(s.grid.RowCount(), 5u);
    EXPECT_EQ(s.grid.Cell(0, 0), "No.");
    EXPECT_EQ(s.grid.Cell(1, 0), "Line");
    EXPECT_EQ(s.grid.Cell(1, 1), "2");
    EXPECT_EQ(s.grid.Cell(1, 2), "3");
    EXPECT_EQ(s.grid.Cell(0, 3), "3");
    EXPECT_EQ(s.grid.Cell(1, 3), "5");
    EXPECT_EQ(s.grid.Cell(1, 4), "");
}

TEST(CheckRecordTypes, CleanEmptyAndCtrlZFilesPass)
{
    TempFolder dir;
    CheckSession s;
    EXPECT_TRUE(CheckRecordTypes(s, dir.Write("a.txt", CleanFile())));
    EXPECT_TRUE(CheckRecordTypes(s, dir.Write("b.txt", "")));
    EXPECT_TRUE(CheckRecordTypes(s, dir.Write("c.txt", CleanFile() + "\x1a" "garbage\r\n")));
    EXPECT_TRUE(s.recordTypesValid);
    EXPECT_EQ(s.grid.RowCount(), 2u);
}

TEST(CheckRecordLengths, ListsCodeAndLineOfWrongLengths)
{
    TempFolder dir;
    CheckSession s;
    const std::string path = dir.Write("p.txt", Record("001", 97) + "\r\n" + Record(RecordCode::Debit) + "\r\n" +
                                                    Record("XYZ", 5) + "\r\n" + Record("999", 30) + "\r\n");
    EXPECT_FALSE(CheckRecordLengths(s, path));
    EXPECT_FALSE(s.recordLengthsValid);
    ASSERT_EQ(s.grid.RowCount(), 4u);
    EXPECT_EQ(s.grid.Cell(1, 0), "Record Type");
    EXPECT_EQ(s.grid.Cell(1, 1), "001");
    EXPECT_EQ(s.grid.Cell(2, 1), "1");
    EXPECT_EQ(s.grid.Cell(1, 2), "999");
    EXPECT_EQ(s.grid.Cell(2, 2), "4");
}

TEST(CheckRecordLengths, LineFeedOnlyFileIsOneLongLine)
{
    TempFolder dir;
    CheckSession s;
    std::string lf = Record(RecordCode::Header) + "\n" + Record(RecordCode::Debit) + "\n";
    const std::string path = dir.Write("p.txt", lf);
    EXPECT_TRUE(CheckRecordTypes(s, path));
    EXPECT_FALSE(CheckRecordLengths(s, path));
    EXPECT_EQ(s.grid.RowCount(), 3u);
    EXPECT_EQ(s.grid.Cell(2, 1), "1");
}

TEST(ErrorFiles, EachLayoutWritesItsLinesExactly)
{
    TempFolder dir;
    CheckSession s;

    CheckRecordTypes(s, dir.Write("t.txt", Record(RecordCode::Header) + "\r\n" + std::string("junk") + "\r\n"));
    WriteErrorFile(ErrorFileKind::RecordTypes, s.grid, dir.Path("e1.txt"));
    EXPECT_EQ(ReadAll(dir.Path("e1.txt")), "LineNo : 2 Record type invalid code\r\n");

    std::string file;
    for (int i = 1; i <= 6; ++i)
        file += Record(RecordCode::Header) + "\r\n";
    file += Record("003", 300) + "\r\n";
    CheckRecordLengths(s, dir.Write("l.txt", file));
    WriteErrorFile(ErrorFileKind::RecordLengths, s.grid, dir.Path("e2.txt"));
    EXPECT_EQ(ReadAll(dir.Path("e2.txt")), "LineNo.: 7 Invalid length in record type 003\r\n");

    s.ResetErrorGrid();
    s.SetUpErrorLayout();
    s.AddError("001", "1", "4-15", "Company Id", "This field should not be space");
    s.AddAccountError("002", "2", "15-39", "Debit Account No", "Invalid Orvane Account", "123", "");
    WriteErrorFile(ErrorFileKind::Data, s.grid, dir.Path("e3.txt"));
    EXPECT_EQ(ReadAll(dir.Path("e3.txt")),
              "Record Type:  001  LineNo.:  1  Column:  4-15  Field Name:  Company Id  Message:  This field should "
              "not be space\r\n"
              "Record Type:  002  LineNo.:  2  Column:  15-39  Field Name:  Debit Account No  Message:  Invalid "
              "Orvane Account\r\n");
}

TEST(ErrorFiles, ChoiceFollowsTheStageThatFailed)
{
    EXPECT_EQ(ChooseErrorFile(false, false, false), ErrorFileKind::RecordTypes);
    EXPECT_EQ(ChooseErrorFile(true, false, true), ErrorFileKind::RecordLengths);
    EXPECT_EQ(ChooseErrorFile(true, true, false), ErrorFileKind::Data);
    EXPECT_EQ(ChooseErrorFile(true, true, true), ErrorFileKind::None);
}

// One read serves the three checks: each finds in the scan what it would find reading
// the file itself, and the express cheque count ignores the other checks' findings.
TEST(ScanStructure, OneReadTellsTypesLengthsAndTheExpressLimit)
{
    TempFolder dir;
    auto express = [](int credits) {
        std::string f = Record("002XMQ", 109) + "\r\n";
        for (int i = 0; i < credits; ++i)
            f += Record("003", 355) + "\r\n";
        return f;
    };
    struct Case
    {
        const char* name;
        std::string file;
        std::vector<std::uint64_t> unknown;
        std::vector<std::pair<std::string, std::uint64_t>> wrongLengths;
        bool exceeds;
    };
    const Case cases[] = {
        {"clean", CleanFile(), {}, {}, false},
        {"all three", Record("001", 97) + "\r\njunk\r\n" + express(21), {2}, {{"001", 1}}, true},
        {"twenty", express(20) + Record("999", 30) + "\r\n", {}, {{"999", 22}}, false},
    };
    for (const Case& c : cases) {
        const StructureScan scan = ScanStructure(dir.Write("p.txt", c.file));
        EXPECT_EQ(scan.unknownTypeLines, c.unknown) << c.name;
        std::vector<std::pair<std::string, std::uint64_t>> lengths;
        for (const auto& [type, line] : scan.wrongLengths)
            lengths.emplace_back(std::string(type->code), line);
        EXPECT_EQ(lengths, c.wrongLengths) << c.name;
        EXPECT_EQ(scan.exceedsExpressChequeLimit, c.exceeds) << c.name;

        CheckSession s;
        BeginRecordTypeCheck(s);
        EXPECT_EQ(EndRecordTypeCheck(s, scan), c.unknown.empty()) << c.name;
        EXPECT_EQ(s.grid.RowCount(), c.unknown.size() + 2) << c.name;
        EXPECT_EQ(CheckRecordLengths(s, scan), c.wrongLengths.empty()) << c.name;
        EXPECT_EQ(s.grid.RowCount(), c.wrongLengths.size() + 2) << c.name;
    }
}
