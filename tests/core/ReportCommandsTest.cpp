// The report stages of the seal command and the two report commands, run headless
// on a program folder of their own (report tables in Data/, templates in Report/).
#include "ScriptedDialogs.h"
#include "RecordBuilder.h"
#include "TestFiles.h"
#include "app/ReportCommands.h"
#include "app/ReportState.h"
#include "app/TierRateCommand.h"
#include "common/AppError.h"
#include "reports/PaymentSummary.h"

#include "store/TableStore.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

namespace tallivo {
namespace {

using test::ReadAll;
using test::Rec;

struct CapturingViewer : ReportViewer
{
    void Show(const ReportDocument& document) override { shown.push_back(document); }
    std::vector<ReportDocument> shown;
};

class ReportCommands : public ::testing::Test
{
protected:
    ReportCommands()
    {
        app.programFolder = dir.Folder();
        std::filesystem::create_directories(dir.Path("Data"));
        CreateTableFiles(app.DataFolder());
        for (const char* name : {"Payment.html", "PaymentDetail.html", "DirectDebit.html", "DeductFee.html"})
            dir.Write(std::string("Report/") + name, std::string("template ") + name);
    }

    // Runs the summary stages of the seal command on a file.
    void Summarise(const std::string& file, const std::string& product, const std::string& companyId)
    {
        app.inputPath = file;
        app.session.ctx.currentProduct = product;
        app.session.ctx.companyId = companyId;
        BuildPaymentSummary(app);
        FillReportTable(app);
    }

    std::string CreditTransferFile()
    {
        const auto credit = [](const char* amount) {
            return Rec("003", 355).Set("10-34", "1111111114").Set("35-50", amount).Set("181-183", "014");
        };
        return dir.Write("pay.txt",
                         test::FileOf({test::ValidHeader(),
                                       test::ValidDebit("PAY").Set("49-64", "0000001234567890").Set("73-78", "000002"),
                                       credit("0000001000000000"), credit("0000000234567890"),
                                       test::ValidDebit("MCL").Set("73-78", "000001"), credit("0000000001000000"),
                                       test::ValidDebit("BNT").Set("73-78", "000001"), credit("0000000001000000"),
                                       test::ValidTrailer("000003", "000004", "0000001236567890")}));
    }

    test::TempFolder dir;
    AppState app;
    ScriptedDialogs dialogs;
    CapturingViewer viewer;
};

TEST_F(ReportCommands, SealStagesFillBothTablesAndReportShowsTheCombinedDocument)
{
    Summarise(CreditTransferFile(), "BNT", "O'NEIL");
    EXPECT_TRUE(app.summaryBuilt);
    EXPECT_EQ(app.summaryCaption, "PAYMENT DETAIL");
    EXPECT_EQ(app.session.statusText, "Company ID : O'NEIL");

    ReportStore& store = ReportStoreOf(app);
    const auto summary = store.TableRows("ReportTable");
    ASSERT_EQ(summary.size(), 3u); // three lines; the Total line is not copied
    EXPECT_EQ(summary[0].at("Product"), "Payroll");
    EXPECT_EQ(summary[0].at("Value_Date"), "20/01/2025");
    EXPECT_EQ(summary[0].at("No_Of_Credit"), "2");
    EXPECT_EQ(summary[0].at("Amount"), "1234567.89");
    EXPECT_EQ(summary[2].at("Product"), "BahtNet");
    EXPECT_EQ(store.TableRows("ReportTableDetail").size(), 4u);

    app.hashValue = "EDITED BY HAND";
    EXPECT_TRUE(ShowPaymentReports(app, viewer));
    ASSERT_EQ(viewer.shown.size(), 1u);
    const ReportDocument& doc = viewer.shown[0];
    ASSERT_EQ(doc.parts.size(), 2u);
    EXPECT_EQ(doc.parts[0].templateText, "template Payment.html");
    EXPECT_EQ(doc.parts[1].templateText, "template PaymentDetail.html");
    for (const PreparedReport& part : doc.parts) {
        EXPECT_EQ(part.variables.at("comId"), "'O''NEIL'");
        EXPECT_EQ(part.variables.at("hashValue"), "'EDITED BY HAND'");
        EXPECT_EQ(part.wholeTexts.at("Product"), ProductTypeNames()); // product names never broken
    }
    EXPECT_EQ(doc.parts[0].rows.ToMaps(), summary);
    ASSERT_EQ(doc.parts[1].rows.size(), 4u);
    EXPECT_EQ(doc.parts[1].rows[0].at("Credit Amount"), "0000001000000.000");
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(ReportCommands, ASecondSealReplacesAllRows)
{
    Summarise(CreditTransferFile(), "BNT", "C1");
    const std::string dd =
        dir.Write("dd.txt", test::FileOf({test::ValidHeader(), test::ValidDirectDebitBatch().Set("96-111", "0000000000100000").Set("112-117", "000001"),
                                          test::ValidDirectDebitItem(), test::ValidDirectDebitBatch().Set("96-111", "0000000000200000").Set("112-117", "000001"),
                                          test::ValidDirectDebitItem(), test::ValidTrailer()}));
    Summarise(dd, "DDR", "C2");
    ReportStore& store = ReportStoreOf(app);
    EXPECT_EQ(store.TableRows("ReportTable").size(), 2u);
    EXPECT_TRUE(store.TableRows("ReportTableDetail").empty());

    ShowPaymentReports(app, viewer);
    ASSERT_EQ(viewer.shown.size(), 1u);
    ASSERT_EQ(viewer.shown[0].parts.size(), 1u);
    EXPECT_EQ(viewer.shown[0].parts[0].templateText, "template DirectDebit.html");
    EXPECT_EQ(viewer.shown[0].parts[0].rows.size(), 2u);
    EXPECT_EQ(viewer.shown[0].parts[0].variables.at("comId"), "'C2'");
}

// The summary a seal makes ahead, on a connection of its own, is put in place only as the
// summary stage would build it; for a direct-debit file it is not, and its rows are undone.
// Dropped, it leaves the table files as they were.
TEST_F(ReportCommands, TheSummaryMadeAheadIsTheOneTheStageBuilds)
{
    const std::string dd =
        dir.Write("dd.txt", test::FileOf({test::ValidHeader(), test::ValidDirectDebitBatch().Set("96-111", "0000000000100000").Set("112-117", "000001"),
                                          test::ValidDirectDebitItem(), test::ValidTrailer()}));
    struct Case
    {
        std::string file;
        const char* product;
        bool madeAhead;
    };
    const Case cases[] = {{CreditTransferFile(), "BNT", true}, {dd, "DDR", false}};
    const auto tableRows = [](AppState& a) {
        return std::make_pair(ReportStoreOf(a).TableRows("ReportTable"), ReportStoreOf(a).TableRows("ReportTableDetail"));
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.product);
        Summarise(CreditTransferFile(), "PAY", "EARLIER"); // rows the new summary replaces

        test::TempFolder aheadDir;
        AppState ahead;
        ahead.programFolder = aheadDir.Folder();
        std::filesystem::create_directories(aheadDir.Path("Data"));
        CreateTableFiles(ahead.DataFolder());
        ahead.inputPath = CreditTransferFile();
        ahead.session.ctx.companyId = "EARLIER";
        ahead.session.ctx.currentProduct = "PAY";
        BuildPaymentSummary(ahead);
        FillReportTable(ahead);
        {
            const TablesLock held(ahead);
            ahead.inputPath = c.file;
            SealReportTables made(ahead, std::make_unique<PaymentFileReader>(c.file));
            ahead.session.ctx.currentProduct = c.product;
            ahead.session.ctx.companyId = "NOW";
            bool reread = false;
            made.Write(ahead, [&]() -> std::unique_ptr<LineSource> {
                reread = true;
                return std::make_unique<PaymentFileReader>(c.file);
            });
            EXPECT_EQ(reread, !c.madeAhead);
            made.Commit(ahead);
        }
        Summarise(c.file, c.product, "NOW");

        EXPECT_EQ(ahead.summaryBuilt, app.summaryBuilt);
        EXPECT_EQ(ahead.summaryCaption, app.summaryCaption);
        EXPECT_EQ(ahead.session.statusText, app.session.statusText);
        const ResultGrid& a = ahead.session.grid;
        const ResultGrid& b = app.session.grid;
        ASSERT_EQ(a.RowCount(), b.RowCount());
        ASSERT_EQ(a.ColCount(), b.ColCount());
        for (std::size_t row = 0; row < a.RowCount(); ++row)
            for (std::size_t col = 0; col < a.ColCount(); ++col)
                EXPECT_EQ(a.Cell(col, row), b.Cell(col, row)) << col << ' ' << row;
        EXPECT_EQ(tableRows(ahead), tableRows(app));

        // Dropped: the tables stay as they were.
        const std::string before = ReadAll(aheadDir.Path("Data/ReportTableDetail.DAT"));
        {
            const TablesLock held(ahead);
            SealReportTables dropped(ahead, std::make_unique<PaymentFileReader>(CreditTransferFile()));
        }
        {
            // Written, then dropped uncommitted.
            const TablesLock held(ahead);
            SealReportTables dropped(ahead, std::make_unique<PaymentFileReader>(CreditTransferFile()));
            ahead.session.ctx.currentProduct = "PAY";
            dropped.Write(ahead, [&] { return std::make_unique<PaymentFileReader>(CreditTransferFile()); });
        }
        EXPECT_EQ(ReadAll(aheadDir.Path("Data/ReportTableDetail.DAT")), before);
        EXPECT_EQ(tableRows(ahead), tableRows(app));
    }
}

TEST_F(ReportCommands, ReportDoesNothingBeforeASummary)
{
    Summarise(CreditTransferFile(), "PAY", "C1");
    app.summaryBuilt = false; // a later seal stopped before its summary
    EXPECT_FALSE(ShowPaymentReports(app, viewer));
    EXPECT_TRUE(viewer.shown.empty());
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(ReportCommands, ReportPrintsOnlyWhatThisRunsOwnSealPutInTheTables)
{
    // Another run of the program, on the same program folder.
    AppState other;
    other.programFolder = app.programFolder;
    const auto summarise = [](AppState& run, const std::string& file, const char* companyId) {
        run.inputPath = file;
        run.session.ctx.currentProduct = "PAY";
        run.session.ctx.companyId = companyId;
        BuildPaymentSummary(run);
        FillReportTable(run);
    };
    const std::string file = CreditTransferFile();
    summarise(app, file, "THIS RUN");
    EXPECT_TRUE(ShowPaymentReports(app, viewer)); // reading the tables changes nothing
    EXPECT_TRUE(ShowPaymentReports(app, viewer));
    summarise(other, dir.Write("other.txt", ReadAll(file)), "OTHER RUN");

    const std::string refusal = "The report tables in " + dir.Path("Data/") +
                                " were written by another Tallivo run after this run's seal; its report can no "
                                "longer be printed";
    try {
        ShowPaymentReports(app, viewer);
        ADD_FAILURE() << "printed another run's rows";
    } catch (const AppError& e) {
        EXPECT_EQ(e.kind(), AppError::Kind::Store);
        EXPECT_EQ(e.what(), refusal);
    }
    EXPECT_EQ(viewer.shown.size(), 2u);
    CapturingViewer otherViewer;
    EXPECT_TRUE(ShowPaymentReports(other, otherViewer));
    ASSERT_EQ(otherViewer.shown.size(), 1u);
    EXPECT_EQ(otherViewer.shown[0].parts[0].variables.at("comId"), "'OTHER RUN'");

    // This run seals again: its report is its own once more.
    summarise(app, file, "THIS RUN");
    EXPECT_TRUE(ShowPaymentReports(app, viewer));
    EXPECT_EQ(viewer.shown.back().parts[0].variables.at("comId"), "'THIS RUN'");
}

TEST_F(ReportCommands, TablesHeldByAnotherCommandStopTheSummaryAfterTheWait)
{
    ::setenv("TALLIVO_TEST_LOCK_WAIT", "0.05", 1);
    AppState other;
    other.programFolder = app.programFolder;
    app.inputPath = CreditTransferFile();
    {
        const TablesLock held(other);
        const TablesLock nested(other); // nested holders of one run share the lock
        try {
            BuildPaymentSummary(app);
            ADD_FAILURE() << "no wait for the table files";
        } catch (const AppError& e) {
            EXPECT_EQ(e.kind(), AppError::Kind::Store);
            EXPECT_EQ(std::string(e.what()), "The table files in " + dir.Path("Data/") +
                                                 " are in use by another Tallivo command; try again when it has finished");
        }
        EXPECT_FALSE(app.summaryBuilt);
    }
    BuildPaymentSummary(app); // let go: the summary is built
    ::unsetenv("TALLIVO_TEST_LOCK_WAIT");
    EXPECT_TRUE(app.summaryBuilt);
}

TEST_F(ReportCommands, ASummaryEndedByAnErrorKeepsTheDetailRowsWrittenBeforeIt)
{
    const auto credit = Rec("003", 355).Set("10-34", "1111111114").Set("35-50", "0000000001000000");
    app.inputPath = dir.Write("bad.txt", test::FileOf({test::ValidHeader(), test::ValidDebit("PAY"), credit, credit,
                                                        test::ValidDebit("PAY").Set("73-78", "00 001"),
                                                        test::ValidTrailer()}));
    EXPECT_THROW(BuildPaymentSummary(app), AppError);
    EXPECT_EQ(ReportStoreOf(app).TableRows("ReportTableDetail").size(), 2u);
}

TEST_F(ReportCommands, MissingTemplateLeavesTheReportObjectAsItWas)
{
    Summarise(CreditTransferFile(), "PAY", "C1");
    std::filesystem::remove(dir.Path("Report/PaymentDetail.html"));
    ShowPaymentReports(app, viewer);
    EXPECT_EQ(viewer.shown.back().parts[1].templateText, ""); // never loaded: empty

    dir.Write("Report/Payment.html", "second version");
    std::filesystem::remove(dir.Path("Report/Payment.html"));
    ShowPaymentReports(app, viewer);
    EXPECT_EQ(viewer.shown.back().parts[0].templateText, "template Payment.html"); // loaded last time
}

TEST_F(ReportCommands, FillReportTableQuotesTextCells)
{
    ResultGrid& grid = app.session.grid;
    grid.SetUpLayout(GridLayout::Summary, {"No.", "Product Type", "Value Date", "No. of Credit", "Amount", ""});
    grid.AppendRow({"O'Brien Pay", "01/02/2024", "3", "1.00", "1.00"});
    grid.AppendRow({"Payroll", "x'); Delete From ReportTableDetail; --", "1", "2.50", "2.50"});
    DetailRow kept;
    kept.Product = "kept";
    ReportStoreOf(app).AppendDetailRow(kept);
    FillReportTable(app);
    const auto rows = ReportStoreOf(app).TableRows("ReportTable");
    ASSERT_EQ(rows.size(), 2u); // rows 1 to row count - 2
    EXPECT_EQ(rows[0].at("Product"), "O'Brien Pay");
    EXPECT_EQ(rows[0].at("Amount"), "1.0"); // a decimal number column
    EXPECT_EQ(rows[1].at("Value_Date"), "x'); Delete From ReportTableDetail; --");
    EXPECT_EQ(rows[1].at("Amount"), "2.5");
    EXPECT_EQ(ReportStoreOf(app).TableRows("ReportTableDetail").size(), 1u);
}

TEST_F(ReportCommands, MissingTableFileIsAStoreError)
{
    std::filesystem::remove(dir.Path("Data/ReportTableDetail.DAT"));
    app.inputPath = CreditTransferFile();
    try {
        BuildPaymentSummary(app);
        ADD_FAILURE() << "no store error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.kind(), AppError::Kind::Store);
    }
    EXPECT_TRUE(app.summaryBuilt); // set before anything that can fail
    EXPECT_FALSE(std::filesystem::exists(dir.Path("Data/ReportTableDetail.DAT")));
}

// The tier-rate command.
class TierRateCommand : public ReportCommands
{
protected:
    std::string FeeFile(const std::string& debitAccount = test::kGoodAccount)
    {
        const auto credit = [](const char* bank, const char* amount) {
            return Rec("003", 355).Set("10-34", "1111111114").Set("35-50", amount).Set("92-93", "00").Set("110-115", "000000").Set("181-183", bank);
        };
        app.inputPath =
            dir.Write("fee.txt", test::FileOf({test::ValidHeader(),
                                               test::ValidDebit("MCL").Set("15-39", debitAccount).Set("73-78", "000006"),
                                               credit("002", "0000000000100000"), credit("002", "0000000000200000"),
                                               credit("002", "0000000000300000"), credit("004", "0000000200000000"),
                                               credit("004", "0000000300000000"), credit("025", "0000001000000000"),
                                               credit("014", "0000000000100000"), test::ValidTrailer()}));
        return app.inputPath;
    }
    void WriteFees(const std::string& ini) { dir.Write("Data/Config.ini", ini); }
    std::string Value(const std::string& name) const { return report.value().parts.at(0).variables.at(name); }

    std::optional<ReportDocument> report;
};

TEST_F(TierRateCommand, CountsPricesAndShowsTheEightVariables)
{
    WriteFees("[ThreeTierRate]\nRangeFee1=10\nRangeFee2 = 20\nRangeFee3=30\n");
    FeeFile();
    report = BuildTierRateReport(app, dialogs);
    ASSERT_TRUE(report);
    ASSERT_EQ(report->parts.size(), 1u);
    EXPECT_EQ(report->parts[0].templateText, "template DeductFee.html");
    EXPECT_EQ(Value("report_range1"), "'3'");
    EXPECT_EQ(Value("report_range2"), "'2'");
    EXPECT_EQ(Value("report_range3"), "'1'");
    EXPECT_EQ(Value("report_total_range"), "'6'");
    EXPECT_EQ(Value("report_total_fee_range1"), "'30'");
    EXPECT_EQ(Value("report_total_fee_range2"), "'40'");
    EXPECT_EQ(Value("report_total_fee_range3"), "'30'");
    EXPECT_EQ(Value("report_total_fee_range"), "'100'");
    // The eight figures, and above the table the payment file and its company id.
    EXPECT_EQ(Value("fileName"), "'" + app.inputPath + "'");
    EXPECT_EQ(Value("comId"), "'" + app.session.ctx.companyId + "'");
    EXPECT_FALSE(app.session.ctx.companyId.empty());
    EXPECT_EQ(report->parts[0].variables.size(), 10u);
    EXPECT_FALSE(app.summaryBuilt);
}

TEST_F(TierRateCommand, FeeTextThatIsNotANumberIsAConversionError)
{
    // The conversion's own message, then the setting it came from.
    const std::pair<const char*, std::string> cases[] = {
        {"", "'' is not a valid floating point value (RangeFee1 in section [ThreeTierRate], set in none of "},
        {"[ThreeTierRate]\nRangeFee1=10\nRangeFee2=abc\nRangeFee3=30\n",
         "'abc' is not a valid floating point value (RangeFee2 in section [ThreeTierRate] of " +
             dir.Path("Data/Config.ini") + ")"},
    };
    FeeFile();
    for (const auto& [ini, message] : cases) {
        std::filesystem::remove(dir.Path("Data/Config.ini"));
        if (*ini)
            WriteFees(ini);
        try {
            report = BuildTierRateReport(app, dialogs);
            ADD_FAILURE() << "no conversion error";
        } catch (const AppError& e) {
            EXPECT_EQ(std::string(e.what()).substr(0, message.size()), message);
        }
        EXPECT_FALSE(report);
    }
}

TEST_F(TierRateCommand, RefusalsAndTheInvalidAccountQuestion)
{
    WriteFees("[ThreeTierRate]\nRangeFee1=1\nRangeFee2=2\nRangeFee3=3\n");
    app.inputPath = dir.Path("missing.txt");
    EXPECT_FALSE(BuildTierRateReport(app, dialogs));
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"Input File does not exist"});

    FeeFile("1111111111"); // the debit account's check digit is wrong
    dialogs = ScriptedDialogs();
    dialogs.buttonAnswers = {MsgButton::Abort};
    EXPECT_FALSE(BuildTierRateReport(app, dialogs));
    EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{
                                   "There are some invalid Orvane Account.  Please choose action to do. ", "Error Data"}));

    dialogs = ScriptedDialogs();
    dialogs.buttonAnswers = {MsgButton::Ignore, MsgButton::Yes};
    report = BuildTierRateReport(app, dialogs);
    ASSERT_TRUE(report);
    EXPECT_EQ(report->parts.size(), 1u);
}

} // namespace
} // namespace tallivo
