// The small commands that only change the window, Save, Clear Form and Exit.
#include "app/Commands.h"

#include "app/Settings.h"
#include "findings/ErrorFiles.h"
#include "common/AppError.h"
#include "sealing/Normalise.h"

#include <exception>

namespace tallivo {

void FormCreate(AppState& app)
{
    app.SummaryBuilt = false;
    app.session.ctx.InvalidAccountCount = 0;
    LoadBeneChargeSettings(app);
}

bool RunCommand(Dialogs& dialogs, const std::function<void()>& command)
{
    try {
        command();
        return true;
    } catch (const std::bad_alloc&) {
        dialogs.ShowError("Out of memory");
    } catch (const std::exception& e) {
        dialogs.ShowError(e.what());
    }
    return false;
}

void btnSaveErrorClick(AppState& app, Dialogs& dialogs)
{
    CheckSession& s = app.session;
    const ErrorFileKind kind = ChooseErrorFile(s.RecordTypesValid, s.RecordLengthsValid, s.ctx.DataValid);
    if (kind == ErrorFileKind::None)
        return;
    const auto path = dialogs.RunFileDialog(FileDialogKind::SaveText);
    if (!path)
        return;
    WriteErrorFile(kind, s.grid, *path);
    dialogs.ShowMessage("Error data save success");
}

void ToolButton5Click(AppState& app)
{
    app.session.ResetErrorGrid();
    if (!app.rdoReplace) {
        app.rdoReplace = true;
        rdoReplaceClick(app);
    }
    app.Label3Enabled = false;
    app.NewFileControlsEnabled = false;
    app.edtZip.clear();
    app.edtNewFile.clear();
    app.SummaryBuilt = false;
    // The temporary file of a normalisation that failed belongs to the payment file
    // named here, so it is looked for before the name is emptied.
    RemoveNormaliseLeftovers(app.edtFileInput);
    app.edtFileInput.clear();
    app.edtHashvalue.clear();
    app.session.Label4.clear();
    app.Label5.clear();
    app.session.SaveErrorEnabled = false;
    app.session.ctx.InvalidAccountCount = 0;
}

bool ToolButton1Click(Dialogs& dialogs)
{
    return dialogs.MessageDlg("Do you want to exit program?", MsgKind::Information, {MsgButton::Yes, MsgButton::No}) ==
           MsgButton::Yes;
}

void btnOpenFileClick(AppState& app, Dialogs& dialogs)
{
    app.edtFileInput = dialogs.RunFileDialog(FileDialogKind::OpenPayment).value_or("");
}

void btnClearFileClick(AppState& app)
{
    app.edtFileInput.clear();
}

void btnOpenNewClick(AppState& app, Dialogs& dialogs)
{
    app.edtNewFile = dialogs.RunFileDialog(FileDialogKind::SaveText).value_or("");
}

void btnClearNewClick(AppState& app)
{
    app.edtNewFile.clear();
}

void btnOpenZipClick(AppState& app, Dialogs& dialogs)
{
    app.edtZip = dialogs.RunFileDialog(FileDialogKind::SaveZip).value_or("");
}

void btnClearZipClick(AppState& app)
{
    app.edtZip.clear();
}

void rdoReplaceClick(AppState& app)
{
    app.rdoReplace = true;
    app.NewFileControlsEnabled = false;
    app.Label3Enabled = true;
    app.edtNewFile.clear();
}

void rdoNewClick(AppState& app)
{
    app.rdoReplace = false;
    app.NewFileControlsEnabled = true;
    app.Label3Enabled = true;
}

} // namespace tallivo
