#pragma once
// The CLI's answers to the commands' dialogs: every message goes to stderr as it is
// shown, one per line, in UTF-8 with control characters visible; the invalid-account
// question and its confirmation are answered from --invalid-accounts; a file dialog
// is cancelled (the CLI's paths come from its arguments).
#include "app/Dialogs.h"

#include <optional>
#include <string>
#include <vector>

namespace tallivo::cli {

class CliDialogs : public Dialogs
{
public:
    void ShowMessage(const std::string& text) override;
    MsgButton MessageDlg(const std::string& text, MsgKind kind, const std::vector<MsgButton>& buttons) override;
    std::optional<std::string> RunFileDialog(FileDialogKind kind) override;
    void ShowError(const std::string& text) override;

    // Answers for the next message dialogs, in order; a dialog with none queued is closed.
    std::vector<MsgButton> answers;
    // Every text shown, in order.
    std::vector<std::string> messages;
    // Put before each line on stderr (the file's name when several files are checked).
    std::string prefix;
    // Quiet: messages are held back, and shown only when an error is shown or
    // ShowHeldMessages() is called (the command did not complete).
    bool quiet = false;

    void ShowHeldMessages();

private:
    void Show(const std::string& text);

    std::size_t m_next = 0;
    std::vector<std::string> m_held;
};

} // namespace tallivo::cli
