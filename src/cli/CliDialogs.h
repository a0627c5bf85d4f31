#pragma once
// The CLI's answers to the commands' dialogs: every message goes to stderr as it is
// shown, one per line; the invalid-account question and its confirmation are answered
// from --invalid-accounts; a file dialog is cancelled (the CLI's paths come from its
// arguments).
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

private:
    std::size_t m_next = 0;
};

} // namespace tallivo::cli
