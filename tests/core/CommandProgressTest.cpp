// A long command's progress and its cancellation, through RunCommand as both front ends
// run commands: the stages in order, and a cancelled command changes no file while one
// that has put a file in place runs to its end.
#include "../../bench/PaymentFileGenerator.h"

#include "ScriptedDialogs.h"
#include "TestFiles.h"
#include "app/ErrorHandler.h"
#include "app/FormCommands.h"
#include "app/SealCommand.h"
#include "app/TierRateCommand.h"
#include "sealing/Normalise.h"
#include "sealing/SealedOutput.h"
#include "store/TableStore.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

namespace tallivo {
namespace {

// Records the stages it hears and asks to cancel once the chosen stage has reported
// `sharesInto` shares of its work.
class CancellingDialogs : public ScriptedDialogs
{
public:
    CancellingDialogs(std::string stage, int sharesInto) : m_cancelStage(std::move(stage)), m_sharesInto(sharesInto) {}

    void Progress(std::string_view stage, double share) override
    {
        if (stages.empty() || stages.back() != stage)
            stages.emplace_back(stage);
        EXPECT_TRUE(share == -1 || (share >= 0 && share <= 1)) << share;
        if (stage == m_cancelStage && (share < 0 ? 0 : ++m_shares) >= m_sharesInto)
            m_cancel = true;
    }
    bool CancelRequested() override { return m_cancel; }
    void FilesCommitted() override { committed = true; }
    // What the user's folder holds when a message is shown.
    void ShowMessage(const std::string& text) override
    {
        if (!watchFolder.empty()) {
            namesAtMessage.clear();
            for (const auto& entry : std::filesystem::directory_iterator(watchFolder))
                namesAtMessage.insert(entry.path().filename().string());
        }
        ScriptedDialogs::ShowMessage(text);
    }
    bool Requested() const { return m_cancel; }

    std::vector<std::string> stages;
    bool committed = false;
    std::string watchFolder;
    std::set<std::string> namesAtMessage;

private:
    std::string m_cancelStage;
    int m_sharesInto;
    int m_shares = 0;
    bool m_cancel = false;
};

// Every file under a folder, with its bytes.
std::map<std::string, std::string> Snapshot(const std::string& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files[entry.path().string()] = test::ReadAll(entry.path().string());
    return files;
}

// A program folder with its tables and a generated payment file of a few megabytes, so
// that every pass over it reports several shares.
struct SealFolder
{
    explicit SealFolder(bool alreadyNormalised)
    {
        std::filesystem::create_directories(dir.Path("Data"));
        app.programFolder = dir.Folder();
        CreateTableFiles(app.DataFolder());
        bench::GeneratorOptions options;
        options.targetBytes = 3u << 20;
        bench::GeneratePaymentFile(dir.Path("pay.txt"), options);
        if (alreadyNormalised)
            NormaliseCreditRecords(dir.Path("pay.txt"));
        app.inputPath = dir.Path("pay.txt");
        app.zipName = dir.Path("out.zip");
    }

    test::TempFolder dir;
    AppState app;
};

enum class Ending { Cancelled, Completed };

// Runs a command as the front ends do; how it ended.
Ending RunAsFrontEnd(Dialogs& dialogs, const std::function<void()>& command)
{
    try {
        EXPECT_TRUE(RunCommand(dialogs, command));
    } catch (const CommandCancelled&) {
        return Ending::Cancelled;
    }
    return Ending::Completed;
}

TEST(CommandProgress, SealReportsItsStagesInOrder)
{
    SealFolder folder(false);
    CancellingDialogs dialogs("", 0);
    dialogs.watchFolder = folder.dir.Folder();
    EXPECT_EQ(RunAsFrontEnd(dialogs, [&] { SealPaymentFile(folder.app, dialogs); }), Ending::Completed);
    EXPECT_EQ(dialogs.stages,
              (std::vector<std::string>{"Checking record types", "Validating", "Sealing", "Compressing"}));
    EXPECT_TRUE(dialogs.committed);
    // The completion message finds the files in place and no temporary name beside them.
    EXPECT_EQ(dialogs.namesAtMessage, (std::set<std::string>{"Data", "out.zip", "pay.txt"}));
    EXPECT_FALSE(dialogs.Requested());
    EXPECT_TRUE(std::filesystem::exists(folder.dir.Path("out.zip")));
}

TEST(CommandProgress, CancelledSealChangesNoFileAtAnyStage)
{
    const struct
    {
        const char* name;
        bool alreadyNormalised;
        const char* stage;
        int sharesInto;
        Ending ending;
    } kCases[] = {
        // At the first safe point, before anything is read.
        {"start", false, "Checking record types", 0, Ending::Cancelled},
        // In the file's first read, which runs the structure checks and, ahead, the
        // validation pass: the addAccBatchError row it was building is not written, and a
        // file that the seal would normalise is left as it was.
        {"structure checks and validation", false, "Checking record types", 2, Ending::Cancelled},
        {"structure checks and validation, normalised file", true, "Checking record types", 3, Ending::Cancelled},
        // Later stages make what the seal puts in place under temporary names and in an open
        // table transaction: Cancel still leaves everything as it was.
        {"after validation", false, "Sealing", 0, Ending::Cancelled},
        {"compressing", true, "Compressing", 0, Ending::Cancelled},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        SealFolder folder(c.alreadyNormalised);
        const auto before = Snapshot(folder.dir.Folder());
        CancellingDialogs dialogs(c.stage, c.sharesInto);
        const Ending ending = RunAsFrontEnd(dialogs, [&] { SealPaymentFile(folder.app, dialogs); });
        EXPECT_EQ(ending, c.ending);
        if (c.ending == Ending::Cancelled) {
            EXPECT_FALSE(dialogs.committed);
            EXPECT_EQ(Snapshot(folder.dir.Folder()), before); // no leftover, no table changed
            EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{});
        } else {
            EXPECT_TRUE(dialogs.committed);
            EXPECT_TRUE(dialogs.Requested()); // and not honoured
            EXPECT_TRUE(VerifySealedFile(folder.app.inputPath).ok);
            EXPECT_TRUE(std::filesystem::exists(folder.dir.Path("out.zip")));
            EXPECT_EQ(dialogs.Texts().back().rfind("Generate hash value and add file to ", 0), 0u);
        }
    }
}

// A command stopped by Cancel at any stage, the seal's or the fee report's, leaves
// nothing behind that changes the next command: a clean file then gives no finding.
TEST(CommandProgress, ACancelledCommandLeavesNothingThatChangesTheNextOne)
{
    SealFolder folder(false);
    bench::GeneratorOptions options;
    options.targetBytes = 64u << 10;
    options.seed = 3;
    const std::string clean = folder.dir.Path("clean.txt");
    bench::GeneratePaymentFile(clean, options);
    const struct
    {
        const char* stage;
        int sharesInto;
        bool feeReport;
    } kCases[] = {
        {"Checking record types", 2, false}, {"Validating", 0, false},           {"Sealing", 0, false},
        {"Compressing", 0, false},           {"Checking record types", 1, true}, {"Validating", 2, true},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(std::string(c.feeReport ? "fee report, " : "seal, ") + c.stage);
        folder.app.inputPath = folder.dir.Path("pay.txt");
        CancellingDialogs dialogs(c.stage, c.sharesInto);
        EXPECT_EQ(RunAsFrontEnd(dialogs,
                                [&] {
                                    if (c.feeReport)
                                        BuildTierRateReport(folder.app, dialogs);
                                    else
                                        SealPaymentFile(folder.app, dialogs);
                                }),
                  Ending::Cancelled);

        folder.app.inputPath = folder.dir.Write("next.txt", test::ReadAll(clean));
        ScriptedDialogs quiet;
        EXPECT_EQ(CheckPaymentFile(folder.app, quiet), CommandOutcome::Completed);
        EXPECT_EQ(quiet.Texts(), std::vector<std::string>{});
        EXPECT_EQ(folder.app.session.grid.RowCount(), 2u); // no finding
        EXPECT_EQ(SealPaymentFile(folder.app, quiet), CommandOutcome::Completed);
        EXPECT_EQ(folder.app.session.statusText, "Company ID : " + folder.app.session.ctx.companyId);
    }
}

TEST(CommandProgress, CancelledSaveLeavesTheErrorFileAsItWas)
{
    test::TempFolder dir;
    AppState app;
    CheckSession& s = app.session;
    s.recordTypesValid = true;
    s.recordLengthsValid = true;
    s.ctx.dataValid = false;
    s.SetUpErrorLayout();
    for (int i = 0; i < 20000; ++i)
        s.AddError("003", std::to_string(i + 2), "35-50", "Credit Amount", "Amount should have 16 digits");
    const std::string target = dir.Write("errors.txt", "the errors saved before\r\n");

    for (const int sharesInto : {0, 2}) {
        CancellingDialogs dialogs("Saving", sharesInto);
        dialogs.fileAnswers = {target};
        EXPECT_EQ(RunAsFrontEnd(dialogs, [&] { SaveFindings(app, dialogs); }), Ending::Cancelled);
        EXPECT_EQ(Snapshot(dir.Folder()), (std::map<std::string, std::string>{{target, "the errors saved before\r\n"}}));
    }

    CancellingDialogs dialogs("", 0);
    dialogs.fileAnswers = {target};
    EXPECT_EQ(RunAsFrontEnd(dialogs, [&] { SaveFindings(app, dialogs); }), Ending::Completed);
    EXPECT_EQ(test::ReadAll(target).substr(0, 40), "Record Type:  003  LineNo.:  2  Column: ");
}

TEST(CommandProgress, WithoutAListenerNothingIsReportedOrStopped)
{
    // The stage functions and safe points outside RunCommand (the CLI's own reads, the
    // benchmarks) do nothing.
    EXPECT_NO_THROW(progress::Stage("Validating"));
    EXPECT_NO_THROW(progress::Share(0.5));
    EXPECT_NO_THROW(progress::SafePoint());
    EXPECT_FALSE(progress::Cancelling());
}

// A large file's check reads it in two parts at once; cancelled while reading, it leaves
// nothing that changes the next command.
TEST(CommandProgress, ACheckCancelledWhileReadingALargeFileInPartsLeavesNothingBehind)
{
    SealFolder folder(false);
    bench::GeneratorOptions options;
    options.targetBytes = 10u << 20;
    options.maxCreditsPerBatch = 20;
    bench::GeneratePaymentFile(folder.dir.Path("large.txt"), options);
    folder.app.inputPath = folder.dir.Path("large.txt");
    const auto before = Snapshot(folder.dir.Folder());
    CancellingDialogs dialogs("Checking record types", 2);
    EXPECT_EQ(RunAsFrontEnd(dialogs, [&] { CheckPaymentFile(folder.app, dialogs); }), Ending::Cancelled);
    EXPECT_EQ(Snapshot(folder.dir.Folder()), before);

    ScriptedDialogs quiet;
    EXPECT_EQ(CheckPaymentFile(folder.app, quiet), CommandOutcome::Completed);
    EXPECT_EQ(quiet.Texts(), std::vector<std::string>{});
    EXPECT_EQ(folder.app.session.grid.RowCount(), 2u); // no finding
}

} // namespace
} // namespace tallivo
