#include "ScriptedDialogs.h"
#include "TestFiles.h"
#include "app/Commands.h"

#include <gtest/gtest.h>

using namespace tallivo;
using tallivo::test::ReadAll;
using tallivo::test::Record;
using tallivo::test::TempFolder;

TEST(WindowCommands, CancelledOpenDialogsEmptyTheirBox)
{
    AppState app;
    ScriptedDialogs d;
    app.edtFileInput = "a.txt";
    app.edtNewFile = "b.txt";
    app.edtZip = "c.zip";
    btnOpenFileClick(app, d);
    btnOpenNewClick(app, d);
    btnOpenZipClick(app, d);
    EXPECT_EQ(app.edtFileInput, "");
    EXPECT_EQ(app.edtNewFile, "");
    EXPECT_EQ(app.edtZip, "");
    EXPECT_EQ(d.fileDialogsRun,
              (std::vector{FileDialogKind::OpenPayment, FileDialogKind::SaveText, FileDialogKind::SaveZip}));

    d.fileAnswers = {"/x/pay.txt"};
    btnOpenFileClick(app, d);
    EXPECT_EQ(app.edtFileInput, "/x/pay.txt");
}

TEST(WindowCommands, ClearFormResetsWindowAndOutputMode)
{
    AppState app;
    rdoNewClick(app);
    app.edtNewFile = "out.txt";
    app.edtFileInput = "in.txt";
    app.edtZip = "z";
    app.edtHashvalue = "ABC";
    app.Label5 = "PAYMENT DETAIL";
    app.session.Label4 = "Invalid data fields";
    app.session.SaveErrorEnabled = true;
    app.SummaryBuilt = true;
    app.session.ctx.InvalidAccountCount = 3;
    ToolButton5Click(app);
    EXPECT_TRUE(app.rdoReplace);
    EXPECT_FALSE(app.Label3Enabled);
    EXPECT_FALSE(app.NewFileControlsEnabled);
    EXPECT_EQ(app.edtNewFile + app.edtFileInput + app.edtZip + app.edtHashvalue + app.Label5 + app.session.Label4, "");
    EXPECT_FALSE(app.session.SaveErrorEnabled);
    EXPECT_FALSE(app.SummaryBuilt);
    EXPECT_EQ(app.session.ctx.InvalidAccountCount, 0);

    // Either radio button enables the label again.
    rdoNewClick(app);
    EXPECT_TRUE(app.Label3Enabled);
    EXPECT_TRUE(app.NewFileControlsEnabled);
    rdoReplaceClick(app);
    EXPECT_TRUE(app.Label3Enabled);
    EXPECT_FALSE(app.NewFileControlsEnabled);
}

TEST(WindowCommands, ExitAsks)
{
    ScriptedDialogs d;
    d.buttonAnswers = {MsgButton::No, MsgButton::Yes};
    EXPECT_FALSE(ToolButton1Click(d));
    EXPECT_TRUE(ToolButton1Click(d));
    EXPECT_EQ(d.Texts(), (std::vector<std::string>{"Do you want to exit program?", "Do you want to exit program?"}));
}

TEST(WindowCommands, SaveWritesTheLayoutOfTheFailedStageAndCancelWritesNothing)
{
    TempFolder dir;
    AppState app;
    ScriptedDialogs d;
    app.edtFileInput = dir.Write("p.txt", Record("001", 96) + "\r\nbad\r\n");
    app.edtZip = "z";
    ToolButton3Click(app, d);
    EXPECT_TRUE(app.session.SaveErrorEnabled);
    EXPECT_EQ(app.session.Label4, "Record type invalid code");

    btnSaveErrorClick(app, d); // cancelled
    EXPECT_EQ(d.Texts(), std::vector<std::string>{"Error Data !"});

    d.fileAnswers = {dir.Path("errors.txt")};
    btnSaveErrorClick(app, d);
    EXPECT_EQ(ReadAll(dir.Path("errors.txt")), "LineNo : 2 Record type invalid code\r\n");
    EXPECT_EQ(d.Texts().back(), "Error data save success");
}

TEST(WindowCommands, GeneralErrorHandlerShowsTheTextAndReportsFailure)
{
    ScriptedDialogs d;
    EXPECT_FALSE(RunCommand(d, [] { throw std::runtime_error("File not found"); }));
    EXPECT_TRUE(RunCommand(d, [] {}));
    ASSERT_EQ(d.shown.size(), 1u);
    EXPECT_EQ(d.shown[0].type, ScriptedDialogs::Shown::Type::Error);
    EXPECT_EQ(d.shown[0].text, "File not found");
}
