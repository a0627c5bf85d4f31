// The local table store on a Data folder of the test's own, and the addAccBatchError row
// kept in memory during a pass and written through to its table file.
#include "PaymentRecordFixture.h"
#include "TestFiles.h"
#include "app/AppState.h"
#include "app/TableAccountRow.h"
#include "checking/ValidationPass.h"
#include "common/AppError.h"
#include "store/ReportTables.h"
#include "store/TableStore.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <unistd.h>
#include <vector>

namespace tallivo {
namespace {

using test::Rec;

class TableStoreTest : public ::testing::Test
{
protected:
    TableStoreTest() { CreateTableFiles(data); }

    // The store error a call raises, or "" when it raises none.
    template <typename F>
    static std::string StoreError(F call)
    {
        try {
            call();
        } catch (const AppError& e) {
            EXPECT_EQ(e.kind(), AppError::Kind::Store);
            return e.what();
        }
        return "";
    }

    test::TempFolder dir;
    std::string data = dir.Folder();
};

TEST_F(TableStoreTest, QuoteSqlDoublesInnerQuotes)
{
    EXPECT_EQ(QuoteSql("O'NEIL"), "'O''NEIL'");
    EXPECT_EQ(QuoteSql(""), "''");
    EXPECT_EQ(QuoteSql("''"), "''''''");
}

TEST_F(TableStoreTest, StatementsNameTheTablesPlainlyAndQuotedValuesSurvive)
{
    TableStore store(data);
    store.ExecSql("Insert into ReportTable(Product,Value_Date,No_Of_Credit,Amount) Values(" + QuoteSql("O'NEIL") + "," +
                  QuoteSql("15/03/2024") + ",12,1234567.89)");
    store.ExecSql("Insert into ReportTableDetail(Product,\"Credit Amount\") Values(?1,?2)", {"It's", "10.00"});
    store.ExecSql("Insert into addAccBatchError(ACCOUNT) Values('1111111114')");

    const std::vector<TableRow> summary = store.TableRows("ReportTable");
    ASSERT_EQ(summary.size(), 1u);
    EXPECT_EQ(summary[0].at("Product"), "O'NEIL");
    EXPECT_EQ(summary[0].at("Value_Date"), "15/03/2024");
    EXPECT_EQ(summary[0].at("No_Of_Credit"), "12");
    EXPECT_EQ(summary[0].at("Amount"), "1234567.89");
    const std::vector<TableRow> detail = store.Query("Select * From ReportTableDetail");
    ASSERT_EQ(detail.size(), 1u);
    EXPECT_EQ(detail[0].at("Product"), "It's");
    EXPECT_EQ(detail[0].at("Credit Amount"), "10.00");
    EXPECT_EQ(detail[0].at("NameEng"), ""); // NULL reads as empty text

    store.ExecSql("Delete From addAccBatchError");
    EXPECT_TRUE(store.TableRows("addAccBatchError").empty());

    // The rows are in the files: a second store (the next run) reads them.
    TableStore next(data);
    EXPECT_EQ(next.TableRows("ReportTable").size(), 1u);
}

// A statement kept for many runs takes each run's own values, fails as any statement
// fails and is ready again after a failure, inside a transaction and outside; it holds
// no table: a table file removed meanwhile is still found missing, and the other
// tables go on working.
TEST_F(TableStoreTest, RepeatedStatementsTakeEachRunsValuesAndHoldNothing)
{
    const std::string insert = "Insert into ReportTableDetail(Product,\"Credit Amount\") Values(?1,?2)";
    TableStore store(data);
    {
        TableTransaction transaction(store, {"ReportTableDetail"});
        for (int i = 0; i < 3; ++i) {
            const std::string product = "P" + std::to_string(i);
            store.TableExecRepeated("ReportTableDetail", insert, {product, "1" + std::to_string(i) + ".00"});
        }
        EXPECT_NE(StoreError([&] { store.TableExecRepeated("ReportTableDetail", "Insert into Nowhere(a) Values(?1)", {"x"}); }),
                  "");
        store.TableExecRepeated("ReportTableDetail", insert, {"It's"}); // fewer values: the rest are NULL
        transaction.Commit();
    }
    const std::vector<TableRow> rows = TableStore(data).TableRows("ReportTableDetail");
    ASSERT_EQ(rows.size(), 4u);
    const std::pair<std::string, std::string> expected[] = {{"P0", "10.00"}, {"P1", "11.00"}, {"P2", "12.00"}, {"It's", ""}};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].at("Product"), expected[i].first) << i;
        EXPECT_EQ(rows[i].at("Credit Amount"), expected[i].second) << i;
    }

    const std::string detail = TableFilePath(data, "ReportTableDetail");
    std::filesystem::remove(detail);
    EXPECT_EQ(StoreError([&] { store.CheckTableFile("ReportTableDetail"); }), "Table file not found: " + detail);
    EXPECT_EQ(StoreError([&] { store.TableExecRepeated("ReportTableDetail", insert, {"gone"}); }),
              "Table file not found: " + detail);
    EXPECT_EQ(StoreError([&] { store.TableExec("ReportTable", "Insert into ReportTable(Product) Values('kept')"); }), "");
}

// Many rows in one transaction are synced to the table's file while they are written;
// the transaction stays whole: undone, it leaves none of them, committed, all.
TEST_F(TableStoreTest, ManyRowsSyncedWhileWrittenStayOneTransaction)
{
    const std::string insert = "Insert into ReportTableDetail(Product,\"Credit Amount\") Values(?1,?2)";
    constexpr int kRows = 70000; // past the rows after which what was written is synced
    TableStore store(data);
    for (const bool commit : {false, true}) {
        TableTransaction transaction(store, {"ReportTableDetail"});
        for (int i = 0; i < kRows; ++i)
            store.TableExecRepeated("ReportTableDetail", insert, {"P" + std::to_string(i), "1.00"});
        if (commit)
            transaction.Commit();
    }
    const std::vector<TableRow> count = TableStore(data).TableQuery(
        "ReportTableDetail", "Select count(*) As n, min(Product) As first From ReportTableDetail");
    EXPECT_EQ(count.at(0).at("n"), std::to_string(kRows));
    EXPECT_EQ(count.at(0).at("first"), "P0");
}

TEST_F(TableStoreTest, MissingOrDamagedTableFilesAreStoreErrorsNamingTheFile)
{
    const std::string report = TableFilePath(data, "ReportTable");
    std::filesystem::remove(report);
    EXPECT_EQ(StoreError([&] { TableStore(data).ExecSql("Delete From ReportTable"); }),
              "Table file not found: " + report);
    EXPECT_FALSE(std::filesystem::exists(report)); // never created by the program
    // A statement on another table alone does not need the missing file.
    EXPECT_EQ(StoreError([&] { TableStore(data).TableRows("addAccBatchError"); }), "");

    const std::string detail = TableFilePath(data, "ReportTableDetail");
    dir.Write("ReportTableDetail.DAT", std::string(4096, 'x'));
    const std::string notADatabase = StoreError([&] { TableStore(data).TableRows("ReportTableDetail"); });
    EXPECT_EQ(notADatabase.rfind("Table file " + detail + " is damaged", 0), 0u) << notADatabase;

    // A database without its table.
    CreateTableFiles(data); // makes the missing file again and replaces the damaged one
    TableStore(data).ExecSql("Insert into ReportTable(Product) Values('kept')");
    const std::string account = TableFilePath(data, "addAccBatchError");
    std::filesystem::remove(account);
    std::filesystem::copy_file(TableFilePath(data, "ReportTableDetail"), account);
    EXPECT_EQ(StoreError([&] { TableStore(data).TableRows("addAccBatchError"); }),
              "Table file is damaged (it holds no table addAccBatchError): " + account);

    // Creating the files again replaces the damaged one and keeps a sound file's rows.
    CreateTableFiles(data);
    TableStore store(data);
    EXPECT_TRUE(store.TableRows("addAccBatchError").empty());
    EXPECT_EQ(store.TableRows("ReportTable").size(), 1u);
}

TEST_F(TableStoreTest, ReadOnlyTableFileIsAClearError)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "file permissions do not bind the superuser";
    const std::string report = TableFilePath(data, "ReportTable");
    std::filesystem::permissions(report, std::filesystem::perms::owner_read);
    const std::string message = StoreError([&] { TableStore(data).ExecSql("Delete From ReportTable"); });
    EXPECT_NE(message.find("read-only"), std::string::npos) << message;
}

TEST_F(TableStoreTest, TableFileLockedByAnotherProgramIsAClearError)
{
    const std::string report = TableFilePath(data, "ReportTable");
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(report.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    const std::string message = StoreError([&] { TableStore(data).TableRows("ReportTable"); });
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(message.rfind("Table file " + report + " is locked by another program", 0), 0u) << message;
}

TEST_F(TableStoreTest, TransactionNotCommittedLeavesNoRows)
{
    TableStore store(data);
    {
        TableTransaction transaction(store);
        store.ExecSql("Insert into ReportTable(Product) Values('gone')");
    }
    EXPECT_TRUE(store.TableRows("ReportTable").empty());
    {
        TableTransaction transaction(store, {"ReportTable"});
        store.TableExec("ReportTable", "Insert into ReportTable(Product) Values('kept')");
        transaction.Commit();
    }
    EXPECT_EQ(TableStore(data).TableRows("ReportTable").size(), 1u);
}

// A seal replaces the detail rows inside its transaction. The table stays as its file
// made it (its statement, its index), the new rows are numbered from 1, and the pages of
// the rows replaced are not copied to the journal; undone, the old rows are all there.
TEST_F(TableStoreTest, DetailRowsAreReplacedInOneTransactionWithoutJournallingTheOldRows)
{
    const auto fileObjects = [&] {
        return TableStore(data).TableQuery("ReportTableDetail",
                                           "Select type, name, sql From \"ReportTableDetail\".sqlite_master");
    };
    const auto fill = [](TableStore& store, int rows, const std::string& product) {
        for (int i = 0; i < rows; ++i)
            AppendDetailRow(store, {product, std::string(140, 'n'), std::to_string(i), "", "", "", "", "", ""});
    };
    struct Case
    {
        const char* name;
        const char* extra; // run on the table file first
        bool oldRowsOutOfJournal;
    };
    const Case cases[] = {
        {"as made", nullptr, true},
        {"with an index", "Create Index DetailByProduct On ReportTableDetail(Product)", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempFolder caseDir;
        data = caseDir.Folder();
        CreateTableFiles(data);
        const std::string detailFile = TableFilePath(data, "ReportTableDetail");
        if (c.extra) {
            sqlite3* db = nullptr;
            ASSERT_EQ(sqlite3_open(detailFile.c_str(), &db), SQLITE_OK);
            EXPECT_EQ(sqlite3_exec(db, c.extra, nullptr, nullptr, nullptr), SQLITE_OK);
            sqlite3_close(db);
        }
        {
            TableStore store(data);
            TableTransaction transaction(store, {"ReportTable", "ReportTableDetail"});
            fill(store, 10000, "old");
            transaction.Commit();
        }
        const auto oldSize = std::filesystem::file_size(detailFile);
        const std::vector<TableRow> objects = fileObjects();
        {
            TableStore store(data);
            TableTransaction transaction(store, {"ReportTable", "ReportTableDetail"});
            EmptyReportTables(store);
            fill(store, 10000, "new");
            DropReplacedDetailRows(store);
            const auto journal = std::filesystem::file_size(detailFile + "-journal");
            if (c.oldRowsOutOfJournal) {
                EXPECT_LT(journal, oldSize / 4) << "the old rows' pages went to the journal";
            }
            // Not committed: undone.
        }
        std::vector<TableRow> rows = TableStore(data).TableRows("ReportTableDetail");
        ASSERT_EQ(rows.size(), 10000u);
        EXPECT_EQ(rows.front().at("Product"), "old");
        EXPECT_EQ(fileObjects(), objects);
        {
            TableStore store(data);
            TableTransaction transaction(store, {"ReportTable", "ReportTableDetail"});
            EmptyReportTables(store);
            fill(store, 3, "new");
            DropReplacedDetailRows(store);
            transaction.Commit();
        }
        rows = TableStore(data).TableQuery("ReportTableDetail", "Select rowid As id, * From ReportTableDetail");
        ASSERT_EQ(rows.size(), 3u);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].at("id"), std::to_string(i + 1));
            EXPECT_EQ(rows[i].at("Product"), "new");
            EXPECT_EQ(rows[i].at("Credit Amount"), std::to_string(i));
        }
        EXPECT_EQ(fileObjects(), objects);
    }
}

TEST_F(TableStoreTest, AccountRowIsWrittenAtFlushAndReadByTheNextRun)
{
    TableStore store(data);
    TableAccountRow row([&]() -> TableStore& { return store; });
    row.StartRow("1111111114");
    row.SetNames("O'NEIL", "NAME TH");
    EXPECT_TRUE(TableStore(data).TableRows("addAccBatchError").empty()); // nothing on disk per record
    row.Flush();

    const std::vector<TableRow> rows = TableStore(data).TableRows("addAccBatchError");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].at("ACCOUNT"), "1111111114");
    EXPECT_EQ(rows[0].at("BENE_NAME_EN"), "O'NEIL");
    EXPECT_EQ(rows[0].at("BENE_NAME_TH"), "NAME TH");

    TableStore nextStore(data);
    TableAccountRow next([&]() -> TableStore& { return nextStore; });
    EXPECT_EQ(next.Account(), "1111111114");
    EXPECT_EQ(next.NameEn(), "O'NEIL");
    next.StartRow("5555555550"); // a new credit empties the names
    EXPECT_EQ(next.NameEn(), "");
    next.Flush();
    EXPECT_EQ(TableStore(data).TableRows("addAccBatchError").at(0).at("ACCOUNT"), "5555555550");
}

TEST_F(TableStoreTest, AccountRowTheFileHoldsAloneAlreadyIsNotWrittenAgain)
{
    const std::string file = TableFilePath(data, "addAccBatchError");
    // The file change counter of the table file's header, which every write transaction
    // moves on.
    const auto changes = [&] {
        const std::string header = test::ReadAll(file).substr(24, 4);
        return std::vector<unsigned char>(header.begin(), header.end());
    };
    const auto flush = [&](const char* account, const char* nameEn) {
        TableStore store(data);
        TableAccountRow row([&]() -> TableStore& { return store; });
        row.StartRow(account);
        row.SetNames(nameEn, "");
        row.Flush();
    };
    flush("1111111114", "FIRST");
    auto before = changes();
    flush("1111111114", "FIRST"); // the same row: left as it is
    EXPECT_EQ(changes(), before);

    flush("1111111114", "OTHER NAME"); // another row: written
    EXPECT_NE(changes(), before);
    EXPECT_EQ(TableStore(data).TableRows("addAccBatchError").at(0).at("BENE_NAME_EN"), "OTHER NAME");

    // The same row with another beside it (put there by another program): the file is made
    // to hold the row alone.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, "Insert into addAccBatchError(ACCOUNT) Values('2222222228')", nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    flush("1111111114", "OTHER NAME");
    const std::vector<TableRow> rows = TableStore(data).TableRows("addAccBatchError");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].at("ACCOUNT"), "1111111114");

    // A NULL account is not the empty account of the row: it is written.
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, "Update addAccBatchError Set ACCOUNT = NULL", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    flush("", "OTHER NAME");
    EXPECT_EQ(TableStore(data).TableQuery("addAccBatchError", "Select typeof(ACCOUNT) As t From addAccBatchError")
                  .at(0)
                  .at("t"),
              "text");
}

TEST_F(TableStoreTest, NamesOnAnEmptyTableMakeARowWithoutAccount)
{
    TableStore store(data);
    TableAccountRow row([&]() -> TableStore& { return store; });
    EXPECT_EQ(row.Account(), "");
    row.SetNames("EN", "TH");
    row.Flush();
    const std::vector<TableRow> rows = TableStore(data).TableRows("addAccBatchError");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].at("ACCOUNT"), "");
    EXPECT_EQ(rows[0].at("BENE_NAME_EN"), "EN");
}

TEST_F(TableStoreTest, AccountRowTableFileRemovedBetweenPassesFailsAtTheFirstCredit)
{
    TableStore store(data);
    TableAccountRow row([&]() -> TableStore& { return store; });
    row.StartRow("1111111114");
    row.Flush();
    std::filesystem::remove(TableFilePath(data, "addAccBatchError"));
    EXPECT_EQ(StoreError([&] { row.StartRow("5555555550"); }),
              "Table file not found: " + TableFilePath(data, "addAccBatchError"));
}

// The whole pass through the application state: the table holds the last credit's row,
// names filled by its payee record, and a payee record before any credit in the next run
// sees that row.
TEST_F(TableStoreTest, PassLeavesTheLastCreditsRowForTheNextRun)
{
    test::TempFolder program;
    std::filesystem::create_directories(program.Path("Data"));
    CreateTableFiles(program.Folder() + "Data/");
    const auto credit = [](const char* account) {
        return test::ValidCredit().Set(Credit::Account, account);
    };
    const auto payee = [](const char* nameEn) {
        return Rec(RecordCode::Payee).Set(Payee::InternalReference, "REF").Set(Payee::NameThai, "THAI")
            .Set(Payee::NameEnglish, nameEn);
    };
    {
        AppState app;
        app.programFolder = program.Folder();
        const std::string file = program.Write(
            "pay.txt", test::FileOf({credit("1111111114"), payee("FIRST"), credit("5555555550"), payee("LAST")}));
        ValidatePaymentFile(app.session, file);
    }
    const std::vector<TableRow> rows = TableStore(program.Folder() + "Data/").TableRows("addAccBatchError");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].at("ACCOUNT"), "5555555550");
    EXPECT_EQ(rows[0].at("BENE_NAME_EN"), "LAST");
    EXPECT_EQ(rows[0].at("BENE_NAME_TH"), "THAI");

    AppState app;
    app.programFolder = program.Folder();
    app.session.ctx.currentProduct = "PAY"; // rows show the account
    const std::string file = program.Write("payee.txt",
                                           test::FileOf({payee("NEXT RUN").Set(Payee::SequenceNumber, "X")}));
    ValidatePaymentFile(app.session, file);
    EXPECT_EQ(test::ErrorRows(app.session.grid),
              std::vector<std::string>{"004|1|12-17|Credit Sequence Number|This field should be number 6 digits|5555555550|"});
    const std::vector<TableRow> after = TableStore(program.Folder() + "Data/").TableRows("addAccBatchError");
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0].at("ACCOUNT"), "5555555550");
    EXPECT_EQ(after[0].at("BENE_NAME_EN"), "NEXT RUN");
}

} // namespace
} // namespace tallivo
