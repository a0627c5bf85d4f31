#include "app/FormCommands.h"

#include "app/OutputTargets.h"
#include "findings/ErrorFiles.h"
#include "sealing/Normalise.h"

namespace tallivo {

bool SaveFindings(AppState& app, Dialogs& dialogs)
{
    CheckSession& s = app.session;
    const ErrorFileKind kind = ChooseErrorFile(s.recordTypesValid, s.recordLengthsValid, s.ctx.dataValid);
    if (kind == ErrorFileKind::None)
        return false;
    const auto path = dialogs.RunFileDialog(FileDialogKind::SaveText);
    if (!path)
        return false;
    // Never over the payment file, the new file or the archive, nor on a device.
    if (RefuseUnsafeOutputs(app, dialogs, {*path}, false))
        return false;
    progress::Stage("Saving");
    WriteErrorFile(kind, s.grid, *path);
    dialogs.ShowMessage("Error data save success");
    return true;
}

void ClearForm(AppState& app)
{
    app.session.ResetErrorGrid();
    app.outputMode = OutputMode::Replace;
    app.zipName.clear();
    app.newFilePath.clear();
    app.summaryBuilt = false;
    // The temporary file of a normalisation that failed belongs to the payment file
    // named here, so it is looked for before the name is emptied.
    RemoveNormaliseLeftovers(app.inputPath);
    app.inputPath.clear();
    app.hashValue.clear();
    app.session.statusText.clear();
    app.summaryCaption.clear();
    app.session.hasFindingsToSave = false;
    app.session.ctx.invalidAccountCount = 0;
}

bool ConfirmExit(Dialogs& dialogs)
{
    return dialogs.MessageDlg("Do you want to exit program?", MsgKind::Information, {MsgButton::Yes, MsgButton::No}) ==
           MsgButton::Yes;
}

} // namespace tallivo
