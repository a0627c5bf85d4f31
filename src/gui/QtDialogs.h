#pragma once
// The window's dialogs: plain messages and message dialogs as message boxes, the
// three file dialogs (dlg1, sdlg, dlgZip) as Qt file dialogs, and the general error
// handler's error box. Every dialog is modal to the window.
#include "app/Dialogs.h"

#include <QString>

#include <functional>

class QWidget;

namespace tallivo {

class QtDialogs : public Dialogs
{
public:
    explicit QtDialogs(QWidget* parent) : m_parent(parent) {}

    // Called before every dialog opens, so the window behind it shows what the
    // command has done so far (the findings behind "Error Data !").
    void SetBeforeShowing(std::function<void()> beforeShowing) { m_beforeShowing = std::move(beforeShowing); }
    // The folder a file dialog opens in when it has none of its own remembered yet (the
    // payment file's folder).
    void SetStartFolder(std::function<QString()> startFolder) { m_startFolder = std::move(startFolder); }

    void ShowMessage(const std::string& text) override;
    MsgButton MessageDlg(const std::string& text, MsgKind kind, const std::vector<MsgButton>& buttons) override;
    std::optional<std::string> RunFileDialog(FileDialogKind kind) override;
    std::optional<std::string> RunFileDialogAt(FileDialogKind kind, const std::string& offered) override;
    void ShowError(const std::string& text) override;

private:
    void BeforeShowing() const;
    // A file dialog of a kind; an offered path (not empty) is preselected in its folder.
    std::optional<std::string> RunDialog(FileDialogKind kind, const QString& offered);

    QWidget* m_parent;
    std::function<void()> m_beforeShowing;
    std::function<QString()> m_startFolder;
};

} // namespace tallivo
