// The report rows held compactly, and read from the report tables a batch at a time.
#include "TestFiles.h"
#include "app/AppState.h"
#include "app/ReportState.h"
#include "reports/ReportDocument.h"
#include "store/TableStore.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tallivo {
namespace {

TEST(ReportRows, CellsByRowAndColumnNewColumnsAndSharedCopies)
{
    ReportRows rows{{{"Product", "Payroll"}, {"Amount", "1.5"}}, {{"Product", ""}, {"Amount", "2"}}};
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows.Columns(), (std::vector<std::string>{"Amount", "Product"}));
    EXPECT_EQ(rows.Cell(0, rows.ColumnIndex("Product")), "Payroll");
    EXPECT_EQ(rows.Cell(1, rows.ColumnIndex("Product")), "");
    EXPECT_EQ(rows.Cell(1, rows.ColumnIndex("Amount")), "2");
    EXPECT_EQ(rows.ColumnIndex("Missing"), 2u);
    EXPECT_EQ(rows.Cell(5, 0), "");

    // A copy shares the cells until one of them changes.
    const ReportRows copy = rows;
    rows.push_back({{"Amount", "3"}, {"Note", "new column"}});
    EXPECT_EQ(copy.size(), 2u);
    EXPECT_EQ(copy.Columns().size(), 2u);
    EXPECT_EQ(rows.ToMaps(),
              (std::vector<ReportRows::Row>{{{"Amount", "1.5"}, {"Note", ""}, {"Product", "Payroll"}},
                                            {{"Amount", "2"}, {"Note", ""}, {"Product", ""}},
                                            {{"Amount", "3"}, {"Note", "new column"}, {"Product", ""}}}));
    EXPECT_EQ(rows[2].at("Note"), "new column");
}

TEST(ReportRows, RowsOfMoreTextThanABlockReadBackWhole)
{
    // Rows of several megabytes, and one row larger than a block, each cell as given.
    ReportRows rows({"Name", "Amount", "Empty"});
    const auto name = [](std::size_t r) {
        return std::string(r % 7 == 0 ? 900 : 100 + r % 50, static_cast<char>('A' + r % 26));
    };
    const std::string huge(3 << 20, 'H');
    for (std::size_t r = 0; r < 20000; ++r)
        rows.AddRow({r == 9000 ? std::string_view(huge) : std::string_view(name(r)), std::to_string(r), ""});
    ASSERT_EQ(rows.size(), 20000u);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        ASSERT_EQ(rows.Cell(r, 0), r == 9000 ? huge : name(r)) << r;
        ASSERT_EQ(rows.Cell(r, 1), std::to_string(r)) << r;
        ASSERT_EQ(rows.Cell(r, 2), "") << r;
    }
}

TEST(ReportRows, ReadFromTheTablesInBatchesAsTheyStand)
{
    test::TempFolder dir;
    std::filesystem::create_directories(dir.Path("Data"));
    AppState app;
    app.programFolder = dir.Folder();
    CreateTableFiles(app.DataFolder());
    ReportStore& store = ReportStoreOf(app);
    EXPECT_TRUE(store.ReportTableRows("ReportTableDetail").empty());

    // More rows than one batch, with blanks, quotes and Thai bytes kept as they are.
    store.BeginTransaction();
    for (int i = 0; i < 4321; ++i) {
        DetailRow row;
        row.Product = "Payroll";
        row.NameEng = i % 2 ? "O'NEIL \xA1\xD2" : "  padded  ";
        row.CreditAmount = std::to_string(i) + ".500";
        row.CreditAccount = "0011234567               ";
        store.AppendDetailRow(row);
    }
    store.Commit();
    const ReportRows rows = store.ReportTableRows("ReportTableDetail");
    EXPECT_EQ(rows.size(), 4321u);
    EXPECT_EQ(rows.ToMaps(), store.TableRows("ReportTableDetail"));
    EXPECT_EQ(rows.Cell(4320, rows.ColumnIndex("Credit Amount")), "4320.500");
}

} // namespace
} // namespace tallivo
