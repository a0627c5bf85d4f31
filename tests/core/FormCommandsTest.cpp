// Save, Clear Form, Exit and the general error handler, run headless.
#include "ScriptedDialogs.h"
#include "TestFiles.h"
#include "app/ErrorHandler.h"
#include "app/FormCommands.h"
#include "app/SealCommand.h"
#include "format/Primitives.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

using namespace tallivo;
using tallivo::test::ReadAll;
using tallivo::test::Record;
using tallivo::test::TempFolder;

TEST(FormCommands, ClearFormEmptiesTheValuesAndReturnsToReplaceMode)
{
    AppState app;
    app.outputMode = OutputMode::NewFile;
    app.newFilePath = "out.txt";
    app.inputPath = "in.txt";
    app.zipName = "z";
    app.hashValue = "ABC";
    app.summaryCaption = "PAYMENT DETAIL";
    app.session.statusText = "Invalid data fields";
    app.session.hasFindingsToSave = true;
    app.summaryBuilt = true;
    app.session.ctx.invalidAccountCount = 3;
    app.session.grid.SetUpLayout(GridLayout::RecordTypeErrors, {"No.", "Line"});
    app.session.grid.AppendRow({"7"});
    ClearForm(app);
    EXPECT_EQ(app.outputMode, OutputMode::Replace);
    EXPECT_EQ(app.newFilePath + app.inputPath + app.zipName + app.hashValue + app.summaryCaption +
                  app.session.statusText,
              "");
    EXPECT_FALSE(app.session.hasFindingsToSave);
    EXPECT_FALSE(app.summaryBuilt);
    EXPECT_EQ(app.session.ctx.invalidAccountCount, 0);
    EXPECT_EQ(app.session.grid.Layout(), GridLayout::None);
    EXPECT_EQ(app.session.grid.RowCount(), 2u);
    EXPECT_EQ(app.session.grid.Cell(1, 1), "");
}

TEST(FormCommands, ExitAsks)
{
    ScriptedDialogs d;
    d.buttonAnswers = {MsgButton::No, MsgButton::Yes};
    EXPECT_FALSE(ConfirmExit(d));
    EXPECT_TRUE(ConfirmExit(d));
    EXPECT_EQ(d.Texts(), (std::vector<std::string>{"Do you want to exit program?", "Do you want to exit program?"}));
}

TEST(FormCommands, SaveWritesTheLayoutOfTheFailedStageAndCancelWritesNothing)
{
    TempFolder dir;
    AppState app;
    ScriptedDialogs d;
    app.inputPath = dir.Write("p.txt", Record("001", 96) + "\r\nbad\r\n");
    app.zipName = "z";
    SealPaymentFile(app, d);
    EXPECT_TRUE(app.session.hasFindingsToSave);
    EXPECT_EQ(app.session.statusText, "Record type invalid code");

    EXPECT_FALSE(SaveFindings(app, d)); // cancelled
    EXPECT_EQ(d.Texts(), std::vector<std::string>{"Error Data !"});

    d.fileAnswers = {dir.Path("errors.txt")};
    EXPECT_TRUE(SaveFindings(app, d));
    EXPECT_EQ(ReadAll(dir.Path("errors.txt")), "LineNo : 2 Record type invalid code\r\n");
    EXPECT_EQ(d.Texts().back(), "Error data save success");
}

TEST(FormCommands, SaveNeverWritesOverThePaymentFileTheSealsFilesOrADevice)
{
    TempFolder dir;
    AppState app;
    ScriptedDialogs d;
    const std::string bytes = Record("001", 96) + "\r\nbad\r\n";
    app.inputPath = dir.Write("p.txt", bytes);
    app.zipName = dir.Path("z");
    app.outputMode = OutputMode::NewFile;
    app.newFilePath = dir.Path("out.txt");
    SealPaymentFile(app, d);
    ASSERT_TRUE(app.session.hasFindingsToSave);
    std::filesystem::create_symlink("p.txt", dir.Path("link"));
    ::mkfifo(dir.Path("fifo").c_str(), 0600);
    const std::pair<std::string, std::string> cases[] = {
        {dir.Path("p.txt"), "Cannot write " + dir.Path("p.txt") + ": it is the payment file"},
        {dir.Path("link"), "Cannot write " + dir.Path("link") + ": it is the payment file"},
        {dir.Path("z.zip"), "Cannot write " + dir.Path("z.zip") + ": it is also the zip file"},
        {dir.Path("out.txt"), "Cannot write " + dir.Path("out.txt") + ": it is also the new file"},
        {dir.Path("fifo"), "Cannot write " + dir.Path("fifo") + ": it is not a regular file"},
    };
    for (const auto& [path, message] : cases) {
        d.fileAnswers.push_back(path);
        EXPECT_FALSE(SaveFindings(app, d));
        EXPECT_EQ(d.Texts().back(), message);
    }
    EXPECT_EQ(ReadAll(app.inputPath), bytes);
    EXPECT_FALSE(std::filesystem::exists(dir.Path("out.txt")));
    EXPECT_FALSE(std::filesystem::exists(dir.Path("z.zip")));
}

TEST(ErrorHandler, ShowsTheTextAndReportsFailure)
{
    ScriptedDialogs d;
    EXPECT_FALSE(RunCommand(d, [] { throw std::runtime_error("File not found"); }));
    EXPECT_TRUE(RunCommand(d, [] {}));
    ASSERT_EQ(d.shown.size(), 1u);
    EXPECT_EQ(d.shown[0].type, ScriptedDialogs::Shown::Type::Error);
    EXPECT_EQ(d.shown[0].text, "File not found");
}

TEST(ErrorHandler, ShowsAConversionErrorWholeWhenTheFieldHoldsANulByte)
{
    // The conversion error quotes the field's bytes; a NUL among them must not end the text.
    ScriptedDialogs d;
    const std::string field("12\0" "3x", 5);
    EXPECT_FALSE(RunCommand(d, [&] { StrToInt(field); }));
    ASSERT_EQ(d.shown.size(), 1u);
    EXPECT_EQ(d.shown[0].text, "'" + field + "' is not a valid integer value");
}
