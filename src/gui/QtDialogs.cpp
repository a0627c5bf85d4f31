#include "gui/QtDialogs.h"

#include "gui/WindowSettings.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QSpacerItem>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>

#include <map>

namespace tallivo {

namespace {

const char* const kAppTitle = "Tallivo";

// While a long command shows the wait cursor, a question still gets the arrow.
class ArrowCursorWhileAsking
{
public:
    ArrowCursorWhileAsking() : m_active(QApplication::overrideCursor() != nullptr)
    {
        if (m_active)
            QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~ArrowCursorWhileAsking()
    {
        if (m_active)
            QApplication::restoreOverrideCursor();
    }
    ArrowCursorWhileAsking(const ArrowCursorWhileAsking&) = delete;
    ArrowCursorWhileAsking& operator=(const ArrowCursorWhileAsking&) = delete;

private:
    bool m_active;
};

// A message box whose result is the button the user pressed, and nothing when it is
// closed by its title bar or by Escape. A plain QMessageBox would report its escape
// button (Abort, No, Cancel) in that case, which would turn a closed invalid-account
// question into an Abort.
class ButtonMessageBox : public QMessageBox
{
public:
    using QMessageBox::QMessageBox;

    void AddAnswer(MsgButton answer, QMessageBox::StandardButton standard)
    {
        QPushButton* button = addButton(standard);
        connect(button, &QPushButton::clicked, this, [this, answer] { m_answer = answer; });
    }
    MsgButton Answer() const { return m_answer; }

protected:
    // Closing by the title bar always closes, whichever buttons the box has.
    void closeEvent(QCloseEvent* event) override { QDialog::closeEvent(event); }
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->matches(QKeySequence::Cancel)) {
            reject();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }

private:
    MsgButton m_answer = MsgButton::None;
};

QMessageBox::StandardButton StandardButtonOf(MsgButton button)
{
    switch (button) {
    case MsgButton::Ok: return QMessageBox::Ok;
    case MsgButton::Yes: return QMessageBox::Yes;
    case MsgButton::No: return QMessageBox::No;
    case MsgButton::Cancel: return QMessageBox::Cancel;
    case MsgButton::Abort: return QMessageBox::Abort;
    case MsgButton::Ignore: return QMessageBox::Ignore;
    case MsgButton::None: break;
    }
    return QMessageBox::NoButton;
}

QString FromLocal(const std::string& text)
{
    return QFile::decodeName(QByteArray::fromStdString(text));
}

// A message box at least as wide as its title needs, so the window system does not cut
// the title of a short message.
void WideEnoughForTitle(QMessageBox& box)
{
    const QFont titleFont = QApplication::font("QMdiSubWindowTitleBar");
    // Room beside the title for the window system's icon and buttons.
    const int width = QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + 160;
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                      grid->columnCount());
}

} // namespace

void QtDialogs::BeforeShowing() const
{
    if (m_beforeShowing)
        m_beforeShowing();
}

void QtDialogs::ShowMessage(const std::string& text)
{
    BeforeShowing();
    ArrowCursorWhileAsking arrow;
    QMessageBox box(QMessageBox::Information, QString::fromLatin1(kAppTitle), FromLocal(text), QMessageBox::Ok,
                    m_parent);
    WideEnoughForTitle(box);
    box.exec();
}

MsgButton QtDialogs::MessageDlg(const std::string& text, MsgKind kind, const std::vector<MsgButton>& buttons)
{
    static const std::map<MsgKind, std::pair<QMessageBox::Icon, const char*>> kLooks = {
        {MsgKind::Information, {QMessageBox::Information, "Information"}},
        {MsgKind::Warning, {QMessageBox::Warning, "Warning"}},
        {MsgKind::Error, {QMessageBox::Critical, "Error"}},
        {MsgKind::Confirmation, {QMessageBox::Question, "Confirmation"}},
    };
    const auto& look = kLooks.at(kind);
    BeforeShowing();
    ArrowCursorWhileAsking arrow;
    ButtonMessageBox box(look.first, QString::fromLatin1(look.second), FromLocal(text), QMessageBox::NoButton,
                         m_parent);
    for (MsgButton button : buttons) {
        if (button != MsgButton::None)
            box.AddAnswer(button, StandardButtonOf(button));
    }
    // The safe answer is the one Enter gives: Abort where it is one, else Cancel (so the
    // confirmation to ignore invalid accounts defaults to not ignoring them).
    for (const QMessageBox::StandardButton safe : {QMessageBox::Abort, QMessageBox::Cancel})
        if (QAbstractButton* button = box.button(safe)) {
            box.setDefaultButton(qobject_cast<QPushButton*>(button));
            break;
        }
    WideEnoughForTitle(box);
    box.exec();
    return box.Answer();
}

std::optional<std::string> QtDialogs::RunFileDialog(FileDialogKind kind)
{
    return RunDialog(kind, QString());
}

std::optional<std::string> QtDialogs::RunFileDialogAt(FileDialogKind kind, const std::string& offered)
{
    return RunDialog(kind, FromLocal(offered));
}

std::optional<std::string> QtDialogs::RunDialog(FileDialogKind kind, const QString& offered)
{
    BeforeShowing();
    ArrowCursorWhileAsking arrow;
    QFileDialog dialog(m_parent);
    switch (kind) {
    case FileDialogKind::OpenPayment: // dlg1: the chosen file need not exist
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilters({"Text File (.txt) (*.txt)", "All File (*.*) (*)"});
        break;
    case FileDialogKind::SaveText: // sdlg: asks before overwriting
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilter("Text (*.txt)");
        dialog.setDefaultSuffix("txt");
        break;
    case FileDialogKind::SaveZip: // dlgZip: no overwrite question
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilter("Zip File (*.zip)");
        dialog.setDefaultSuffix("zip");
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
        break;
    }
    // Each dialog opens in the folder it was last used in.
    static const char* const kFolderKeys[] = {"folders/payment", "folders/text", "folders/zip"};
    const char* const folderKey = kFolderKeys[static_cast<int>(kind)];
    // A dialog not used yet opens in the payment file's folder.
    WindowSettings settings;
    if (const QString folder = settings.value(folderKey).toString(); !folder.isEmpty() && QDir(folder).exists())
        dialog.setDirectory(folder);
    else if (const QString start = m_startFolder ? m_startFolder() : QString(); !start.isEmpty() && QDir(start).exists())
        dialog.setDirectory(start);
    // An offered path opens in its own folder, with its name filled in.
    if (!offered.isEmpty()) {
        dialog.setDirectory(QFileInfo(offered).absolutePath());
        dialog.selectFile(QFileInfo(offered).fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString chosen = dialog.selectedFiles().constFirst();
    settings.setValue(folderKey, QFileInfo(chosen).absolutePath());
    return QFile::encodeName(QDir::toNativeSeparators(chosen)).toStdString();
}

void QtDialogs::ShowError(const std::string& text)
{
    BeforeShowing();
    ArrowCursorWhileAsking arrow;
    QMessageBox box(QMessageBox::Critical, QString::fromLatin1(kAppTitle), FromLocal(text), QMessageBox::Ok, m_parent);
    WideEnoughForTitle(box);
    box.exec();
}

} // namespace tallivo
