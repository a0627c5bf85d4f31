#include "gui/TForm1.h"

#include "app/CompareCommand.h"
#include "app/ErrorHandler.h"
#include "app/FormCommands.h"
#include "app/MaskCommand.h"
#include "app/PaymentInput.h"
#include "app/ReportCommands.h"
#include "app/SealCommand.h"
#include "app/Settings.h"
#include "app/TierRateCommand.h"
#include "common/Version.h"
#include "format/RecordTypes.h"
#include "gui/AboutBox.h"
#include "gui/CommandRunner.h"
#include "gui/ComparisonView.h"
#include "gui/GridCellDelegate.h"
#include "gui/GridRowsText.h"
#include "gui/PreviewViewer.h"
#include "gui/QtDialogs.h"
#include "gui/RecordInspector.h"
#include "gui/ResultGridModel.h"
#include "gui/WindowSettings.h"
#include "render/PagedReport.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace tallivo {

namespace {

const QColor kWindowColour(220, 184, 220);

QString FromPath(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string ToPath(const QString& text)
{
    return QFile::encodeName(text).toStdString();
}

void SetText(QLineEdit* edit, const QString& text)
{
    if (edit->text() != text)
        edit->setText(text);
}

// The folder of the payment file named in a box, or an empty text.
QString PaymentFileFolder(const QString& path)
{
    if (path.trimmed().isEmpty())
        return {};
    const QFileInfo file(path.trimmed());
    return file.absoluteDir().exists() ? file.absolutePath() : QString();
}

// The first local file among dragged URLs, or an empty text.
QString DroppedFile(const QMimeData* mime)
{
    if (!mime || !mime->hasUrls())
        return {};
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile())
            return QDir::toNativeSeparators(url.toLocalFile());
    }
    return {};
}

const char* const kCancelledMessage = "Cancelled. Every file is as it was before the command.";
// While a command puts its files in place it cannot be stopped: the status bar says so,
// and says it again when Esc asks to stop it.
const char* const kCannotCancelMessage = "Cannot cancel now: the files are being put in place";
const char* const kCancellingMessage = "Cancelling: the command stops at its next safe point";
const char* const kClosesAtEndMessage =
    "Cannot cancel now: the files are being put in place. The window closes when the command has ended";
const char* const kCloseQuestion = "A command is running. Cancel it and close the window?";
const char* const kTooLateToCancelMessage =
    "Cancel came too late: the command had begun putting its files in place, so it was completed.";

// Prepares a report's pages on the command's worker, for the window to preview once the
// command has ended.
class ReportPreparer : public ReportViewer
{
public:
    explicit ReportPreparer(std::unique_ptr<PagedReport>& prepared) : m_prepared(prepared) {}
    void Show(const ReportDocument& document) override { m_prepared = std::make_unique<PagedReport>(document); }

private:
    std::unique_ptr<PagedReport>& m_prepared;
};

} // namespace

TForm1::TForm1(Dialogs* dialogs, QWidget* parent)
    : QMainWindow(parent), m_ownDialogs(dialogs ? nullptr : std::make_unique<QtDialogs>(this)),
      m_dialogs(dialogs ? dialogs : m_ownDialogs.get()), m_viewer(std::make_unique<PreviewViewer>(this))
{
    setObjectName("Form1");
    setWindowTitle(QStringLiteral("Tallivo ") + QString::fromLatin1(kVersion));
    setWindowIcon(ProgramIcon());
    QFont windowFont = font();
    windowFont.setFamilies({"MS Sans Serif", "Microsoft Sans Serif", font().family()});
    windowFont.setPointSize(8);
    setFont(windowFont);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kWindowColour);
    setPalette(pal);
    setAutoFillBackground(true);
    setAcceptDrops(true);

    CreateToolBar();
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(CreateInformationBox());
    layout->addWidget(CreateResultBox(), 1);
    setCentralWidget(central);

    // Dropped files go to edtFileInput, wherever on the window they are dropped.
    for (QLineEdit* edit : {edtFileInput, edtNewFile, edtZip, edtHashvalue})
        edit->setAcceptDrops(false);

    if (m_ownDialogs) {
        m_ownDialogs->SetBeforeShowing([this] { RefreshFromState(); });
        m_ownDialogs->SetStartFolder([this] { return PaymentFileFolder(edtFileInput->text()); });
    }

    // Long commands run on the worker. While one shows a dialog the window shows what it
    // has done so far (the findings behind "Error Data !"); a command that rewrites the
    // grid has it hidden again once the dialog is answered.
    m_runner = new CommandRunner(*m_dialogs, this);
    m_runner->SetAroundDialogs(
        [this](const CommandRunner::Shown& shown) {
            // The command's last word: the status bar shows how it ended, not a stage.
            if (shown.lastWord)
                ShowOutcome(QString::fromLocal8Bit(QByteArray::fromStdString(shown.text)));
            m_gridModel->SetFrozen(false);
            RefreshFromState();
            RefreshGrid(true);
        },
        [this] {
            btnSaveError->setEnabled(false); // the command goes on
            if (m_runningGridUse == GridUse::Rewrites)
                m_gridModel->SetFrozen(true);
        });
    connect(m_runner, &CommandRunner::Finished, this, &TForm1::LongCommandEnded);

    CreateStatusArea();
    auto* escape = new QShortcut(QKeySequence::Cancel, this);
    connect(escape, &QShortcut::activated, this, [this] {
        if (!CommandRunning())
            return;
        if (btnCancel->isEnabled())
            btnCancel->click();
        else
            statusBar()->showMessage(
                m_runner->CurrentStatus().filesCommitted ? kCannotCancelMessage : kCancellingMessage, 5000);
    });

    AddToolTips();
    FormCreate();
    RefreshGrid(true);
    // Typing goes to the payment file's name first.
    edtFileInput->setFocus();
    // Wide enough for every toolbar caption in full: the toolbar never folds a button
    // away or cuts its caption short.
    setMinimumWidth(std::max(minimumSizeHint().width(), ToolBar1->sizeHint().width()));
}

TForm1::~TForm1()
{
    // The state goes before the widgets: a command still running is stopped first, and
    // the grid's views read nothing of it any more while they close.
    delete m_runner;
    m_runner = nullptr;
    m_gridModel->SetFrozen(true);
}

QIcon TForm1::ProgramIcon()
{
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1x%1/tallivo.png").arg(size), QSize(size, size));
    return icon;
}

void TForm1::SetInputFile(const QString& path)
{
    edtFileInput->setText(path);
    RememberPaymentFile(path);
}

void TForm1::SaveGeometry()
{
    WindowSettings().setValue("window/geometry", saveGeometry());
}

bool TForm1::RestoreGeometry()
{
    const QByteArray geometry = WindowSettings().value("window/geometry").toByteArray();
    return !geometry.isEmpty() && restoreGeometry(geometry);
}

void TForm1::WithShortcut(QAbstractButton* button, const QKeySequence& key, const QString& tip)
{
    // A shortcut of the window rather than of the button, so it works also when the
    // button is out of sight (a narrow window folds the toolbar), but not while disabled.
    auto* shortcut = new QShortcut(key, this);
    shortcut->setObjectName(button->objectName() + "Shortcut");
    connect(shortcut, &QShortcut::activated, button, [button] {
        if (button->isEnabled())
            button->click();
    });
    button->setToolTip(tip + " (" + key.toString(QKeySequence::NativeText) + ")");
}

void TForm1::AddToolTips()
{
    WithShortcut(btnOpenFile, QKeySequence::Open, "Choose the payment file");
    WithShortcut(btnSaveError, QKeySequence::Save, "Save the findings as an error file");
    const std::pair<QWidget*, const char*> tips[] = {
        {edtFileInput, "The payment file to check and seal: type its path, drop it on the window or choose it "
                       "with Open"},
        {btnClearFile, "Empty the File Name box"},
        {rdoReplace, "Write the sealed output over the payment file"},
        {rdoNew, "Write the sealed output to a new file"},
        {edtNewFile, "The new file that the sealed output is written to"},
        {btnOpenNew, "Choose the new file"},
        {btnClearNew, "Empty the New File Name box"},
        {edtZip, "The zip archive that the sealed output is packed into (.zip is added to a name without it)"},
        {btnOpenZip, "Choose the zip archive"},
        {btnClearZip, "Empty the Zip File Name box"},
        {edtHashvalue, "The hash value (SHA-1) of the last sealed output"},
        {edtFilter, "Show only the findings that contain this text (Ctrl+F)"},
        {StringGrid1, "The findings of the last check, or the payment summary of the last seal.\nEnter or a "
                      "double-click shows the record a finding names; a click on a heading sorts by it, another "
                      "returns to the findings' order; Ctrl+C copies the selected rows."},
        {lblStage, "The stage of the command that is running"},
        {progressBar, "How much of the file the stage has gone through"},
        {btnCancel, "Stop the command at its next safe point, leaving every file as it was (Esc)"},
        {lblFindings, "The number of findings, and of those the filter shows"},
    };
    for (const auto& [widget, tip] : tips)
        widget->setToolTip(tip);
}

void TForm1::RememberPaymentFile(const QString& path)
{
    if (!path.isEmpty() && QFileInfo(path).isFile())
        WindowSettings().AddRecentPaymentFile(QFileInfo(path).absoluteFilePath());
}

void TForm1::FillRecentFilesMenu(QMenu* menu)
{
    menu->clear();
    // What acts on the payment file in the File Name box, when the box names one.
    const bool paymentFile = QFileInfo(edtFileInput->text().trimmed()).isFile();
    QAction* mask = menu->addAction("Save Masked Copy...");
    mask->setObjectName("actSaveMaskedCopy");
    mask->setEnabled(paymentFile);
    mask->setToolTip("Write a copy of the payment file without the payees' data that checks the same");
    connect(mask, &QAction::triggered, this, &TForm1::SaveMaskedCopyClick);
    QAction* compare = menu->addAction("Compare With...");
    compare->setObjectName("actCompareWith");
    compare->setEnabled(paymentFile);
    compare->setToolTip("Show what changed from the payment file to another, and in the credits' totals");
    connect(compare, &QAction::triggered, this, &TForm1::CompareWithClick);
    menu->addSeparator();

    const QStringList files = WindowSettings().RecentPaymentFiles();
    for (const QString& file : files) {
        QAction* action = menu->addAction(file);
        action->setEnabled(QFileInfo(file).isFile());
        connect(action, &QAction::triggered, this, [this, file] { edtFileInput->setText(file); });
    }
    if (files.isEmpty())
        menu->addAction("No payment files yet")->setEnabled(false);
    menu->addSeparator();
    QAction* clear = menu->addAction("Clear this list");
    clear->setEnabled(!files.isEmpty());
    connect(clear, &QAction::triggered, this, [] { WindowSettings().ClearRecentPaymentFiles(); });
}

void TForm1::ShowAbout()
{
    ShowAboutBox(this);
}

void TForm1::Handle(const std::function<void()>& command)
{
    CopyEditsToState();
    RunCommand(*m_dialogs, command);
    RefreshFromState();
}

bool TForm1::CommandRunning() const
{
    return m_runner && m_runner->Running();
}

void TForm1::RunLong(const QString& name, std::function<void(Dialogs&)> command, GridUse grid)
{
    if (CommandRunning())
        return;
    CopyEditsToState();
    m_runningGridUse = grid;
    m_runningName = name;
    m_outcomeShown = false;
    if (grid == GridUse::Rewrites) {
        m_checkedPath = m_app.inputPath;
        // The new findings are shown whole, whatever the last ones were narrowed to.
        ClearFilter();
    }
    m_preparedReport.reset();
    m_preparedComparison.reset();
    SetCommandsEnabled(false);
    if (grid == GridUse::Rewrites)
        m_gridModel->SetFrozen(true);
    statusBar()->clearMessage();
    for (QWidget* w : std::initializer_list<QWidget*>{lblStage, progressBar, btnCancel})
        w->show();
    lblStage->setText("Working...");
    progressBar->setRange(0, 0);
    btnCancel->setEnabled(true);
    m_runner->Start(std::move(command));
    m_progressTimer->start();
}

void TForm1::ShowProgress()
{
    const CommandRunner::Status status = m_runner->CurrentStatus();
    if (m_outcomeShown)
        return;
    if (!status.stage.isEmpty()) {
        // The share as a percentage beside the stage, for every stage that reports one.
        QString text = status.stage;
        if (status.share >= 0)
            text += QStringLiteral(" %1%").arg(static_cast<int>(status.share * 100));
        if (status.filesCommitted)
            text += QStringLiteral(" - ") + kCannotCancelMessage;
        else if (status.cancelRequested)
            text += QStringLiteral(" - ") + kCancellingMessage;
        lblStage->setText(text);
    }
    if (status.share < 0) {
        progressBar->setRange(0, 0); // busy, share not known
    } else {
        progressBar->setRange(0, 1000);
        progressBar->setValue(static_cast<int>(status.share * 1000));
    }
    // Once the command puts files in place it runs to its end: Cancel no longer helps.
    btnCancel->setEnabled(!status.cancelRequested && !status.filesCommitted);
}

void TForm1::SetCommandsEnabled(bool enabled)
{
    ToolBar1->setEnabled(enabled);
    // The file boxes' buttons and the output mode are disabled, each enabled again as it
    // was; the boxes only take no typing, so their captions stay readable.
    if (!enabled) {
        m_enabledBeforeCommand.clear();
        for (QWidget* w : std::initializer_list<QWidget*>{btnOpenFile, btnRecentFiles, btnClearFile, rdoReplace, rdoNew,
                                                          btnOpenNew, btnClearNew, btnOpenZip, btnClearZip}) {
            m_enabledBeforeCommand.emplace_back(w, w->isEnabled());
            w->setEnabled(false);
        }
        btnSaveError->setEnabled(false); // RefreshFromState enables it again
    } else {
        for (const auto& [w, wasEnabled] : m_enabledBeforeCommand)
            w->setEnabled(wasEnabled);
        m_enabledBeforeCommand.clear();
    }
    for (QLineEdit* edit : {edtFileInput, edtNewFile, edtZip})
        edit->setReadOnly(!enabled);
}

void TForm1::ForgetInterruptedRun()
{
    m_app.session.ResetErrorGrid();
    m_app.session.statusText.clear();
    m_app.session.hasFindingsToSave = false;
    m_app.summaryBuilt = false;
    m_app.summaryCaption.clear();
    m_app.hashValue.clear();
}

void TForm1::ShowOutcome(const QString& text)
{
    m_outcomeShown = true;
    m_progressTimer->stop();
    progressBar->hide();
    btnCancel->hide();
    QString line = text.simplified();
    lblStage->setText(m_runningName + QStringLiteral(" ended: ") + line);
    lblStage->show();
}

void TForm1::ClearFilter()
{
    m_filterTimer->stop();
    edtFilter->clear();
    m_gridModel->SetFilter(QString());
    ShowFindingCount();
}

void TForm1::LongCommandEnded(CommandEnding ending)
{
    // The status bar says how the command ended, before any message about it.
    if (ending == CommandEnding::Cancelled)
        ShowOutcome(kCancelledMessage);
    else if (!m_outcomeShown)
        ShowOutcome(ending == CommandEnding::CompletedDespiteCancel ? QString(kTooLateToCancelMessage)
                                                                    : QStringLiteral("completed"));
    statusBar()->clearMessage();
    if (ending == CommandEnding::Cancelled && m_runningGridUse == GridUse::Rewrites)
        ForgetInterruptedRun();
    m_gridModel->SetFrozen(false);
    SetCommandsEnabled(true);
    RefreshFromState();
    RefreshGrid(true);

    std::unique_ptr<PagedReport> report = std::move(m_preparedReport);
    std::unique_ptr<PaymentComparison> comparison = std::move(m_preparedComparison);
    if (m_closeWhenIdle) {
        emit CommandFinished();
        close();
        return;
    }
    if (ending == CommandEnding::Cancelled)
        m_dialogs->ShowMessage(kCancelledMessage);
    else if (ending == CommandEnding::CompletedDespiteCancel)
        m_dialogs->ShowMessage(kTooLateToCancelMessage);
    else if (report)
        m_viewer->ShowPrepared(std::move(report));
    else if (comparison)
        ShowComparison(std::move(*comparison));
    emit CommandFinished();
}

ComparisonView* TForm1::ComparisonShown() const
{
    return m_comparisonView.data();
}

void TForm1::ShowComparison(PaymentComparison comparison)
{
    ShowOutcome(QString::fromStdString(comparison.SummaryText()));
    if (m_comparisonView)
        m_comparisonView->close();
    m_comparisonView = new ComparisonView(std::move(comparison), this);
    m_comparisonView->show();
}

void TForm1::CopyEditsToState()
{
    m_app.inputPath = ToPath(edtFileInput->text());
    m_app.newFilePath = ToPath(edtNewFile->text());
    m_app.zipName = ToPath(edtZip->text());
    m_app.hashValue = edtHashvalue->text().toStdString();
}

void TForm1::RefreshFromState()
{
    SetText(edtFileInput, FromPath(m_app.inputPath));
    SetText(edtNewFile, FromPath(m_app.newFilePath));
    SetText(edtZip, FromPath(m_app.zipName));
    SetText(edtHashvalue, QString::fromStdString(m_app.hashValue));
    {
        const QSignalBlocker blockReplace(rdoReplace);
        const QSignalBlocker blockNew(rdoNew);
        (m_app.outputMode == OutputMode::Replace ? rdoReplace : rdoNew)->setChecked(true);
    }
    btnSaveError->setEnabled(m_app.session.hasFindingsToSave);
    Label4->setText(FromPaymentText(m_app.session.statusText));
    Label5->setText(FromPaymentText(m_app.summaryCaption));
    RefreshGrid(false);
}

void TForm1::EnableNewFileControls(bool labelEnabled, bool controlsEnabled)
{
    Label3->setEnabled(labelEnabled);
    for (QWidget* w : std::initializer_list<QWidget*>{edtNewFile, btnOpenNew, btnClearNew})
        w->setEnabled(controlsEnabled);
}

void TForm1::FillFromFileDialog(std::string AppState::*box, FileDialogKind kind)
{
    Handle([this, box, kind] { m_app.*box = m_dialogs->RunFileDialog(kind).value_or(""); });
    if (kind == FileDialogKind::OpenPayment)
        RememberPaymentFile(FromPath(m_app.*box));
}

void TForm1::RefreshGrid(bool force)
{
    ShowFindingCount();
    if (m_gridModel->Frozen() || (!m_gridModel->Refresh() && !force))
        return;
    ShowFindingCount();
    const ResultGrid& grid = m_app.session.grid;
    for (std::size_t c = 0; c < grid.ColCount(); ++c) {
        const int col = static_cast<int>(c);
        const int width = grid.ColWidth(c);
        StringGrid1->setColumnHidden(col, c == 0 || width <= 0);
        if (c > 0 && width > 0)
            StringGrid1->setColumnWidth(col, width);
    }
    QHeaderView* side = StringGrid1->verticalHeader();
    side->setVisible(grid.ColWidth(0) > 0);
    side->setFixedWidth(std::max(grid.ColWidth(0), 0));
    SizeColumnsToContent();
    ShowSortArrow();
}

void TForm1::ShowSortArrow()
{
    QHeaderView* top = StringGrid1->horizontalHeader();
    const int column = m_gridModel->SortColumn();
    top->setSortIndicatorShown(column >= 0);
    if (column < 0)
        return;
    // The header draws Qt's ascending indicator as an arrow pointing down; the arrow
    // should point up for an ascending sort (smallest first), down for a descending one.
    top->setSortIndicator(column, m_gridModel->SortDescending() ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void TForm1::SizeColumnsToContent()
{
    const ResultGrid& grid = m_app.session.grid;
    // The longest text of each column by its bytes: one character each.
    std::array<std::size_t, ResultGrid::kMaxColumns> longest{};
    std::array<std::size_t, ResultGrid::kMaxColumns> longestRow{};
    const std::size_t columns = std::min(grid.ColCount(), ResultGrid::kMaxColumns);
    for (std::size_t r = 1; r < grid.RowCount(); ++r)
        for (std::size_t c = 0; c < columns; ++c)
            if (const std::size_t length = grid.Cell(c, r).size(); length > longest[c]) {
                longest[c] = length;
                longestRow[c] = r;
            }
    const QFontMetrics cells(StringGrid1->font());
    const QFontMetrics headings(StringGrid1->horizontalHeader()->font());
    const auto needed = [&](std::size_t c) {
        const int text = longest[c] > 0 ? cells.horizontalAdvance(FromPaymentText(grid.Cell(c, longestRow[c]))) : 0;
        const int heading = headings.horizontalAdvance(FromPaymentText(grid.Cell(c, 0)));
        return std::max(text + 10, heading + 16);
    };
    for (std::size_t c = 1; c < columns; ++c)
        if (grid.ColWidth(c) > 0)
            StringGrid1->setColumnWidth(static_cast<int>(c), std::max(grid.ColWidth(c), needed(c)));
    if (grid.ColWidth(0) > 0)
        StringGrid1->verticalHeader()->setFixedWidth(std::max(grid.ColWidth(0), needed(0)));
}

void TForm1::ShowFindingCount()
{
    // The filter narrows findings; a payment summary or an empty grid has none.
    edtFilter->setEnabled(m_gridModel->HoldsFindings() || !edtFilter->text().isEmpty());
    if (!m_gridModel->HoldsFindings()) {
        lblFindings->clear();
        return;
    }
    const QLocale numbers(QLocale::English);
    const std::size_t all = m_gridModel->FindingCount();
    const std::size_t shown = m_gridModel->ShownCount();
    const QString count = numbers.toString(static_cast<qulonglong>(all)) + (all == 1 ? " finding" : " findings");
    lblFindings->setText(m_gridModel->Filter().isEmpty()
                             ? count
                             : numbers.toString(static_cast<qulonglong>(shown)) + " of " + count + " shown");
}

void TForm1::SortByHeading(int column)
{
    if (!m_gridModel->HoldsFindings())
        return;
    m_gridModel->SortByColumn(column);
    ShowSortArrow();
}

void TForm1::InspectFinding(const QModelIndex& index)
{
    if (!index.isValid() || CommandRunning() || !m_gridModel->HoldsFindings())
        return;
    const ResultGrid& grid = m_app.session.grid;
    const std::size_t r = m_gridModel->GridRow(index.row());
    if (r == 0 || r + 1 >= grid.RowCount())
        return; // the empty row after the findings
    const std::optional<FindingLocation> at = LocationOf(grid, r);
    if (!at)
        return;
    const auto text = [&](std::size_t c) { return FromPaymentText(grid.Cell(c, r)); };
    InspectedFinding finding;
    finding.line = at->line;
    finding.firstColumn = at->firstColumn;
    finding.lastColumn = at->lastColumn;
    std::string_view code; // a length finding's record type: its columns come from the record
    switch (grid.Layout()) {
    case GridLayout::RecordTypeErrors:
        finding.text = "Record type invalid code";
        break;
    case GridLayout::RecordLengthErrors:
        code = at->recordType;
        finding.text = "Invalid length in record type " + text(RecordLengthColumn::RecordType);
        break;
    default:
        finding.text = "Columns " + text(ErrorColumn::Columns) + ", " + text(ErrorColumn::FieldName) + ": " +
                       text(ErrorColumn::Message);
        break;
    }
    if (finding.line == 0) {
        m_dialogs->ShowMessage("This finding names no line of the payment file.");
        return;
    }

    const std::string path = m_checkedPath.empty() ? m_app.inputPath : m_checkedPath;
    std::optional<std::string> record;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool read = RunCommand(*m_dialogs, [&] { record = ReadPaymentLine(path, finding.line); });
    QApplication::restoreOverrideCursor();
    if (!read)
        return;
    if (!record) {
        m_dialogs->ShowMessage("Line " + std::to_string(finding.line) + " is not in the payment file " + path +
                               ": the file has fewer lines.");
        return;
    }
    if (!code.empty()) {
        // The columns the record has too many, or lacks.
        const std::size_t expected = RecordLength(code);
        finding.firstColumn = std::min(expected, record->size()) + 1;
        finding.lastColumn = std::max(expected, record->size());
    }
    RecordInspector inspector(*record, finding, FromPath(path), this);
    inspector.exec();
}

QString TForm1::SelectedRowsText() const
{
    QModelIndexList rows = StringGrid1->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return {};
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    std::vector<std::size_t> gridRows;
    for (const QModelIndex& index : rows)
        gridRows.push_back(m_gridModel->GridRow(index.row()));
    return GridRowsText(m_app.session.grid, gridRows);
}

void TForm1::FormCreate()
{
    Handle([this] { LoadSettings(m_app); });
}

void TForm1::btnOpenFileClick()
{
    FillFromFileDialog(&AppState::inputPath, FileDialogKind::OpenPayment);
}

void TForm1::btnClearFileClick()
{
    Handle([this] { m_app.inputPath.clear(); });
}

// The output mode buttons act only when their mode was not selected before: the
// window calls them when a button becomes checked.
void TForm1::rdoReplaceClick()
{
    Handle([this] {
        m_app.outputMode = OutputMode::Replace;
        m_app.newFilePath.clear();
    });
    EnableNewFileControls(true, false);
}

void TForm1::rdoNewClick()
{
    Handle([this] { m_app.outputMode = OutputMode::NewFile; });
    EnableNewFileControls(true, true);
}

void TForm1::btnOpenNewClick()
{
    FillFromFileDialog(&AppState::newFilePath, FileDialogKind::SaveText);
}

void TForm1::btnClearNewClick()
{
    Handle([this] { m_app.newFilePath.clear(); });
}

void TForm1::btnOpenZipClick()
{
    FillFromFileDialog(&AppState::zipName, FileDialogKind::SaveZip);
}

void TForm1::btnClearZipClick()
{
    Handle([this] { m_app.zipName.clear(); });
}

void TForm1::ToolButton3Click()
{
    RememberPaymentFile(edtFileInput->text());
    RunLong(
        "Seal", [this](Dialogs& dialogs) { SealPaymentFile(m_app, dialogs); }, GridUse::Rewrites);
    // The seal starts afresh: the last hash value, company id and summary caption are
    // no longer shown while it runs.
    if (CommandRunning()) {
        edtHashvalue->clear();
        Label4->clear();
        Label5->clear();
    }
}

void TForm1::ToolButton4Click()
{
    RunLong(
        "Report",
        [this](Dialogs& dialogs) {
            ReportPreparer prepared(m_preparedReport);
            ShowPaymentReports(m_app, prepared, dialogs);
        },
        GridUse::Reads);
}

void TForm1::ToolButton5Click()
{
    Handle([this] { ClearForm(m_app); });
    EnableNewFileControls(false, false);
    ClearFilter();
    lblStage->hide(); // the last command's outcome goes with the rest
}

void TForm1::ToolButton1Click()
{
    bool quit = false;
    Handle([this, &quit] { quit = ConfirmExit(*m_dialogs); });
    if (quit) {
        SaveGeometry();
        QCoreApplication::exit(0); // at once: the window is not closed first
    }
}

void TForm1::MCLFeeClick()
{
    RememberPaymentFile(edtFileInput->text());
    RunLong(
        "Tier rate report",
        [this](Dialogs& dialogs) {
            if (const auto report = BuildTierRateReport(m_app, dialogs))
                ReportPreparer(m_preparedReport).Show(*report);
        },
        GridUse::Rewrites);
}

void TForm1::btnSaveErrorClick()
{
    RunLong(
        "Save", [this](Dialogs& dialogs) { SaveFindings(m_app, dialogs); }, GridUse::Reads);
}

// No command running and the payment file named in the box one that can be read whole;
// otherwise why not is said.
bool TForm1::PaymentFileReadable()
{
    if (CommandRunning())
        return false;
    CopyEditsToState();
    if (const std::string refusal = UnreadablePaymentFile(m_app.inputPath, true); !refusal.empty()) {
        m_dialogs->ShowMessage(refusal);
        return false;
    }
    return true;
}

void TForm1::SaveMaskedCopyClick()
{
    if (!PaymentFileReadable())
        return;
    const std::optional<std::string> output =
        m_dialogs->RunFileDialogAt(FileDialogKind::SaveText, MaskedCopyName(m_app.inputPath));
    if (!output)
        return;
    RunLong(
        "Save Masked Copy",
        [this, output = *output](Dialogs& dialogs) {
            if (SaveMaskedCopy(m_app, dialogs, output) == CommandOutcome::Completed)
                dialogs.ShowMessage("Masked copy written to " + output);
        },
        GridUse::Reads);
}

void TForm1::CompareWithClick()
{
    if (!PaymentFileReadable())
        return;
    const std::optional<std::string> other = m_dialogs->RunFileDialog(FileDialogKind::OpenPayment);
    if (!other)
        return;
    RunLong(
        "Compare",
        [this, other = *other](Dialogs& dialogs) {
            auto comparison = std::make_unique<PaymentComparison>();
            if (ComparePaymentFile(m_app, dialogs, other, *comparison) == CommandOutcome::Completed)
                m_preparedComparison = std::move(comparison);
        },
        GridUse::Reads);
}

void TForm1::dragEnterEvent(QDragEnterEvent* event)
{
    if (!CommandRunning() && !DroppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event)
{
    const QString file = DroppedFile(event->mimeData());
    if (file.isEmpty() || CommandRunning())
        return;
    edtFileInput->setText(file);
    RememberPaymentFile(file);
    event->acceptProposedAction();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    // A long command is cancelled first, when the user agrees and it still can be; the
    // window closes once it has ended.
    if (CommandRunning()) {
        event->ignore();
        if (m_closeWhenIdle)
            return;
        if (m_runner->CurrentStatus().filesCommitted) {
            m_closeWhenIdle = true;
            statusBar()->showMessage(kClosesAtEndMessage);
            return;
        }
        if (m_dialogs->MessageDlg(kCloseQuestion, MsgKind::Confirmation, {MsgButton::Yes, MsgButton::No}) !=
                MsgButton::Yes ||
            !CommandRunning())
            return;
        m_closeWhenIdle = true;
        m_runner->Cancel();
        ShowProgress();
        return;
    }
    // Closing the window ends the program without a question.
    SaveGeometry();
    event->accept();
    QCoreApplication::quit();
}

} // namespace tallivo
