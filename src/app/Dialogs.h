#pragma once
// How commands talk to the user. The window implements it with message boxes and
// file dialogs; the CLI and the tests with scripted answers.
#include "common/CommandProgress.h"

#include <optional>
#include <string>
#include <vector>

namespace tallivo {

enum class MsgKind { Information, Warning, Error, Confirmation };
enum class MsgButton { None, Ok, Yes, No, Cancel, Abort, Ignore };

// The window's three file dialogs.
enum class FileDialogKind {
    OpenPayment, // the payment file: "Text File (.txt)|*.txt|All File (*.*)|*.*", the file need not exist
    SaveText,    // an error file or the new file: "Text (*.txt)|*.txt", default extension txt, asks before overwriting
    SaveZip,     // the zip archive: "Zip File (*.zip)|*.zip", default extension zip, no overwrite question
};

class Dialogs : public ProgressListener
{
public:
    // A plain message: the text and an OK button.
    virtual void ShowMessage(const std::string& text) = 0;
    // A message dialog of a kind with a set of buttons; returns the button pressed,
    // or MsgButton::None when the dialog was closed by its title bar.
    virtual MsgButton MessageDlg(const std::string& text, MsgKind kind, const std::vector<MsgButton>& buttons) = 0;
    // Runs a file dialog; the chosen path, or nothing when cancelled.
    virtual std::optional<std::string> RunFileDialog(FileDialogKind kind) = 0;
    // A file dialog that offers a path: it opens in the path's folder with its name filled
    // in. Front ends that cannot offer one run the plain dialog.
    virtual std::optional<std::string> RunFileDialogAt(FileDialogKind kind, const std::string& /*offered*/)
    {
        return RunFileDialog(kind);
    }
    // The general error handler's display of an error that escaped a command.
    virtual void ShowError(const std::string& text) = 0;

    // A long command's progress and the user's wish to cancel it (common/CommandProgress.h),
    // heard while RunCommand runs the command. By default nothing is shown and nothing
    // stops; the window overrides them. Called on the thread the command runs on.
    void Progress(std::string_view /*stage*/, double /*share*/) override {}
    bool CancelRequested() override { return false; }
};

} // namespace tallivo
