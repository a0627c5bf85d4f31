#include "checking/CheckSession.h"

#include <gtest/gtest.h>

using namespace tallivo;

TEST(ResultGrid, GrowthRuleNumbersRowsAndKeepsAnEmptyLastRow)
{
    CheckSession s;
    s.SetUpErrorLayout();
    s.AddError("001", "1", "4-15", "Company Id", "This field should not be space");
    s.AddAccountError("003", "5", "10-34", "Credit Account No", "Invalid Orvane Account", "", "SOMCHAI");
    s.AddError("999", "9", "4-9", "Total No. of Debits", "m");
    EXPECT_EQ(s.grid.RowCount(), 5u);
    EXPECT_EQ(s.grid.ColCount(), 8u);
    EXPECT_EQ(s.grid.Cell(0, 1), "1");
    EXPECT_EQ(s.grid.Cell(0, 3), "3");
    EXPECT_EQ(s.grid.Cell(6, 2), "");
    EXPECT_EQ(s.grid.Cell(7, 2), "SOMCHAI");
    EXPECT_EQ(s.grid.Cell(5, 1), "This field should not be space");
    EXPECT_EQ(s.grid.Cell(6, 1), "");
    for (std::size_t c = 0; c < 8; ++c)
        EXPECT_EQ(s.grid.Cell(c, 4), "");
}

TEST(ResultGrid, ResetBlanksBodyButRowZeroKeepsItsTexts)
{
    CheckSession s;
    s.SetUpErrorLayout();
    s.AddError("001", "1", "4-15", "Company Id", "x");
    s.ResetErrorGrid();
    EXPECT_EQ(s.grid.RowCount(), 2u);
    EXPECT_EQ(s.grid.ColCount(), 2u);
    EXPECT_EQ(s.grid.Cell(0, 0), "No.");
    EXPECT_EQ(s.grid.Cell(1, 0), "Record Type");
    EXPECT_EQ(s.grid.Cell(1, 1), "");
}

TEST(ResultGrid, SetCellKeepsOtherCells)
{
    ResultGrid g;
    g.SetColCount(6);
    g.SetCell(4, 1, "1,234.00");
    g.SetCell(1, 1, "Payroll");
    g.SetCell(4, 1, "5.00");
    EXPECT_EQ(g.Cell(1, 1), "Payroll");
    EXPECT_EQ(g.Cell(4, 1), "5.00");
    EXPECT_EQ(g.Cell(0, 1), "");
    EXPECT_EQ(g.Cell(5, 1), "");
}

TEST(ResultGrid, FlagInvalidDataLeavesDataValidAlone)
{
    CheckSession s;
    s.ctx.dataValid = true;
    s.FlagInvalidData();
    EXPECT_TRUE(s.hasFindingsToSave);
    EXPECT_EQ(s.statusText, "Invalid data fields");
    EXPECT_TRUE(s.ctx.dataValid);
}

TEST(ResultGrid, CellsHoldAnyByte)
{
    // Fields come from the payment file as they stand, control bytes included.
    CheckSession s;
    s.SetUpErrorLayout();
    const std::string account = std::string("111") + '\x1f' + "1111114\t";
    s.AddAccountError("002", "2", "15-39", "Debit Account No", "Invalid Orvane Account", account,
                      "A\x1f"
                      "B");
    EXPECT_EQ(s.grid.Cell(6, 1), account);
    EXPECT_EQ(s.grid.Cell(7, 1), "A\x1f"
                                 "B");
    s.grid.SetCell(7, 1, "");
    s.grid.SetCell(3, 1, "49-64");
    EXPECT_EQ(s.grid.Cell(6, 1), account);
    EXPECT_EQ(s.grid.Cell(7, 1), "");
    EXPECT_EQ(s.grid.Cell(3, 1), "49-64");
    EXPECT_EQ(s.grid.Cell(5, 1), "Invalid Orvane Account");
}

// A finding's place in the payment file comes from the grid's own layouts.
TEST(ResultGrid, AFindingsLocationFollowsItsLayout)
{
    struct Case
    {
        GridLayout layout;
        std::initializer_list<std::string_view> cells;
        std::uint64_t line;
        std::size_t first;
        std::size_t last;
        std::string_view recordType;
    };
    const Case cases[] = {
        {GridLayout::RecordTypeErrors, {"12"}, 12, 1, 3, ""},
        {GridLayout::RecordLengthErrors, {"003", "7"}, 7, 0, 0, "003"},
        {GridLayout::Errors, {"003", "5", "35-50", "Credit Account", "Invalid"}, 5, 35, 50, "003"},
        {GridLayout::Errors, {"999", "9", "4", "Count", "Invalid"}, 9, 4, 4, "999"},
        {GridLayout::Errors, {"", "", "", "", "Whole file"}, 0, 0, 0, ""},
    };
    for (const Case& c : cases) {
        ResultGrid grid;
        grid.SetUpLayout(c.layout, {"No."});
        grid.AppendRow(c.cells);
        const std::optional<FindingLocation> at = LocationOf(grid, 1);
        ASSERT_TRUE(at) << *c.cells.begin();
        EXPECT_EQ(at->line, c.line);
        EXPECT_EQ(at->firstColumn, c.first);
        EXPECT_EQ(at->lastColumn, c.last);
        EXPECT_EQ(at->recordType, c.recordType);
    }
    ResultGrid summary;
    summary.SetUpLayout(GridLayout::Summary, {"No."});
    summary.AppendRow({"Payroll", "31/12/2099", "2", "40,050.00", "40050.00"});
    EXPECT_FALSE(LocationOf(summary, 1));
    EXPECT_FALSE(LocationOf(summary, 0));
}
