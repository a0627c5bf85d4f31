#pragma once
// The window's dialogs: plain messages and message dialogs as message boxes, the
// three file dialogs (dlg1, sdlg, dlgZip) as Qt file dialogs, and the general error
// handler's error box. Every dialog is modal to the window.
#include "app/Dialogs.h"

class QWidget;

namespace tallivo {

class QtDialogs : public Dialogs
{
public:
    explicit QtDialogs(QWidget* parent) : m_parent(parent) {}

    void ShowMessage(const std::string& text) override;
    MsgButton MessageDlg(const std::string& text, MsgKind kind, const std::vector<MsgButton>& buttons) override;
    std::optional<std::string> RunFileDialog(FileDialogKind kind) override;
    void ShowError(const std::string& text) override;

private:
    QWidget* m_parent;
};

} // namespace tallivo
