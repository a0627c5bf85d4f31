#pragma once
// Dialogs with scripted answers for the command and window tests.
#include "app/Dialogs.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tallivo {

// Scripted answers: every message is recorded in order,
// message dialogs and file dialogs take the next answer of their queue (a dialog
// with no answer queued is closed: None, or cancelled).
class ScriptedDialogs : public Dialogs
{
public:
    struct Shown
    {
        enum class Type { Message, Dialog, Error } type;
        MsgKind kind; // for dialogs
        std::string text;
    };

    void ShowMessage(const std::string& text) override;
    MsgButton MessageDlg(const std::string& text, MsgKind kind, const std::vector<MsgButton>& buttons) override;
    std::optional<std::string> RunFileDialog(FileDialogKind kind) override;
    // Notes the offered path, then answers as RunFileDialog.
    std::optional<std::string> RunFileDialogAt(FileDialogKind kind, const std::string& offered) override;
    void ShowError(const std::string& text) override;

    std::vector<MsgButton> buttonAnswers;
    std::vector<std::optional<std::string>> fileAnswers;
    std::vector<Shown> shown;
    std::vector<FileDialogKind> fileDialogsRun;
    std::vector<std::string> offeredPaths; // what the file dialogs offered, in order

    // The texts shown, in order, of every kind.
    std::vector<std::string> Texts() const;

private:
    std::size_t m_nextButton = 0;
    std::size_t m_nextFile = 0;
};

} // namespace tallivo
