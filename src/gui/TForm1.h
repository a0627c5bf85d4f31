#pragma once
// The main window. Its handlers copy the edit boxes into the application state, run
// their command through the general error handler, then show the state again: texts,
// the output mode, the status labels, Save and the result grid. What only the window
// has stays in its controls: which of the New File controls are enabled, and the file
// boxes' Open and Clear buttons, which only fill or empty their box.
#include "app/AppState.h"
#include "app/Dialogs.h"
#include "gui/CommandRunner.h"

#include <QIcon>
#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

class QAbstractButton;
class QGroupBox;
class QKeySequence;
class QMenu;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableView;
class QToolBar;
class QTimer;
class QToolButton;

namespace tallivo {

class ComparisonView;
class PagedReport;
struct PaymentComparison;
class PreviewViewer;
class QtDialogs;
class ResultGridModel;

class TForm1 : public QMainWindow
{
    Q_OBJECT
public:
    // Without dialogs the window uses its own message boxes and file dialogs; tests
    // pass scripted ones (the window does not own them).
    explicit TForm1(Dialogs* dialogs = nullptr, QWidget* parent = nullptr);
    ~TForm1() override;

    // The program's icon, in every size the package installs.
    static QIcon ProgramIcon();
    // Puts a path into the File Name box, as typing it would.
    void SetInputFile(const QString& path);
    // Gives the window the size and place it had when it was last closed; false when it
    // has none yet.
    bool RestoreGeometry();
    // Keeps the window's size and place for the next start.
    void SaveGeometry();

    AppState& State() { return m_app; }
    ResultGridModel& GridModel() { return *m_gridModel; }
    // A long command (seal, Report, the tier-rate report, Save) is running on the worker.
    bool CommandRunning() const;
    // No command running and the payment file one that can be read whole, else said why.
    bool PaymentFileReadable();
    // The selected rows of the result grid as tab-separated text, with the headings
    // first, in the order the grid shows them (what Ctrl+C copies).
    QString SelectedRowsText() const;

    void FormCreate();
    void btnOpenFileClick();
    void btnClearFileClick();
    void rdoReplaceClick();
    void rdoNewClick();
    void btnOpenNewClick();
    void btnClearNewClick();
    void btnOpenZipClick();
    void btnClearZipClick();
    void ToolButton3Click();
    void ToolButton4Click();
    void ToolButton5Click();
    void ToolButton1Click();
    void MCLFeeClick();
    void btnSaveErrorClick();
    // The payment file's menu (the arrow beside Open): a masked copy of the payment file
    // written where the user chooses, and its comparison with another file.
    void SaveMaskedCopyClick();
    void CompareWithClick();
    void ShowAbout();
    // The comparison shown last, while its window is open.
    ComparisonView* ComparisonShown() const;

signals:
    // A long command has ended and the window shows its outcome (after its preview closed).
    void CommandFinished();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Whether a long command rewrites the result grid while it runs (seal, tier-rate
    // report) or only reads it (Report, Save).
    enum class GridUse { Reads, Rewrites };

    // The window's areas, each built in its own file under gui/layout/.
    void CreateToolBar();
    QWidget* CreateInformationBox();
    QWidget* CreateResultBox();
    // The findings' count, and the stage, progress and Cancel of a long command.
    void CreateStatusArea();
    QPushButton* NewButton(const char* name, const char* caption, void (TForm1::*handler)());
    // Label3, edtNewFile and its buttons follow the output mode; Clear Form disables them all.
    void EnableNewFileControls(bool labelEnabled, bool controlsEnabled);
    // An Open button: its box gets the chosen path, or is emptied when the dialog is cancelled.
    void FillFromFileDialog(std::string AppState::*box, FileDialogKind kind);

    // Runs one short command on the state: edit boxes in, the command through the general
    // error handler, the window refreshed.
    void Handle(const std::function<void()>& command);
    // Runs a long command on the worker: edit boxes in, the controls that start commands
    // disabled and the progress shown until it ends; then the window refreshed, a
    // cancellation reported and a prepared report previewed.
    void RunLong(const QString& name, std::function<void(Dialogs&)> command, GridUse grid);
    void LongCommandEnded(CommandEnding ending);
    // How the running command ended, in the status bar in place of its stage and progress.
    void ShowOutcome(const QString& text);
    // Every finding shown again: the filter box emptied.
    void ClearFilter();
    void ShowProgress();
    void SetCommandsEnabled(bool enabled);
    // After a cancelled seal or tier-rate report: nothing of the interrupted run is shown.
    void ForgetInterruptedRun();
    void CopyEditsToState();
    void RefreshFromState();
    void RefreshGrid(bool force);
    // Widens the grid's columns (never narrower than the layout's) to their headings and
    // their longest text, and the numbering column to its largest number.
    void SizeColumnsToContent();
    // The number of findings (and of those the filter shows) in the status bar.
    void ShowFindingCount();
    // A click on a heading: ascending, descending, then the findings' own order.
    void SortByHeading(int column);
    void ShowSortArrow();
    // The record inspector on the finding of a grid row, when it names a line.
    void InspectFinding(const QModelIndex& index);
    // A shortcut for a button, named in its tool tip.
    void WithShortcut(QAbstractButton* button, const QKeySequence& key, const QString& tip);
    void AddToolTips();
    // The recent payment files: one more, and the menu that offers them.
    void RememberPaymentFile(const QString& path);
    void FillRecentFilesMenu(QMenu* menu);
    // The comparison a long command prepared, in its own window (one at a time).
    void ShowComparison(PaymentComparison comparison);

    AppState m_app;
    std::unique_ptr<QtDialogs> m_ownDialogs;
    Dialogs* m_dialogs;
    std::unique_ptr<PreviewViewer> m_viewer;
    ResultGridModel* m_gridModel = nullptr;
    CommandRunner* m_runner = nullptr;
    GridUse m_runningGridUse = GridUse::Reads;
    QString m_runningName;      // the running command, as the status bar names it
    bool m_outcomeShown = false; // the status bar already shows how it ended
    std::unique_ptr<PagedReport> m_preparedReport; // what a long command prepared to preview
    std::unique_ptr<PaymentComparison> m_preparedComparison; // what Compare With prepared to show
    QPointer<ComparisonView> m_comparisonView;
    bool m_closeWhenIdle = false;
    std::vector<std::pair<QWidget*, bool>> m_enabledBeforeCommand; // what a long command disabled
    std::string m_checkedPath; // the payment file the findings in the grid are about
    QTimer* m_progressTimer = nullptr;
    QLabel* lblStage = nullptr;
    QProgressBar* progressBar = nullptr;
    QPushButton* btnCancel = nullptr;
    QLabel* lblFindings = nullptr;
    QLineEdit* edtFilter = nullptr;
    QTimer* m_filterTimer = nullptr;

    QToolBar* ToolBar1 = nullptr;
    QToolButton* ToolButton1 = nullptr;
    QToolButton* ToolButton3 = nullptr;
    QToolButton* ToolButton4 = nullptr;
    QToolButton* ToolButton5 = nullptr;
    QPushButton* MCLFee = nullptr;
    QToolButton* ToolButtonAbout = nullptr;
    QToolButton* btnRecentFiles = nullptr;

    QLabel* Label1 = nullptr;
    QLineEdit* edtFileInput = nullptr;
    QPushButton* btnOpenFile = nullptr;
    QPushButton* btnClearFile = nullptr;

    QRadioButton* rdoReplace = nullptr;
    QRadioButton* rdoNew = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* edtNewFile = nullptr;
    QPushButton* btnOpenNew = nullptr;
    QPushButton* btnClearNew = nullptr;
    QLabel* Label7 = nullptr;
    QLineEdit* edtZip = nullptr;
    QPushButton* btnOpenZip = nullptr;
    QPushButton* btnClearZip = nullptr;

    QLabel* Label2 = nullptr;
    QLineEdit* edtHashvalue = nullptr;
    QPushButton* btnSaveError = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QTableView* StringGrid1 = nullptr;
};

} // namespace tallivo
