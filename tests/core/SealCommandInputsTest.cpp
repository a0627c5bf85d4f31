#include "PaymentRecordFixture.h"
#include "ScriptedDialogs.h"
#include "TestFiles.h"
#include "app/OutputTargets.h"
#include "app/SealCommand.h"
#include "checking/ExpressCheques.h"
#include "store/TableStore.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

using namespace tallivo;
using tallivo::test::ReadAll;
using tallivo::test::Record;
using tallivo::test::TempFolder;

namespace {

std::string ExpressFile(int xmqCredits, int xdqCredits, const std::string& xmqCode = "XMQ")
{
    std::string f = Record("001", 96) + "\r\n";
    f += Record("002" + xmqCode, 109) + "\r\n";
    for (int i = 0; i < xmqCredits; ++i)
        f += Record("003", 355) + "\r\n";
    f += Record("002XDQ", 109) + "\r\n";
    for (int i = 0; i < xdqCredits; ++i)
        f += Record("003", 355) + "\r\n";
    return f + Record("999", 31) + "\r\n";
}

struct SealRun
{
    AppState app;
    ScriptedDialogs dialogs;
    CommandOutcome outcome = CommandOutcome::Completed;

    void Seal() { outcome = SealPaymentFile(app, dialogs); }
};

} // namespace

TEST(SealCommand, InputRefusals)
{
    TempFolder dir;
    const std::string file = dir.Write("p.txt", ExpressFile(1, 1));
    struct Case
    {
        std::string input, zip, newFile;
        bool newMode;
        std::string message;
    };
    const Case cases[] = {
        {"", "z", "", false, "Input File does not exist"},
        {dir.Path("missing.txt"), "z", "", false, "Input File does not exist"},
        {dir.Folder(), "z", "", false, "Input File does not exist"},
        {file, "z", "", true, "If you select new file for output , should be insert file name"},
        {file, "", "", false, "Please insert zip file name"},
        {file, "pay.txt", "", false, "Invalid zip file name"},
        {file, "pay.", "", false, "Invalid zip file name"},
    };
    for (const Case& c : cases) {
        SealRun r;
        r.app.inputPath = c.input;
        r.app.zipName = c.zip;
        if (c.newMode)
            r.app.outputMode = OutputMode::NewFile;
        r.app.newFilePath = c.newFile;
        r.app.session.hasFindingsToSave = true;
        r.Seal();
        EXPECT_EQ(r.outcome, CommandOutcome::Refused);
        EXPECT_EQ(r.dialogs.Texts(), std::vector<std::string>{c.message}) << c.input << " / " << c.zip;
        EXPECT_FALSE(r.app.session.hasFindingsToSave);
        EXPECT_EQ(r.app.session.statusText, "");
    }
}

TEST(SealCommand, ZipNameCheck)
{
    for (const char* ok : {"pay.zip", "PAY.Zip", "pay", "C:\\out.v2\\batch", "/tmp/out.v2/batch", "dir.d/x.ZIP"})
        EXPECT_TRUE(IsValidZipName(ok)) << ok;
    for (const char* bad : {"pay.txt", "pay.", "a.zip.bak", "x.zipx"})
        EXPECT_FALSE(IsValidZipName(bad)) << bad;
}

TEST(SealCommand, StructuralFailuresStopWithTheirStatus)
{
    TempFolder dir;
    SealRun types;
    types.app.inputPath = dir.Write("t.txt", "abc\r\n");
    types.app.zipName = "z";
    types.Seal();
    EXPECT_EQ(types.dialogs.Texts(), std::vector<std::string>{"Error Data !"});
    EXPECT_EQ(types.app.session.statusText, "Record type invalid code");
    EXPECT_TRUE(types.app.session.hasFindingsToSave);

    SealRun lengths;
    lengths.app.inputPath = dir.Write("l.txt", "001x\r\n");
    lengths.app.zipName = "z";
    lengths.Seal();
    EXPECT_EQ(lengths.dialogs.Texts(), std::vector<std::string>{"Error Data !"});
    EXPECT_EQ(lengths.app.session.statusText, "Length in record invalid");
    EXPECT_TRUE(lengths.app.session.hasFindingsToSave);
}

TEST(SealCommand, ExpressChequeLimitIsTwentyPerProductAndTouchesNothing)
{
    TempFolder dir;
    EXPECT_FALSE(ExceedsExpressChequeLimit(dir.Write("a.txt", ExpressFile(20, 20))));
    EXPECT_TRUE(ExceedsExpressChequeLimit(dir.Write("b.txt", ExpressFile(21, 0))));
    EXPECT_TRUE(ExceedsExpressChequeLimit(dir.Write("c.txt", ExpressFile(0, 21))));
    EXPECT_FALSE(ExceedsExpressChequeLimit(dir.Write("d.txt", ExpressFile(25, 0, "xmq"))));

    SealRun r;
    const std::string bytes = ExpressFile(21, 0);
    r.app.inputPath = dir.Write("e.txt", bytes);
    r.app.zipName = "z";
    r.Seal();
    ASSERT_EQ(r.dialogs.shown.size(), 1u);
    EXPECT_EQ(r.dialogs.shown[0].kind, MsgKind::Error);
    EXPECT_EQ(r.dialogs.shown[0].text, "Error Data.  Express Cheque should not more than  20 transaction ");
    EXPECT_EQ(r.app.session.statusText, "");
    EXPECT_FALSE(r.app.session.hasFindingsToSave);
    EXPECT_EQ(r.app.session.grid.Cell(1, 0), "Record Type"); // headings left by the length check
    EXPECT_EQ(ReadAll(r.app.inputPath), bytes);
}

TEST(ConfirmIgnoreInvalidAccounts, AnswersAndConfirmations)
{
    struct Case
    {
        MsgButton first;
        std::vector<MsgButton> confirm;
        bool dataValid;
        bool flagged;
        std::size_t dialogs;
    };
    const Case cases[] = {
        {MsgButton::Ignore, {MsgButton::Yes}, true, false, 1},
        {MsgButton::Ignore, {MsgButton::Cancel}, false, true, 1},
        {MsgButton::Ignore, {}, true, false, 1}, // closed: nothing changes
        {MsgButton::Abort, {}, false, true, 0},
        {MsgButton::None, {}, true, false, 0},
    };
    for (const Case& c : cases) {
        AppState app;
        ScriptedDialogs d;
        d.buttonAnswers = c.confirm;
        app.session.ctx.dataValid = true;
        app.invalidAccountAnswer = c.first;
        ConfirmIgnoreInvalidAccounts(app, d);
        EXPECT_EQ(app.session.ctx.dataValid, c.dataValid);
        EXPECT_EQ(app.session.hasFindingsToSave, c.flagged);
        EXPECT_EQ(app.session.statusText, c.flagged ? "Invalid data fields" : "");
        ASSERT_EQ(d.shown.size(), c.dialogs);
        if (c.dialogs) {
            EXPECT_EQ(d.shown[0].text, "Please Confirm to Ignore invalid Orvane Account. ");
            EXPECT_EQ(d.shown[0].kind, MsgKind::Confirmation);
        }
    }
}

TEST(CheckCommand, WritesNothingNeedsNoOutputChoicesAndNeverAsks)
{
    TempFolder dir;
    std::filesystem::create_directories(dir.Path("Data"));
    // A debit account whose check digit is wrong is the file's only finding; the credit
    // record's blank notification column is one that a seal would fill in.
    const std::string bytes = test::FileOf({test::ValidHeader(), test::ValidDebit("DCP").Set("15-39", "1111111111"),
                                            test::ValidCredit("DCP").Set("259", " "), test::ValidTrailer()});
    const auto start = [&](SealRun& r) {
        r.app.programFolder = dir.Folder();
        CreateTableFiles(r.app.DataFolder());
        r.app.SetClock(std::make_shared<FixedClock>(test::kToday));
        r.app.inputPath = dir.Write("p.txt", bytes);
        r.app.hashValue = "OLD HASH";
        r.app.summaryCaption = "PAYMENT DETAIL";
        r.app.summaryBuilt = true;
    };

    // No zip name, and New File without a path: the checks do not look at them.
    SealRun check;
    start(check);
    check.app.outputMode = OutputMode::NewFile;
    check.outcome = CheckPaymentFile(check.app, check.dialogs);
    EXPECT_EQ(check.outcome, CommandOutcome::Refused);
    EXPECT_EQ(check.dialogs.Texts(), std::vector<std::string>{});
    EXPECT_EQ(check.app.session.ctx.invalidAccountCount, 1);
    EXPECT_EQ(ReadAll(check.app.inputPath), bytes);
    EXPECT_EQ(check.app.hashValue + check.app.summaryCaption, "");
    EXPECT_FALSE(check.app.summaryBuilt);

    // The seal of the same file asks.
    SealRun seal;
    start(seal);
    seal.app.zipName = "z";
    seal.dialogs.buttonAnswers = {MsgButton::Abort};
    seal.Seal();
    EXPECT_EQ(seal.outcome, CommandOutcome::Refused);
    EXPECT_EQ(seal.dialogs.Texts(),
              (std::vector<std::string>{"There are some invalid Orvane Account.  Please choose action to do. ",
                                        "Error Data"}));
    EXPECT_NE(ReadAll(seal.app.inputPath), bytes); // normalised before the question
}

TEST(SealCommand, ThroughALinkTheFileItPointsToIsNormalisedAndTheLinkStays)
{
    TempFolder dir;
    std::filesystem::create_directories(dir.Path("Data"));
    // Refused after normalisation: the debit account's check digit is wrong.
    const std::string bytes = test::FileOf({test::ValidHeader(), test::ValidDebit("DCP").Set("15-39", "1111111111"),
                                            test::ValidCredit("DCP").Set("259", " "), test::ValidTrailer()});
    const std::string dated = dir.Write("real/dated.txt", bytes);
    std::filesystem::create_symlink("real/dated.txt", dir.Path("latest.txt"));
    SealRun seal;
    seal.app.programFolder = dir.Folder();
    CreateTableFiles(seal.app.DataFolder());
    seal.app.SetClock(std::make_shared<FixedClock>(test::kToday));
    seal.app.inputPath = dir.Path("latest.txt");
    seal.app.zipName = dir.Path("z");
    seal.dialogs.buttonAnswers = {MsgButton::Abort};
    seal.Seal();
    EXPECT_EQ(seal.outcome, CommandOutcome::Refused);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Path("latest.txt")));
    const std::string normalised = ReadAll(dated);
    EXPECT_NE(normalised, bytes);
    EXPECT_EQ(normalised.size(), bytes.size());
    EXPECT_FALSE(std::filesystem::exists(dir.Path("z.zip")));
    std::size_t inReal = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path("real")))
        ++inReal;
    EXPECT_EQ(inReal, 1u);
}

// The validation pass runs ahead in the structure checks' read of the file. A file the
// structure checks refuse keeps nothing of it: not its findings, context values or table
// row, nor the error that ended it. The same when another command holds the table files
// and no pass runs ahead.
TEST(SealCommand, AFileItsStructureRefusesKeepsNothingOfTheValidationRunAhead)
{
    TempFolder dir;
    std::filesystem::create_directories(dir.Path("Data"));
    const std::string badAmount =
        test::FileOf({test::ValidHeader(), test::ValidDebit("DCP"),
                      test::ValidCredit("DCP").Set("35-50", "               X"), test::ValidTrailer()});
    const std::string unconvertibleCount =
        test::FileOf({test::ValidHeader(), test::ValidDebit("DCP").Set("73-78", "      "), test::ValidCredit("DCP"),
                      test::ValidTrailer()});
    for (const std::string& body : {badAmount, unconvertibleCount}) {
        for (const bool tablesHeld : {false, true}) {
            for (const bool seal : {false, true}) {
                SCOPED_TRACE(std::string(seal ? "seal" : "check") + (tablesHeld ? ", tables held" : ""));
                SealRun run;
                run.app.programFolder = dir.Folder();
                CreateTableFiles(run.app.DataFolder());
                run.app.SetClock(std::make_shared<FixedClock>(test::kToday));
                run.app.session.ctx.companyId = "FROM BEFORE";
                const std::string table = ReadAll(dir.Path("Data/addAccBatchError.DAT"));
                const std::string bytes = body + "001x\r\n";
                run.app.inputPath = dir.Write("p.txt", bytes);
                run.app.zipName = dir.Path("z");
                AppState other;
                other.programFolder = dir.Folder();
                std::optional<TablesLock> held;
                if (tablesHeld)
                    held.emplace(other);

                run.outcome = seal ? SealPaymentFile(run.app, run.dialogs) : CheckPaymentFile(run.app, run.dialogs);
                EXPECT_EQ(run.outcome, CommandOutcome::Refused);
                EXPECT_EQ(run.dialogs.Texts(), std::vector<std::string>{"Error Data !"});
                const CheckSession& s = run.app.session;
                EXPECT_EQ(s.statusText, "Length in record invalid");
                EXPECT_EQ(s.grid.Cell(1, 1), "001");
                EXPECT_EQ(s.grid.Cell(2, 1), "5");
                EXPECT_EQ(s.grid.Cell(1, 2), "");
                EXPECT_EQ(s.ctx.companyId, ""); // a fresh start's, not the header's
                EXPECT_EQ(s.passLine, 0u);
                EXPECT_EQ(ReadAll(dir.Path("Data/addAccBatchError.DAT")), table);
                EXPECT_EQ(ReadAll(run.app.inputPath), bytes);
                EXPECT_FALSE(std::filesystem::exists(dir.Path("z.zip")));
            }
        }
    }
}
