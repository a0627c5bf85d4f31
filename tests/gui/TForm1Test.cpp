// Window tests on the offscreen platform: what only the window does (controls,
// captions and states, the output mode buttons, Clear Form, the file boxes, the grid's
// alignment and widths, the error handler, the message and file dialogs).
#include "../../bench/PaymentFileGenerator.h"

#include "MaskingFixture.h"
#include "PaymentRecordFixture.h"
#include "ScriptedDialogs.h"
#include "TestFiles.h"
#include "common/Version.h"
#include "findings/ErrorFiles.h"
#include "gui/CommandRunner.h"
#include "gui/ComparisonView.h"
#include "gui/QtDialogs.h"
#include "gui/RecordInspector.h"
#include "gui/ReportPreview.h"
#include "gui/ResultGridModel.h"
#include "gui/TForm1.h"
#include "gui/WindowSettings.h"
#include "render/PagedReport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableView>
#include <QPainter>
#include <QProgressBar>
#include <QStatusBar>
#include <QSemaphore>
#include <QSettings>
#include <QShortcut>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QToolButton>

#include "store/TableStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>

using namespace tallivo;

Q_DECLARE_METATYPE(tallivo::FileDialogKind)

namespace {

template <typename T>
T* Control(const QObject& form, const char* name)
{
    T* control = form.findChild<T*>(name);
    if (!control)
        qFatal("no control %s", name);
    return control;
}

void Click(const QWidget& form, const char* name)
{
    Control<QAbstractButton>(form, name)->click();
}

QString Text(const QWidget& form, const char* name)
{
    return Control<QLineEdit>(form, name)->text();
}

// Clicks the button of a long command and waits until the window has shown its outcome.
void RunToEnd(TForm1& form, const char* name)
{
    QSignalSpy finished(&form, &TForm1::CommandFinished);
    Click(form, name);
    QVERIFY(form.CommandRunning());
    QVERIFY(finished.wait(20000));
    QVERIFY(!form.CommandRunning());
}

bool Enabled(const QWidget& form, const char* name)
{
    return Control<QWidget>(form, name)->isEnabled();
}

// An entry of the payment file's menu (the arrow beside Open), as the menu shows it now.
QAction* PaymentFileAction(const QWidget& form, const char* name)
{
    QMenu* menu = Control<QToolButton>(form, "btnRecentFiles")->menu();
    QMetaObject::invokeMethod(menu, "aboutToShow");
    return Control<QAction>(*menu, name);
}

// The rows of a table view's model, each cell as shown and without trailing blanks.
std::vector<QStringList> TableRows(const QWidget& parent, const char* name)
{
    const QAbstractItemModel* model = Control<QTableView>(parent, name)->model();
    std::vector<QStringList> rows;
    for (int r = 0; r < model->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < model->columnCount(); ++c) {
            QString cell = model->index(r, c).data().toString();
            while (cell.endsWith(' '))
                cell.chop(1);
            cells << cell;
        }
        rows.push_back(cells);
    }
    return rows;
}

// Runs `action` on the modal widget that the next call opens.
void OnNextModal(std::function<void(QWidget*)> action)
{
    QTimer::singleShot(50, [action] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        action(modal);
    });
}

// Scripted dialogs that also hold the command's worker when it reports a chosen stage,
// until the test lets it go on, and note the thread every message was shown on.
class GatedDialogs : public ScriptedDialogs
{
public:
    explicit GatedDialogs(std::string stage) : m_stage(std::move(stage)) {}
    ~GatedDialogs() override { Open(); }
    // Between commands: the next command is held at another stage.
    void GateAt(std::string stage)
    {
        m_stage = std::move(stage);
        m_passed = false;
    }

    void Progress(std::string_view stage, double) override
    {
        if (stage != m_stage || m_passed.exchange(true))
            return;
        m_reached.release();
        if (!m_go.tryAcquire(1, 20000))
            qWarning("the gate was never opened");
    }
    void ShowMessage(const std::string& text) override
    {
        messageThreads.push_back(QThread::currentThread());
        ScriptedDialogs::ShowMessage(text);
    }
    // Runs the event loop until the worker stands at the gate.
    bool WaitAtGate()
    {
        return QTest::qWaitFor([this] { return m_reached.available() > 0; }, 20000);
    }
    void Open() { m_go.release(); }

    std::vector<QThread*> messageThreads;

private:
    std::string m_stage;
    std::atomic<bool> m_passed{false};
    QSemaphore m_reached;
    QSemaphore m_go;
};

// Every file under a folder, with its bytes.
std::map<std::string, std::string> Snapshot(const QString& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.toStdString()))
        if (entry.is_regular_file())
            files[entry.path().string()] = test::ReadAll(entry.path().string());
    return files;
}

// The window's program folder made in dir: its Data folder with empty table files.
void UseProgramFolder(TForm1& form, const QTemporaryDir& dir)
{
    std::filesystem::create_directories(dir.filePath("Data").toStdString());
    form.State().programFolder = dir.path().toStdString() + "/";
    CreateTableFiles(form.State().DataFolder());
}

// A window whose program folder (table files) is a temporary folder, with a generated
// payment file (some of its credit records need the normalisation) and a zip name.
struct SealSetup
{
    explicit SealSetup(Dialogs& dialogs) : form(&dialogs)
    {
        UseProgramFolder(form, dir);
        std::filesystem::create_directories(dir.filePath("Report").toStdString());
        for (const char* name : {"Payment.html", "PaymentDetail.html", "DirectDebit.html", "DeductFee.html"})
            std::filesystem::copy_file(std::string(TALLIVO_SOURCE_DIR) + "/report/" + name,
                                       dir.filePath("Report").toStdString() + "/" + name);
        bench::GeneratorOptions options;
        options.targetBytes = 300 * 1024;
        bench::GeneratePaymentFile(dir.filePath("pay.txt").toStdString(), options);
        Control<QLineEdit>(form, "edtFileInput")->setText(dir.filePath("pay.txt"));
        Control<QLineEdit>(form, "edtZip")->setText(dir.filePath("out.zip"));
    }

    QTemporaryDir dir;
    TForm1 form;
};

// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

// The controls that start a command.
const char* const kCommandControls[] = {"ToolButton1", "ToolButton3", "ToolButton4", "ToolButton5", "MCLFee",
                                        "btnOpenFile", "btnClearFile", "rdoReplace",  "rdoNew",      "btnOpenZip",
                                        "btnClearZip", "btnSaveError"};

// Runs `action` on the next modal widget, once it has opened (a long command may take a
// while to get there).
void WhenModalOpens(std::function<void(QWidget*)> action)
{
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            action(modal);
        }
    });
    timer->start(20);
}

} // namespace

class TForm1Test : public QObject
{
    Q_OBJECT

    // The window's settings go to a folder of the test's own, never the user's.
    QTemporaryDir m_settings;

private slots:
    void initTestCase();
    void ControlsStartWithTheirCaptionsAndStates();
    void ClearFormReturnsToReplaceMode();
    void CancelledOpenDialogsEmptyTheirBox_data();
    void CancelledOpenDialogsEmptyTheirBox();
    void GridCentresHeaderRowAndFirstFourColumns();
    void GridShowsTheLayoutsWidths();
    void GridDecodesThaiAsTheReportsDo();
    void SealRefusalsAndErrorsLeaveTheWindowUsable();
    void DroppedFileFillsFileName();
    void MessageDialogClosedWithoutAButtonAnswersNone_data();
    void MessageDialogClosedWithoutAButtonAnswersNone();
    void FileDialogsHaveTheirFiltersAndOverwriteRule_data();
    void FileDialogsHaveTheirFiltersAndOverwriteRule();
    void LongCommandRunsWhileTheWindowRepaintsAndCancelLeavesEveryFile();
    void CommandRunnerEndingsAndDialogsOnTheWindowThread();
    void ReportPreviewIsModalAndLaysOutOnlyThePagesShown();
    void FindingsCountedFilteredSortedAndCopiedWithoutReorderingTheErrorFile();
    void InspectorShowsTheRecordWithTheFindingsColumnsMarked();
    void EveryControlHasATipAndTheToolbarItsShortcuts();
    void MessageBoxesCarryTheIconOfTheirKindAndAbortIsTheDefault();
    void SizePlaceFoldersAndRecentFilesAreRemembered();
    void AboutBoxNamesTheVersionAndTheLibrariesLicences();
    void FilterIsEmptiedByClearFormAndByANewCheck();
    void ThaiRowIsHighEnoughForEveryGlyph();
    void StatusBarSaysWhenCancelCannotStopAndHowTheCommandEnded();
    void SealEmptiesTheLastHashAndCompanyIdAtItsStart();
    void ReportWarnsWhenTheCompanyIdComesFromAnotherFile();
    void PaymentFileMenuOffersMaskAndCompareForAnExistingFile();
    void MaskedCopyChecksTheSameAndARefusalWritesNothing();
    void CompareShowsEachChangedFieldAndTheCreditTotals();
    // Last: Exit ends the application's event loop, which no later test could run again.
    void ExitKeepsTheGeometryAndTypingStartsInFileName();
};

void TForm1Test::initTestCase()
{
    QVERIFY(m_settings.isValid());
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
}

void TForm1Test::ControlsStartWithTheirCaptionsAndStates()
{
    ScriptedDialogs dialogs;
    TForm1 form(&dialogs);
    QCOMPARE(form.windowTitle(), QString("Tallivo ") + kVersion);
    QVERIFY(form.windowIcon().availableSizes().contains(QSize(48, 48)));
    QCOMPARE(form.palette().color(QPalette::Window), QColor(220, 184, 220));

    const struct
    {
        const char* name;
        const char* caption;
        bool enabled;
    } kButtons[] = {
        {"ToolButton1", "Exit ", true},
        {"ToolButton3", "       Tallivo       ", true},
        {"ToolButton4", "Report", true},
        {"ToolButton5", "Clear Form", true},
        {"MCLFee", "Calculate Tier Rate Report", true},
        {"btnOpenFile", "Open", true},
        {"btnClearFile", "Clear", true},
        {"rdoReplace", "Replace", true},
        {"rdoNew", "New File", true},
        {"btnOpenNew", "Open", false},
        {"btnClearNew", "Clear", false},
        {"btnOpenZip", "Open", true},
        {"btnClearZip", "Clear", true},
        {"btnSaveError", "Save", false},
    };
    for (const auto& b : kButtons) {
        QAbstractButton* button = Control<QAbstractButton>(form, b.name);
        QCOMPARE(button->text(), QString(b.caption));
        QVERIFY2(button->isEnabled() == b.enabled, b.name);
    }
    for (const char* name : {"ToolButton1", "ToolButton3", "ToolButton4", "ToolButton5"}) {
        auto* button = Control<QToolButton>(form, name);
        QCOMPARE(button->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        QVERIFY(!button->icon().isNull());
    }

    const struct
    {
        const char* name;
        const char* caption;
    } kLabels[] = {
        {"Label1", "File Name"}, {"Label3", "New File Name"}, {"Label7", "Zip File Name"},
        {"Label2", "Hash value"}, {"Label4", ""},              {"Label5", ""},
    };
    for (const auto& l : kLabels) {
        QCOMPARE(Control<QLabel>(form, l.name)->text(), QString(l.caption));
        QVERIFY2(Enabled(form, l.name), l.name);
    }
    QStringList groups;
    for (const QGroupBox* box : form.findChildren<QGroupBox*>())
        groups << box->title();
    QCOMPARE(groups, QStringList({"Information", "Output File", "Result"}));

    QVERIFY(Control<QRadioButton>(form, "rdoReplace")->isChecked());
    QVERIFY(!Control<QRadioButton>(form, "rdoNew")->isChecked());
    for (const char* name : {"edtFileInput", "edtNewFile", "edtZip", "edtHashvalue"})
        QVERIFY2(Text(form, name).isEmpty(), name);
    QVERIFY(!Enabled(form, "edtNewFile"));
    QVERIFY(Enabled(form, "edtHashvalue"));
    QVERIFY(!Control<QLineEdit>(form, "edtHashvalue")->hasFrame());

    // 2 columns of 40 and 122 pixels (the first kept fixed at the side), rows at least 17
    // high (higher when the font's Thai marks need it).
    auto* grid = Control<QTableView>(form, "StringGrid1");
    QCOMPARE(grid->model()->rowCount(), 1);
    QCOMPARE(grid->model()->columnCount(), 2);
    QCOMPARE(grid->verticalHeader()->width(), 40);
    QCOMPARE(grid->columnWidth(1), 122);
    QVERIFY(grid->rowHeight(0) >= 17);
    QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
}

void TForm1Test::ClearFormReturnsToReplaceMode()
{
    ScriptedDialogs dialogs;
    TForm1 form(&dialogs);
    const auto newFileControlsEnabled = [&form](bool enabled) {
        for (const char* name : {"edtNewFile", "btnOpenNew", "btnClearNew"})
            QVERIFY2(Enabled(form, name) == enabled, name);
    };
    Click(form, "rdoNew");
    newFileControlsEnabled(true);
    QVERIFY(form.State().outputMode == OutputMode::NewFile);
    Control<QLineEdit>(form, "edtFileInput")->setText("/data/pay.txt");
    Control<QLineEdit>(form, "edtNewFile")->setText("/data/out.txt");
    Control<QLineEdit>(form, "edtZip")->setText("/data/out.zip");
    Control<QLineEdit>(form, "edtHashvalue")->setText("ABC");

    Click(form, "ToolButton5");
    QVERIFY(Control<QRadioButton>(form, "rdoReplace")->isChecked());
    for (const char* name : {"Label3", "btnSaveError"})
        QVERIFY2(!Enabled(form, name), name);
    newFileControlsEnabled(false);
    for (const char* name : {"edtFileInput", "edtNewFile", "edtZip", "edtHashvalue"})
        QVERIFY2(Text(form, name).isEmpty(), name);
    QVERIFY(form.State().inputPath.empty());
    QVERIFY(form.State().outputMode == OutputMode::Replace);

    // Clicking the mode that is already selected changes nothing ...
    Click(form, "rdoReplace");
    QVERIFY(!Enabled(form, "Label3"));
    // ... choosing the other one acts, and choosing Replace again empties the new file;
    // either enables Label3 again.
    Click(form, "rdoNew");
    QVERIFY(Enabled(form, "Label3"));
    newFileControlsEnabled(true);
    Control<QLineEdit>(form, "edtNewFile")->setText("/data/out.txt");
    Click(form, "rdoReplace");
    QVERIFY(Enabled(form, "Label3"));
    newFileControlsEnabled(false);
    QVERIFY(Text(form, "edtNewFile").isEmpty());
    QVERIFY(form.State().newFilePath.empty());
    QVERIFY(form.State().outputMode == OutputMode::Replace);
}

void TForm1Test::CancelledOpenDialogsEmptyTheirBox_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("edit");
    QTest::addColumn<FileDialogKind>("kind");
    QTest::newRow("payment file") << "btnOpenFile" << "edtFileInput" << FileDialogKind::OpenPayment;
    QTest::newRow("new file") << "btnOpenNew" << "edtNewFile" << FileDialogKind::SaveText;
    QTest::newRow("zip") << "btnOpenZip" << "edtZip" << FileDialogKind::SaveZip;
}

void TForm1Test::CancelledOpenDialogsEmptyTheirBox()
{
    QFETCH(QString, button);
    QFETCH(QString, edit);
    QFETCH(FileDialogKind, kind);
    ScriptedDialogs dialogs;
    dialogs.fileAnswers = {std::nullopt, std::string("/data/chosen.txt"), std::nullopt};
    TForm1 form(&dialogs);
    Click(form, "rdoNew");
    const QByteArray buttonName = button.toLatin1();
    const QByteArray editName = edit.toLatin1();

    // A typed path is emptied by a cancelled dialog too.
    Control<QLineEdit>(form, editName)->setText("/data/typed.txt");
    Click(form, buttonName);
    QVERIFY(Text(form, editName).isEmpty());
    Click(form, buttonName);
    QCOMPARE(Text(form, editName), QString("/data/chosen.txt"));
    Click(form, buttonName);
    QVERIFY(Text(form, editName).isEmpty());
    QCOMPARE(dialogs.fileDialogsRun, std::vector<FileDialogKind>(3, kind));
}

void TForm1Test::GridCentresHeaderRowAndFirstFourColumns()
{
    ResultGrid grid;
    ResultGridModel model(grid);
    grid.SetUpLayout(GridLayout::Errors,
                     {"No.", "Record Type", "Line", "Column", "Field Name", "Message", "Account", "Payee Name"},
                     {40, 100, 35, 60, 150, 550, 75, 600});
    grid.AppendRow({"003", "7", "10-34", "Credit Account", "Invalid", "123", "Payee"});
    QVERIFY(model.Refresh());
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.columnCount(), 8);
    QCOMPARE(model.data(model.index(0, 4)).toString(), QString("Credit Account"));
    QCOMPARE(model.headerData(0, Qt::Vertical).toString(), QString("1"));

    const auto alignment = [](const QVariant& v) { return Qt::Alignment(v.toInt()); };
    const Qt::Alignment centred = Qt::AlignHCenter | Qt::AlignTop;
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignTop;
    for (int col = 0; col < 8; ++col) {
        QCOMPARE(alignment(model.headerData(col, Qt::Horizontal, Qt::TextAlignmentRole)), centred);
        const Qt::Alignment body = col <= 3 ? centred : left;
        QCOMPARE(alignment(model.data(model.index(0, col), Qt::TextAlignmentRole)), body);
        QCOMPARE(alignment(model.data(model.index(1, col), Qt::TextAlignmentRole)), body);
    }
    QCOMPARE(alignment(model.headerData(0, Qt::Vertical, Qt::TextAlignmentRole)), centred);
    QVERIFY(!(model.flags(model.index(0, 0)) & Qt::ItemIsEditable));
    QVERIFY(!model.Refresh()); // nothing changed since
}

void TForm1Test::GridShowsTheLayoutsWidths()
{
    ScriptedDialogs dialogs;
    TForm1 form(&dialogs);
    // The summary layout's sixth column has width 0: it holds data but is not shown.
    form.State().session.grid.SetUpLayout(GridLayout::Summary,
                                          {"No.", "Product Type", "Value Date", "No. of Credit", "Amount", ""},
                                          {40, 200, 100, 120, 200, 0});
    form.State().session.grid.AppendRow({"Payroll", "15/03/2024", "2", "1,234,567.89", "1234567.89"});
    Click(form, "btnClearFile"); // any command shows the state again
    auto* grid = Control<QTableView>(form, "StringGrid1");
    QCOMPARE(grid->model()->columnCount(), 6);
    QCOMPARE(grid->columnWidth(1), 200);
    QCOMPARE(grid->columnWidth(4), 200);
    QVERIFY(grid->isColumnHidden(5));
    QVERIFY(grid->isColumnHidden(0)); // shown fixed at the side instead
    QCOMPARE(grid->verticalHeader()->width(), 40);
    QCOMPARE(grid->model()->headerData(0, Qt::Vertical).toString(), QString("1"));
}

void TForm1Test::GridDecodesThaiAsTheReportsDo()
{
    // The bytes on which the grid once had its own table: punctuation, and a byte
    // without a character.
    const struct
    {
        char byte;
        char16_t shown;
    } kBytes[] = {
        {'\x85', u'\u2026'}, {'\x91', u'\u2018'}, {'\x93', u'\u201C'}, {'\xDB', u'\uFFFD'},
        {'\xA1', u'\u0E01'}, {'\xFB', u'\u0E5B'}, {'A', u'A'},
    };
    ResultGrid grid;
    ResultGridModel model(grid);
    grid.SetUpLayout(GridLayout::RecordTypeErrors, {"No.", "Line"});
    for (const auto& b : kBytes) {
        grid.AppendRow({std::string(1, b.byte)});
        QCOMPARE(FromPaymentText(std::string_view(&b.byte, 1)), QString(QChar(b.shown)));
    }
    model.Refresh();
    for (int row = 0; row < int(std::size(kBytes)); ++row)
        QCOMPARE(model.data(model.index(row, 1)).toString(), QString(QChar(kBytes[row].shown)));
}

void TForm1Test::SealRefusalsAndErrorsLeaveTheWindowUsable()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ScriptedDialogs dialogs;
    TForm1 form(&dialogs);

    // A missing input file is refused with its message.
    Control<QLineEdit>(form, "edtFileInput")->setText(dir.filePath("missing.txt"));
    Control<QLineEdit>(form, "edtZip")->setText(dir.filePath("out.zip"));
    RunToEnd(form, "ToolButton3");
    QCOMPARE(dialogs.Texts(), std::vector<std::string>{"Input File does not exist"});
    QVERIFY(!Enabled(form, "btnSaveError"));
    QVERIFY(!QApplication::overrideCursor());

    // A file with an unknown record type lists its line and enables Save.
    const QString payment = dir.filePath("pay.txt");
    std::ofstream(payment.toStdString(), std::ios::binary) << "ABC line\r\n";
    Control<QLineEdit>(form, "edtFileInput")->setText(payment);
    RunToEnd(form, "ToolButton3");
    QCOMPARE(dialogs.Texts().back(), std::string("Error Data !"));
    QCOMPARE(Control<QLabel>(form, "Label4")->text(), QString("Record type invalid code"));
    QVERIFY(Enabled(form, "btnSaveError"));
    auto* grid = Control<QTableView>(form, "StringGrid1");
    QCOMPARE(grid->model()->rowCount(), 2); // the finding and the empty last row
    QCOMPARE(grid->model()->data(grid->model()->index(0, 1)).toString(), QString("1"));

    // Saving into a folder that does not exist: the error is shown, the window goes on.
    dialogs.fileAnswers = {dir.filePath("no-such-folder/errors.txt").toStdString()};
    RunToEnd(form, "btnSaveError");
    QCOMPARE(dialogs.shown.back().type, ScriptedDialogs::Shown::Type::Error);
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(form.isEnabled());
    Click(form, "ToolButton5");
    QVERIFY(Text(form, "edtFileInput").isEmpty());
    QVERIFY(Control<QLabel>(form, "Label4")->text().isEmpty());
    QCOMPARE(grid->model()->rowCount(), 1);
}

void TForm1Test::DroppedFileFillsFileName()
{
    ScriptedDialogs dialogs;
    TForm1 form(&dialogs);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile("/data/dropped pay.txt")});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &drop);
    QCOMPARE(Text(form, "edtFileInput"), QString("/data/dropped pay.txt"));

    QMimeData remote;
    remote.setUrls({QUrl("https://example.org/pay.txt")});
    QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &remote, Qt::LeftButton, Qt::NoModifier);
    refused.setAccepted(false);
    QApplication::sendEvent(&form, &refused);
    QVERIFY(!refused.isAccepted());
}

void TForm1Test::MessageDialogClosedWithoutAButtonAnswersNone_data()
{
    QTest::addColumn<int>("how"); // 0: title bar, 1: Escape, 2: the Ignore button
    QTest::addColumn<int>("expected");
    QTest::newRow("title bar") << 0 << int(MsgButton::None);
    QTest::newRow("escape") << 1 << int(MsgButton::None);
    QTest::newRow("ignore") << 2 << int(MsgButton::Ignore);
}

void TForm1Test::MessageDialogClosedWithoutAButtonAnswersNone()
{
    QFETCH(int, how);
    QFETCH(int, expected);
    QtDialogs dialogs(nullptr);
    OnNextModal([how](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box);
        QCOMPARE(box->windowTitle(), QString("Warning"));
        if (how == 0)
            box->close();
        else if (how == 1)
            QTest::keyClick(box, Qt::Key_Escape);
        else
            box->button(QMessageBox::Ignore)->click();
    });
    const MsgButton answer = dialogs.MessageDlg("There are some invalid Orvane Account.  Please choose action to do. ",
                                                MsgKind::Warning, {MsgButton::Abort, MsgButton::Ignore});
    QCOMPARE(int(answer), expected);
}

void TForm1Test::FileDialogsHaveTheirFiltersAndOverwriteRule_data()
{
    QTest::addColumn<FileDialogKind>("kind");
    QTest::addColumn<QStringList>("filters");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<int>("acceptMode");
    QTest::addColumn<bool>("asksToOverwrite");
    QTest::newRow("dlg1") << FileDialogKind::OpenPayment
                          << QStringList{"Text File (.txt) (*.txt)", "All File (*.*) (*)"} << QString()
                          << int(QFileDialog::AcceptOpen) << true;
    QTest::newRow("sdlg") << FileDialogKind::SaveText << QStringList{"Text (*.txt)"} << QString("txt")
                          << int(QFileDialog::AcceptSave) << true;
    QTest::newRow("dlgZip") << FileDialogKind::SaveZip << QStringList{"Zip File (*.zip)"} << QString("zip")
                            << int(QFileDialog::AcceptSave) << false;
}

void TForm1Test::FileDialogsHaveTheirFiltersAndOverwriteRule()
{
    QFETCH(FileDialogKind, kind);
    QFETCH(QStringList, filters);
    QFETCH(QString, suffix);
    QFETCH(int, acceptMode);
    QFETCH(bool, asksToOverwrite);
    QtDialogs dialogs(nullptr);
    OnNextModal([=](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        QVERIFY(dialog);
        QCOMPARE(dialog->nameFilters(), filters);
        QCOMPARE(dialog->defaultSuffix(), suffix);
        QCOMPARE(int(dialog->acceptMode()), acceptMode);
        QCOMPARE(dialog->fileMode(), QFileDialog::AnyFile); // the payment file need not exist
        QCOMPARE(!dialog->testOption(QFileDialog::DontConfirmOverwrite), asksToOverwrite);
        dialog->reject();
    });
    QVERIFY(!dialogs.RunFileDialog(kind).has_value());
}

void TForm1Test::LongCommandRunsWhileTheWindowRepaintsAndCancelLeavesEveryFile()
{
    GatedDialogs dialogs("Validating");
    SealSetup setup(dialogs);
    TForm1& form = setup.form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const auto before = Snapshot(setup.dir.path());
    const std::string payment = test::ReadAll(setup.dir.filePath("pay.txt").toStdString());
    QSignalSpy finished(&form, &TForm1::CommandFinished);

    // The seal stops at the gate, before the normalisation would change the file.
    Click(form, "ToolButton3");
    QVERIFY(dialogs.WaitAtGate());
    QVERIFY(form.CommandRunning());

    // The window repaints and lays itself out again while the command runs.
    PaintCounter counter(form.centralWidget());
    form.resize(form.width() - 40, form.height() - 30);
    QTRY_VERIFY(counter.paints > 0);
    QTRY_COMPARE(Control<QLabel>(form, "lblStage")->text(), QString("Validating"));
    QVERIFY(Control<QProgressBar>(form, "progressBar")->isVisible());

    // Nothing that starts another command can be used; Cancel can.
    for (const char* name : kCommandControls)
        QVERIFY2(!Enabled(form, name), name);
    for (const char* name : {"edtFileInput", "edtNewFile", "edtZip"})
        QVERIFY2(Control<QLineEdit>(form, name)->isReadOnly(), name);
    QVERIFY(Enabled(form, "btnCancel"));

    Click(form, "btnCancel");
    dialogs.Open();
    QVERIFY(finished.wait(20000));
    QVERIFY(!form.CommandRunning());
    QCOMPARE(test::ReadAll(setup.dir.filePath("pay.txt").toStdString()), payment);
    QVERIFY(Snapshot(setup.dir.path()) == before); // no zip, no leftover, no table changed
    QCOMPARE(dialogs.Texts(), std::vector<std::string>{"Cancelled. Every file is as it was before the command."});
    QCOMPARE(dialogs.messageThreads, std::vector<QThread*>{QThread::currentThread()});
    QVERIFY(!Control<QWidget>(form, "btnCancel")->isVisible());
    for (const char* name : kCommandControls)
        QVERIFY2(Enabled(form, name) == (std::string_view(name) != "btnSaveError"), name);
    QVERIFY(!Enabled(form, "btnOpenNew")); // as it was before: Replace mode
    QVERIFY(!Control<QLineEdit>(form, "edtFileInput")->isReadOnly());

    // The same seal, let run: sealed, the hash value shown, the payment file replaced.
    RunToEnd(form, "ToolButton3");
    QCOMPARE(dialogs.Texts().back(), "Generate hash value and add file to " + setup.dir.filePath("out.zip").toStdString() +
                                         " completed");
    QCOMPARE(Text(form, "edtHashvalue").size(), 40);
    QVERIFY(test::ReadAll(setup.dir.filePath("pay.txt").toStdString()) != payment);
}

void TForm1Test::CommandRunnerEndingsAndDialogsOnTheWindowThread()
{
    const struct
    {
        const char* name;
        bool commitFirst;
        bool cancel;
        CommandEnding ending;
    } kCases[] = {
        {"not cancelled", false, false, CommandEnding::Completed},
        {"cancelled at a safe point", false, true, CommandEnding::Cancelled},
        {"cancelled after a file was put in place", true, true, CommandEnding::CompletedDespiteCancel},
    };
    for (const auto& c : kCases) {
        GatedDialogs dialogs("gate");
        dialogs.buttonAnswers = {MsgButton::Abort};
        CommandRunner runner(dialogs);
        QSignalSpy finished(&runner, &CommandRunner::Finished);
        QThread* commandThread = nullptr;
        MsgButton answer = MsgButton::None;
        runner.Start([&](Dialogs& d) {
            commandThread = QThread::currentThread();
            answer = d.MessageDlg("question", MsgKind::Warning, {MsgButton::Abort, MsgButton::Ignore});
            if (c.commitFirst)
                progress::FilesCommitted();
            progress::Stage("gate");
            progress::SafePoint();
            d.ShowMessage("done");
        });
        QVERIFY(dialogs.WaitAtGate());
        QVERIFY(runner.Running());
        QVERIFY(runner.CurrentStatus().filesCommitted == c.commitFirst);
        if (c.cancel)
            runner.Cancel();
        dialogs.Open();
        QVERIFY2(finished.wait(20000), c.name);
        QCOMPARE(finished.front().front().value<CommandEnding>(), c.ending);
        QVERIFY(commandThread != QThread::currentThread());
        QCOMPARE(answer, MsgButton::Abort); // asked on the window's thread, the command waiting
        const std::vector<std::string> expected = c.ending == CommandEnding::Cancelled
                                                      ? std::vector<std::string>{"question"}
                                                      : std::vector<std::string>{"question", "done"};
        QCOMPARE(dialogs.Texts(), expected);
    }
}

void TForm1Test::ReportPreviewIsModalAndLaysOutOnlyThePagesShown()
{
    GatedDialogs dialogs("none");
    SealSetup setup(dialogs);
    TForm1& form = setup.form;
    form.show();
    RunToEnd(form, "ToolButton3");
    QCOMPARE(form.State().summaryCaption, std::string("PAYMENT DETAIL"));

    bool previewed = false;
    WhenModalOpens([&](QWidget* modal) {
        auto* preview = qobject_cast<ReportPreview*>(modal);
        QVERIFY(preview);
        QCOMPARE(preview->windowTitle(), QString("Report"));
        QCOMPARE(preview->windowModality(), Qt::ApplicationModal);
        QVERIFY(QTest::qWaitForWindowExposed(preview));
        const int pages = preview->Report().PageCount();
        QVERIFY(pages > 3);
        QCOMPARE(Control<QLabel>(*preview, "lblPageCount")->text(), QString(" of %1 ").arg(pages));
        // Only the pages in view have been laid out; the last one is when it is shown.
        QTRY_VERIFY(preview->View().PagesLaidOut() > 0);
        QVERIFY(preview->View().PagesLaidOut() < pages);
        preview->View().ShowPage(pages - 1);
        QTRY_COMPARE(Control<QSpinBox>(*preview, "spnPage")->value(), pages);
        QVERIFY(preview->View().PagesLaidOut() < pages);
        // A page number typed into the page box and Enter go to that page, and the preview
        // stays open.
        auto* pageBox = Control<QSpinBox>(*preview, "spnPage");
        pageBox->setFocus();
        pageBox->selectAll();
        QTest::keyClicks(pageBox, "2");
        QCOMPARE(preview->View().CurrentPage(), pages - 1); // not while typing
        QTest::keyClick(pageBox, Qt::Key_Return);
        QTRY_COMPARE(preview->View().CurrentPage(), 1);
        QTest::keyClick(pageBox, Qt::Key_Enter);
        QVERIFY(preview->isVisible());
        // Save as PDF offers the payment file's name in its folder and says where it saved.
        const QString pdf = setup.dir.filePath("pay-report.pdf");
        QCOMPARE(preview->SuggestedPdfPath(), pdf);
        QVERIFY(preview->SavePdf(pdf));
        QVERIFY(QFileInfo(pdf).size() > 1000);
        QCOMPARE(Control<QLabel>(*preview, "lblSaved")->text(), "Saved as " + QDir::toNativeSeparators(pdf));
        // The window behind takes no clicks while the preview is open.
        QVERIFY(!QApplication::activeModalWidget() || QApplication::activeModalWidget() == preview);
        // A click on Clear Form, as the window system delivers it, does not reach it.
        auto* clear = Control<QAbstractButton>(form, "ToolButton5");
        QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {}, clear->mapTo(&form, clear->rect().center()));
        QApplication::processEvents();
        QCOMPARE(Text(form, "edtFileInput"), setup.dir.filePath("pay.txt"));
        previewed = true;
        preview->reject();
    });
    RunToEnd(form, "ToolButton4");
    QVERIFY(previewed);
    // The same click reaches Clear Form once the preview has closed.
    auto* clear = Control<QAbstractButton>(form, "ToolButton5");
    QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {}, clear->mapTo(&form, clear->rect().center()));
    QTRY_VERIFY(Text(form, "edtFileInput").isEmpty());
}

void TForm1Test::FindingsCountedFilteredSortedAndCopiedWithoutReorderingTheErrorFile()
{
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    TForm1 form(&dialogs);
    form.show();
    CheckSession& s = form.State().session;
    s.SetUpErrorLayout();
    const std::string thaiName = "\xA1\xD2\xC3 \xBA\xC3\xD4"; // ka sara-aa ro, bo ro sara-i
    s.AddAccountError("003", "123456789", "35-50", "Credit Amount", "Amount should have 16 digits",
                      "1234567890123456789012345", thaiName);
    s.AddError("002", "10", "15-39", "Debit Account", "Invalid account");
    s.AddAccountError("004", "9", "4-38", "Payee Name", "should not be blank", "0011234567", "PAYEE ONE");
    s.AddError("003", "1000", "10-34", "Credit Account No", "Invalid CREDIT account");
    s.AddError("999", "1001", "4-9", "Total No. of Debits", "does not match");
    s.recordTypesValid = s.recordLengthsValid = true;
    s.ctx.dataValid = false;
    s.FlagInvalidData();
    Click(form, "btnClearFile"); // any command shows the state again
    const std::string inOrder = [&] {
        std::string lines;
        for (std::size_t r = 1; r + 2 <= s.grid.RowCount(); ++r)
            lines += ErrorFileLine(ErrorFileKind::Data, s.grid, r) + "\r\n";
        return lines;
    }();

    auto* grid = Control<QTableView>(form, "StringGrid1");
    auto* model = grid->model();
    auto* count = Control<QLabel>(form, "lblFindings");
    QCOMPARE(count->text(), QString("5 findings"));

    // Wide enough for 9-digit line numbers and 25-digit accounts, aligned as before.
    const QFontMetrics metrics(grid->font());
    QVERIFY(grid->columnWidth(2) >= metrics.horizontalAdvance("123456789"));
    QVERIFY(grid->columnWidth(6) >= metrics.horizontalAdvance("1234567890123456789012345"));
    QCOMPARE(grid->columnWidth(5), 550); // wider than its longest message already
    QCOMPARE(Qt::Alignment(model->data(model->index(0, 2), Qt::TextAlignmentRole).toInt()),
             Qt::AlignHCenter | Qt::AlignTop);

    // The filter: any cell, letter case aside, Thai typed as Thai.
    const auto shownLines = [&] {
        QStringList lines;
        for (int r = 0; r < model->rowCount(); ++r)
            lines << model->data(model->index(r, 2)).toString();
        return lines;
    };
    auto* filter = Control<QLineEdit>(form, "edtFilter");
    filter->setText("credit");
    QTRY_COMPARE(shownLines(), QStringList({"123456789", "1000"}));
    QCOMPARE(count->text(), QString("2 of 5 findings shown"));
    filter->setText(QString::fromUtf8("\u0E1A\u0E23\u0E34")); // bo ro sara-i
    QTRY_COMPARE(shownLines(), QStringList({"123456789"}));
    filter->setText("no such text");
    QTRY_COMPARE(model->rowCount(), 0);
    filter->clear();
    QTRY_COMPARE(model->rowCount(), 6); // the findings and the grid's empty last row

    // Sorting by Line orders by number; the numbering column keeps each finding's own
    // number. The arrow of an ascending sort points up: Qt draws its descending indicator so.
    grid->horizontalHeader()->sectionClicked(2);
    QVERIFY(grid->horizontalHeader()->isSortIndicatorShown());
    QCOMPARE(grid->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
    QCOMPARE(shownLines(), QStringList({"9", "10", "1000", "1001", "123456789"}));
    QCOMPARE(model->headerData(0, Qt::Vertical).toString(), QString("3"));
    filter->setText("100");
    QTRY_COMPARE(shownLines(), QStringList({"1000", "1001"}));

    // Copying the selected rows: tab-separated, the headings first, as the grid shows them.
    grid->selectAll();
    const QString expected = "No.\tRecord Type\tLine\tColumn\tField Name\tMessage\tAccount\tPayee Name\n"
                             "4\t003\t1000\t10-34\tCredit Account No\tInvalid CREDIT account\t\t\n"
                             "5\t999\t1001\t4-9\tTotal No. of Debits\tdoes not match\t\t\n";
    QCOMPARE(form.SelectedRowsText(), expected);
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), expected);

    // Save writes the findings in the order the checks wrote them, whatever the view shows.
    dialogs.fileAnswers = {dir.filePath("errors.txt").toStdString()};
    RunToEnd(form, "btnSaveError");
    QCOMPARE(test::ReadAll(dir.filePath("errors.txt").toStdString()), inOrder);
    QCOMPARE(shownLines(), QStringList({"1000", "1001"})); // the view as it was

    // A second click sorts descending, a third returns to the findings' order.
    filter->clear();
    grid->horizontalHeader()->sectionClicked(2);
    QTRY_COMPARE(shownLines(), QStringList({"123456789", "1001", "1000", "10", "9"}));
    QCOMPARE(grid->horizontalHeader()->sortIndicatorOrder(), Qt::AscendingOrder);
    grid->horizontalHeader()->sectionClicked(2);
    QTRY_COMPARE(shownLines(), QStringList({"123456789", "10", "9", "1000", "1001", ""}));
    QVERIFY(!grid->horizontalHeader()->isSortIndicatorShown());
    QCOMPARE(count->text(), QString("5 findings"));
}

void TForm1Test::InspectorShowsTheRecordWithTheFindingsColumnsMarked()
{
    const std::string thai = "\xA1\xD2\xC3\xA4\xE9\xD2"; // ka sara-aa ro, kho mai-tho sara-aa
    const QString thaiShown = QString::fromUtf8("\u0E01\u0E32\u0E23\u0E04\u0E49\u0E32");
    const std::string credit = test::ValidCredit("DCP").Set(Credit::ReceivingBankName, thai);
    const struct
    {
        const char* name;
        std::string file;
        const char* findingField; // the finding to open: its Field Name, or its line
        std::pair<std::size_t, std::size_t> marked;
        const char* markedRow;    // the field listed first among those marked
        QString shownValue;       // a value the field list shows
    } kCases[] = {
        {"field", test::FileOf({test::ValidHeader(), test::ValidDebit("DCP"),
                                test::ValidCredit("DCP").Set(Credit::Amount, "00000000000ABCDE")
                                    .Set(Credit::ReceivingBankName, thai),
                                test::ValidTrailer()}),
         "Credit Amount", {35, 50}, "Credit Amount", thaiShown},
        {"record type", test::FileOf({test::ValidHeader(), "ABC " + thai}), "2", {1, 3}, "Record Type", thaiShown},
        {"record length", test::FileOf({test::ValidHeader(), credit + "12345"}), "2", {356, 360}, "(not a field)",
         thaiShown},
    };
    for (const auto& c : kCases) {
        ScriptedDialogs dialogs;
        QTemporaryDir dir;
        TForm1 form(&dialogs);
        form.State().SetClock(std::make_shared<FixedClock>(test::kToday));
        UseProgramFolder(form, dir);
        const QString payment = dir.filePath("pay.txt");
        std::ofstream(payment.toStdString(), std::ios::binary) << c.file;
        Control<QLineEdit>(form, "edtFileInput")->setText(payment);
        Control<QLineEdit>(form, "edtZip")->setText(dir.filePath("out.zip"));
        RunToEnd(form, "ToolButton3");
        QCOMPARE(dialogs.Texts().back(), std::string("Error Data !"));

        // The finding's row, opened with Enter.
        auto* grid = Control<QTableView>(form, "StringGrid1");
        int row = -1;
        for (int r = 0; r < grid->model()->rowCount() && row < 0; ++r)
            for (int col : {1, 2, 4})
                if (grid->model()->data(grid->model()->index(r, col)).toString() == c.findingField)
                    row = r;
        QVERIFY2(row >= 0, c.name);
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(row, 1));
        bool inspected = false;
        WhenModalOpens([&](QWidget* modal) {
            auto* inspector = qobject_cast<RecordInspector*>(modal);
            QVERIFY2(inspector, c.name);
            QCOMPARE(inspector->View().Marked(), c.marked);
            const QTableWidget& fields = inspector->FieldTable();
            const int selected = fields.currentRow();
            QVERIFY2(selected >= 0, c.name);
            QCOMPARE(fields.item(selected, 1)->text(), QString(c.markedRow));
            QCOMPARE(fields.item(selected, 2)->background().color(), QColor(255, 230, 120));
            bool shown = false;
            for (int r = 0; r < fields.rowCount(); ++r)
                shown = shown || fields.item(r, 2)->text().contains(c.shownValue);
            QVERIFY2(shown, c.name);
            inspected = true;
            inspector->reject();
        });
        QTest::keyClick(grid, Qt::Key_Return);
        QTRY_VERIFY2(inspected, c.name);
    }
}

void TForm1Test::EveryControlHasATipAndTheToolbarItsShortcuts()
{
    ScriptedDialogs dialogs;
    TForm1 form(&dialogs);
    int controls = 0;
    for (QWidget* w : form.findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
                             qobject_cast<QTableView*>(w) || qobject_cast<QProgressBar*>(w);
        if (!control || w->objectName().isEmpty() || w->objectName().startsWith("qt_"))
            continue;
        ++controls;
        QVERIFY2(!w->toolTip().isEmpty(), qPrintable(w->objectName()));
    }
    QVERIFY(controls >= 20);

    const struct
    {
        const char* name;
        QKeySequence key;
    } kShortcuts[] = {
        {"ToolButton1", QKeySequence(Qt::CTRL | Qt::Key_Q)}, {"ToolButton3", QKeySequence(Qt::CTRL | Qt::Key_G)},
        {"ToolButton4", QKeySequence(Qt::CTRL | Qt::Key_R)}, {"ToolButton5", QKeySequence(Qt::CTRL | Qt::Key_L)},
        {"MCLFee", QKeySequence(Qt::CTRL | Qt::Key_T)},      {"ToolButtonAbout", QKeySequence(Qt::Key_F1)},
        {"btnOpenFile", QKeySequence::Open},                 {"btnSaveError", QKeySequence::Save},
    };
    for (const auto& k : kShortcuts) {
        auto* button = Control<QAbstractButton>(form, k.name);
        QCOMPARE(Control<QShortcut>(form, qPrintable(QString(k.name) + "Shortcut"))->key(), k.key);
        QVERIFY2(button->toolTip().endsWith("(" + k.key.toString(QKeySequence::NativeText) + ")"), k.name);
    }
    // The toolbar's buttons take the focus from the keyboard and show it.
    for (const char* name : {"ToolButton1", "ToolButton3", "ToolButton4", "ToolButton5", "ToolButtonAbout"})
        QVERIFY2(Control<QWidget>(form, name)->focusPolicy() & Qt::TabFocus, name);
    QVERIFY(Control<QWidget>(form, "ToolBar1")->styleSheet().contains("QToolButton:focus"));

    // A shortcut does what its button does.
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    Control<QLineEdit>(form, "edtZip")->setText("/data/out.zip");
    QTest::keyClick(&form, Qt::Key_L, Qt::ControlModifier);
    QVERIFY(Text(form, "edtZip").isEmpty());
}

void TForm1Test::MessageBoxesCarryTheIconOfTheirKindAndAbortIsTheDefault()
{
    QtDialogs dialogs(nullptr);
    OnNextModal([](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box);
        QCOMPARE(box->icon(), QMessageBox::Information);
        box->accept();
    });
    dialogs.ShowMessage("Error data save success");

    OnNextModal([](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box);
        QCOMPARE(box->icon(), QMessageBox::Warning);
        QCOMPARE(box->defaultButton(), box->button(QMessageBox::Abort));
        QTest::keyClick(box, Qt::Key_Return);
    });
    QCOMPARE(dialogs.MessageDlg("There are some invalid Orvane Account.  Please choose action to do. ",
                                MsgKind::Warning, {MsgButton::Abort, MsgButton::Ignore}),
             MsgButton::Abort);

    // The confirmation to ignore them defaults to not ignoring: Enter answers Cancel.
    OnNextModal([](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box);
        QCOMPARE(box->icon(), QMessageBox::Question);
        QCOMPARE(box->defaultButton(), box->button(QMessageBox::Cancel));
        QTest::keyClick(box, Qt::Key_Return);
    });
    QCOMPARE(dialogs.MessageDlg("Please Confirm to Ignore invalid Orvane Account. ", MsgKind::Confirmation,
                                {MsgButton::Yes, MsgButton::Cancel}),
             MsgButton::Cancel);
}

void TForm1Test::SizePlaceFoldersAndRecentFilesAreRemembered()
{
    QTemporaryDir dir;
    WindowSettings().clear();
    const QString payment = dir.filePath("remembered.txt");
    std::ofstream(payment.toStdString()) << "001\r\n";
    {
        ScriptedDialogs dialogs;
        TForm1 form(&dialogs);
        QVERIFY(!form.RestoreGeometry()); // nothing remembered yet
        form.SetInputFile(payment);
        form.setGeometry(40, 50, 1100, 640);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.close();
    }
    ScriptedDialogs dialogs;
    TForm1 form(&dialogs);
    QVERIFY(form.RestoreGeometry());
    QCOMPARE(form.size(), QSize(1100, 640));

    // The recent files fill the box; the list can be emptied.
    QMenu* recent = Control<QToolButton>(form, "btnRecentFiles")->menu();
    QMetaObject::invokeMethod(recent, "aboutToShow");
    QAction* first = recent->actions().at(3); // after Save Masked Copy, Compare With and a line
    QCOMPARE(first->text(), QFileInfo(payment).absoluteFilePath());
    first->trigger();
    QCOMPARE(Text(form, "edtFileInput"), QFileInfo(payment).absoluteFilePath());
    recent->actions().back()->trigger(); // Clear this list
    QVERIFY(WindowSettings().RecentPaymentFiles().isEmpty());

    // Each file dialog opens in the folder it chose from last.
    QTemporaryDir zipFolder;
    QtDialogs fileDialogs(nullptr);
    const auto choose = [&](FileDialogKind kind, const QString& path) {
        OnNextModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            QVERIFY(dialog);
            Control<QLineEdit>(*dialog, "fileNameEdit")->setText(path); // typed
            static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
        });
        QCOMPARE(fileDialogs.RunFileDialog(kind), std::optional<std::string>(path.toStdString()));
    };
    choose(FileDialogKind::OpenPayment, payment);
    choose(FileDialogKind::SaveZip, zipFolder.filePath("out.zip"));
    const std::pair<FileDialogKind, QString> kFolders[] = {{FileDialogKind::OpenPayment, dir.path()},
                                                           {FileDialogKind::SaveZip, zipFolder.path()}};
    for (const auto& kindAndFolder : kFolders) {
        const QString folder = kindAndFolder.second;
        const FileDialogKind kind = kindAndFolder.first;
        OnNextModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            QVERIFY(dialog);
            QCOMPARE(dialog->directory().absolutePath(), QDir(folder).absolutePath());
            dialog->reject();
        });
        QVERIFY(!fileDialogs.RunFileDialog(kind));
    }
}

void TForm1Test::AboutBoxNamesTheVersionAndTheLibrariesLicences()
{
    ScriptedDialogs dialogs;
    TForm1 form(&dialogs);
    QString text;
    OnNextModal([&](QWidget* modal) {
        QCOMPARE(modal->objectName(), QString("AboutBox"));
        text = Control<QLabel>(*modal, "lblAbout")->text();
        static_cast<QDialog*>(modal)->reject();
    });
    Click(form, "ToolButtonAbout");
    QVERIFY(text.contains(QString("Tallivo ") + kVersion));
    for (const char* library : {"Qt", "SQLite", "libzip", "zlib", "Mustache", "Lesser General Public License",
                                "Boost Software License"})
        QVERIFY2(text.contains(library), library);
}

// Scripted dialogs that note what the status bar said when each message was shown.
class StatusNotingDialogs : public ScriptedDialogs
{
public:
    void ShowMessage(const std::string& text) override
    {
        if (window) {
            stageAtMessage.push_back(Control<QLabel>(*window, "lblStage")->text());
            barShownAtMessage.push_back(Control<QProgressBar>(*window, "progressBar")->isVisible());
        }
        ScriptedDialogs::ShowMessage(text);
    }

    const QWidget* window = nullptr;
    QStringList stageAtMessage;
    std::vector<bool> barShownAtMessage;
};

void TForm1Test::FilterIsEmptiedByClearFormAndByANewCheck()
{
    ScriptedDialogs dialogs;
    QTemporaryDir dir;
    TForm1 form(&dialogs);
    form.State().SetClock(std::make_shared<FixedClock>(test::kToday));
    UseProgramFolder(form, dir);
    auto* filter = Control<QLineEdit>(form, "edtFilter");
    auto* count = Control<QLabel>(form, "lblFindings");
    auto* model = Control<QTableView>(form, "StringGrid1")->model();

    // A file whose one finding is in its structure: a record of unknown type.
    const QString payment = dir.filePath("pay.txt");
    std::ofstream(payment.toStdString(), std::ios::binary) << test::FileOf({test::ValidHeader(), "ABC"});
    const auto check = [&] {
        Control<QLineEdit>(form, "edtFileInput")->setText(payment);
        Control<QLineEdit>(form, "edtZip")->setText(dir.filePath("out.zip"));
        RunToEnd(form, "ToolButton3");
        QCOMPARE(dialogs.Texts().back(), std::string("Error Data !"));
    };
    const auto narrow = [&] {
        filter->setText("Orvane");
        QTRY_COMPARE(count->text(), QString("0 of 1 finding shown"));
        QCOMPARE(model->rowCount(), 0);
    };

    check();
    narrow();
    Click(form, "ToolButton5"); // Clear Form
    QVERIFY(filter->text().isEmpty());
    QVERIFY(Control<QLabel>(form, "lblFindings")->text().isEmpty());

    check();
    narrow();
    check(); // the next check's findings are shown whole
    QVERIFY(filter->text().isEmpty());
    QCOMPARE(count->text(), QString("1 finding"));
    QCOMPARE(model->rowCount(), 2); // the finding and the grid's empty last row
    QTest::qWait(300);              // no filter comes back from a pending timer
    QCOMPARE(count->text(), QString("1 finding"));
}

void TForm1Test::ThaiRowIsHighEnoughForEveryGlyph()
{
    ScriptedDialogs dialogs;
    TForm1 form(&dialogs);
    CheckSession& s = form.State().session;
    s.SetUpErrorLayout();
    // Letters with marks above and below them, stacked: so daa sara-u, po sara-i mai-tho,
    // fo sara-ue mai-tri, do-chada sara-uu.
    const std::string thaiName = "\xCA\xD8\xB4\xD2 \xBB\xD4\xE9\xB9 \xBF\xD7\xEA \xAE\xD9";
    s.AddAccountError("003", "7", "35-50", "Credit Amount", "Amount should have 16 digits", "0011234567", thaiName);
    Click(form, "btnClearZip"); // any command shows the state again
    form.resize(1400, 600);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    auto* grid = Control<QTableView>(form, "StringGrid1");
    grid->clearSelection();
    grid->setCurrentIndex(QModelIndex());
    const QModelIndex cell = grid->model()->index(0, 7);
    const QString shown = grid->model()->data(cell).toString();
    QCOMPARE(shown, FromPaymentText(thaiName));
    grid->scrollTo(cell);
    const QRect rect = grid->visualRect(cell);
    QCOMPARE(grid->verticalHeader()->sectionSize(0), grid->rowHeight(0));

    // The dark pixels of the text as the cell shows it, and as drawn with room all round:
    // as many, so no mark is cut off at the top or the bottom of the row.
    const auto darkPixels = [](const QImage& image) {
        int dark = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                dark += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
        return dark;
    };
    const QImage inCell = grid->viewport()->grab(rect).toImage();
    QImage free(rect.width(), rect.height() * 4, QImage::Format_RGB32);
    free.fill(Qt::white);
    {
        QPainter painter(&free);
        painter.setFont(grid->font());
        painter.setPen(Qt::black);
        painter.drawText(QRect(0, rect.height(), rect.width(), rect.height() * 2), Qt::AlignLeft | Qt::AlignTop,
                         shown);
    }
    QVERIFY(darkPixels(free) > 0);
    QCOMPARE(darkPixels(inCell), darkPixels(free));
}

void TForm1Test::StatusBarSaysWhenCancelCannotStopAndHowTheCommandEnded()
{
    StatusNotingDialogs dialogs;
    SealSetup setup(dialogs);
    TForm1& form = setup.form;
    dialogs.window = &form;
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    auto* stage = Control<QLabel>(form, "lblStage");

    // The seal waits once its tables are in place: from there it runs to its end.
    const QString fifo = setup.dir.filePath("pause");
    QCOMPARE(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    qputenv("TALLIVO_TEST_PAUSE", "tables-written:" + fifo.toLocal8Bit());
    QSignalSpy finished(&form, &TForm1::CommandFinished);
    Click(form, "ToolButton3");
    const int fd = ::open(fifo.toLocal8Bit().constData(), O_WRONLY); // returns once the seal waits there
    QVERIFY(fd >= 0);
    QTRY_VERIFY(stage->text().endsWith(" - Cannot cancel now: the files are being put in place"));
    QVERIFY(!Enabled(form, "btnCancel"));
    QTest::keyClick(&form, Qt::Key_Escape);
    QCOMPARE(form.statusBar()->currentMessage(), QString("Cannot cancel now: the files are being put in place"));
    // Closing now asks nothing: the window says it closes when the seal has ended.
    form.close();
    QVERIFY(form.isVisible());
    QVERIFY(dialogs.shown.empty());
    QVERIFY(form.statusBar()->currentMessage().endsWith("The window closes when the command has ended"));
    ::close(fd);
    QVERIFY(finished.wait(20000));
    qunsetenv("TALLIVO_TEST_PAUSE");

    // When its last message opened, the status bar said how the seal ended, without a
    // progress bar; the window then closed.
    const std::string done =
        "Generate hash value and add file to " + setup.dir.filePath("out.zip").toStdString() + " completed";
    QCOMPARE(dialogs.Texts(), std::vector<std::string>{done});
    QCOMPARE(dialogs.stageAtMessage, QStringList{"Seal ended: " + QString::fromStdString(done)});
    QCOMPARE(dialogs.barShownAtMessage, std::vector<bool>{false});
    QTRY_VERIFY(!form.isVisible());
}

void TForm1Test::SealEmptiesTheLastHashAndCompanyIdAtItsStart()
{
    GatedDialogs dialogs("none");
    SealSetup setup(dialogs);
    TForm1& form = setup.form;
    form.show();
    RunToEnd(form, "ToolButton3");
    QCOMPARE(Text(form, "edtHashvalue").size(), 40);
    QVERIFY(Control<QLabel>(form, "Label4")->text().startsWith("Company ID : "));
    QCOMPARE(Control<QLabel>(form, "Label5")->text(), QString("PAYMENT DETAIL"));

    // The next seal, held at its first stage: nothing of the last one is shown.
    dialogs.GateAt("Checking record types");
    QSignalSpy finished(&form, &TForm1::CommandFinished);
    Click(form, "ToolButton3");
    QVERIFY(dialogs.WaitAtGate());
    QApplication::processEvents();
    QVERIFY(Text(form, "edtHashvalue").isEmpty());
    QVERIFY(Control<QLabel>(form, "Label4")->text().isEmpty());
    QVERIFY(Control<QLabel>(form, "Label5")->text().isEmpty());
    dialogs.Open();
    QVERIFY(finished.wait(20000));
}

void TForm1Test::ReportWarnsWhenTheCompanyIdComesFromAnotherFile()
{
    GatedDialogs dialogs("none");
    SealSetup setup(dialogs);
    TForm1& form = setup.form;
    form.show();
    // A seals; the tier-rate report checks B (it ends at its fee settings, which are
    // missing here, after B's checks have set the company id).
    RunToEnd(form, "ToolButton3");
    const QString other = setup.dir.filePath("other.txt");
    bench::GeneratorOptions options;
    options.targetBytes = 20 * 1024;
    options.seed = 7;
    bench::GeneratePaymentFile(other.toStdString(), options);
    Control<QLineEdit>(form, "edtFileInput")->setText(other);
    RunToEnd(form, "MCLFee");
    const std::size_t before = dialogs.shown.size();

    bool previewed = false;
    const auto report = [&](MsgButton answer) {
        dialogs.buttonAnswers.push_back(answer);
        previewed = false;
        if (answer == MsgButton::Yes)
            WhenModalOpens([&](QWidget* modal) {
                QVERIFY(qobject_cast<ReportPreview*>(modal));
                previewed = true;
                static_cast<QDialog*>(modal)->reject();
            });
        RunToEnd(form, "ToolButton4");
        const ScriptedDialogs::Shown& warning = dialogs.shown.back();
        QCOMPARE(warning.type, ScriptedDialogs::Shown::Type::Dialog);
        QCOMPARE(warning.kind, MsgKind::Warning);
        QVERIFY(warning.text.find(other.toStdString()) != std::string::npos);
        QVERIFY(warning.text.find(setup.dir.filePath("pay.txt").toStdString()) != std::string::npos);
    };
    report(MsgButton::No);
    QVERIFY(!previewed); // not printed
    report(MsgButton::Yes);
    QVERIFY(previewed); // printed as it stands
    QCOMPARE(dialogs.shown.size(), before + 2);

    // After a seal of the file whose company id is shown, Report asks nothing.
    Control<QLineEdit>(form, "edtFileInput")->setText(other);
    RunToEnd(form, "ToolButton3");
    previewed = false;
    WhenModalOpens([&](QWidget* modal) {
        previewed = true;
        static_cast<QDialog*>(modal)->reject();
    });
    const std::size_t sealed = dialogs.shown.size();
    RunToEnd(form, "ToolButton4");
    QVERIFY(previewed);
    QCOMPARE(dialogs.shown.size(), sealed);
}

void TForm1Test::ExitKeepsTheGeometryAndTypingStartsInFileName()
{
    WindowSettings().clear();
    {
        ScriptedDialogs dialogs;
        dialogs.buttonAnswers = {MsgButton::Yes};
        TForm1 form(&dialogs);
        form.setGeometry(60, 70, 1000, 620);
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        // Typing goes to File Name from the start.
        QCOMPARE(QApplication::focusWidget(), Control<QWidget>(form, "edtFileInput"));
        QTest::keyClicks(QApplication::focusWidget(), "pay.txt");
        QCOMPARE(Text(form, "edtFileInput"), QString("pay.txt"));
        QTest::keyClick(&form, Qt::Key_Q, Qt::ControlModifier); // Exit, answered Yes
        QCOMPARE(dialogs.Texts(), std::vector<std::string>{"Do you want to exit program?"});
    }
    ScriptedDialogs dialogs;
    TForm1 form(&dialogs);
    QVERIFY(form.RestoreGeometry());
    QCOMPARE(form.size(), QSize(1000, 620));
}

void TForm1Test::PaymentFileMenuOffersMaskAndCompareForAnExistingFile()
{
    QTemporaryDir dir;
    const QString payment = dir.filePath("pay.txt");
    std::ofstream(payment.toStdString()) << test::FileOf({test::ValidHeader(), test::ValidTrailer()});
    ScriptedDialogs dialogs;
    TForm1 form(&dialogs);
    const struct
    {
        QString box;
        bool enabled;
    } kCases[] = {{"", false}, {dir.filePath("missing.txt"), false}, {dir.path(), false}, {payment, true}};
    for (const auto& c : kCases) {
        Control<QLineEdit>(form, "edtFileInput")->setText(c.box);
        for (const char* name : {"actSaveMaskedCopy", "actCompareWith"})
            QVERIFY2(PaymentFileAction(form, name)->isEnabled() == c.enabled, qPrintable(c.box + " " + name));
    }
    // The entries come first, the recent files after them.
    const QList<QAction*> actions = Control<QToolButton>(form, "btnRecentFiles")->menu()->actions();
    QCOMPARE(actions[0]->text(), QString("Save Masked Copy..."));
    QCOMPARE(actions[1]->text(), QString("Compare With..."));
    QVERIFY(actions[2]->isSeparator());
}

void TForm1Test::MaskedCopyChecksTheSameAndARefusalWritesNothing()
{
    QTemporaryDir dir;
    test::IdentifyingFile file;
    file.credit.Set(Credit::Account, "3333333337"); // a wrong check digit: the check finds it
    const std::string original = file.Bytes();
    const std::string payment = dir.filePath("pay.txt").toStdString();
    std::ofstream(payment, std::ios::binary) << original;
    const std::string masked = dir.filePath("pay-masked.txt").toStdString();
    const auto fixedClock = std::make_shared<FixedClock>(test::kToday);

    {
        // The copy is written on the worker, its progress shown, the Open arrow disabled.
        GatedDialogs dialogs("Masking");
        dialogs.fileAnswers = {masked};
        TForm1 form(&dialogs);
        form.State().SetClock(fixedClock);
        Control<QLineEdit>(form, "edtFileInput")->setText(QString::fromStdString(payment));
        QSignalSpy finished(&form, &TForm1::CommandFinished);
        PaymentFileAction(form, "actSaveMaskedCopy")->trigger();
        QVERIFY(dialogs.WaitAtGate());
        QVERIFY(!Enabled(form, "btnRecentFiles"));
        QTRY_VERIFY(Control<QLabel>(form, "lblStage")->text().startsWith("Masking"));
        dialogs.Open();
        QVERIFY(finished.wait(20000));
        QCOMPARE(dialogs.offeredPaths, std::vector<std::string>{masked});
        QCOMPARE(dialogs.fileDialogsRun, std::vector<FileDialogKind>{FileDialogKind::SaveText});
        QCOMPARE(dialogs.Texts(), std::vector<std::string>{"Masked copy written to " + masked});
        QVERIFY(Control<QLabel>(form, "lblStage")->text().contains(QString::fromStdString(masked)));
    }
    const std::string copy = test::ReadAll(masked);
    QVERIFY(copy != original);
    const test::Examined before = test::Examine(original);
    QVERIFY(!before.findings.empty());
    QVERIFY(test::Examine(copy) == before);
    std::filesystem::remove(masked);

    const std::string link = dir.filePath("link.txt").toStdString();
    const std::string hard = dir.filePath("hard.txt").toStdString();
    const std::string pipe = dir.filePath("pipe.txt").toStdString();
    std::filesystem::create_symlink(payment, link);
    std::filesystem::create_hard_link(payment, hard);
    QCOMPARE(::mkfifo(pipe.c_str(), 0600), 0);
    const struct
    {
        std::string input;
        std::optional<std::string> output; // the Save dialog's answer; nothing: not asked
        std::string message;
    } kRefused[] = {
        {payment, payment, "Cannot write " + payment + ": it is the payment file"},
        {payment, link, "Cannot write " + link + ": it is the payment file"},
        {payment, hard, "Cannot write " + hard + ": it is the payment file"},
        {payment, std::string("/dev/null"), "Cannot write /dev/null: it is not a regular file"},
        {pipe, std::nullopt, "Cannot read " + pipe + ": it is not a regular file"},
        {"", std::nullopt, "Input File does not exist"},
    };
    const auto files = Snapshot(dir.path());
    for (const auto& c : kRefused) {
        ScriptedDialogs dialogs;
        dialogs.fileAnswers = {c.output};
        TForm1 form(&dialogs);
        Control<QLineEdit>(form, "edtFileInput")->setText(QString::fromStdString(c.input));
        QSignalSpy finished(&form, &TForm1::CommandFinished);
        form.SaveMaskedCopyClick();
        if (form.CommandRunning())
            QVERIFY(finished.wait(20000));
        QCOMPARE(dialogs.Texts(), std::vector<std::string>{c.message});
        QCOMPARE(dialogs.fileDialogsRun.size(), c.output ? 1u : 0u);
        QVERIFY(Snapshot(dir.path()) == files);
        QVERIFY(!std::filesystem::exists(masked));
    }
}

void TForm1Test::CompareShowsEachChangedFieldAndTheCreditTotals()
{
    QTemporaryDir dir;
    const test::Rec header = test::ValidHeader();
    const test::Rec debit = test::ValidDebit("DCP");
    test::Rec credit = test::ValidCredit("DCP");
    test::Rec payee = test::ValidPayee().Set(Payee::NameThai, test::kThaiName);
    const test::Rec trailer = test::ValidTrailer();
    const std::string old = dir.filePath("old.txt").toStdString();
    std::ofstream(old, std::ios::binary) << test::FileOf({header, debit, credit, payee, trailer});
    const test::Rec added =
        test::ValidCredit("DCP").Set(Credit::SequenceNumber, "000002").Set(Credit::Amount, "0000000002000000");
    const test::Rec addedPayee = test::ValidPayee().Set(Payee::SequenceNumber, "000002");
    credit.Set(Credit::Amount, "0000000001250000");
    payee.Set(Payee::NameThai, test::kThaiName2);
    const std::string changed = dir.filePath("new.txt").toStdString();
    std::ofstream(changed, std::ios::binary)
        << test::FileOf({header, debit, credit, payee, added, addedPayee, trailer});
    const std::string pipe = dir.filePath("pipe.txt").toStdString();
    QCOMPARE(::mkfifo(pipe.c_str(), 0600), 0);

    ScriptedDialogs dialogs;
    dialogs.fileAnswers = {changed, old, pipe};
    TForm1 form(&dialogs);
    Control<QLineEdit>(form, "edtFileInput")->setText(QString::fromStdString(old));
    QSignalSpy finished(&form, &TForm1::CommandFinished);
    PaymentFileAction(form, "actCompareWith")->trigger();
    QVERIFY(finished.wait(20000));
    QCOMPARE(dialogs.fileDialogsRun, std::vector<FileDialogKind>{FileDialogKind::OpenPayment});
    QVERIFY(dialogs.Texts().empty());

    QPointer<ComparisonView> view = form.ComparisonShown();
    QVERIFY(view);
    // Thai as the grid decodes it: the names above in the file's single-byte code page.
    const QString thai =
        QString::fromUtf16(u"\u0E2A\u0E21\u0E2A\u0E38\u0E17\u0E18\u0E34\u0E4C \u0E43\u0E08\u0E14\u0E35");
    const QString thai2 =
        QString::fromUtf16(u"\u0E1B\u0E23\u0E30\u0E40\u0E2A\u0E23\u0E34\u0E10 \u0E27\u0E07\u0E28\u0E4C");
    QCOMPARE(TableRows(*view, "tblComparison"),
             (std::vector<QStringList>{
                 {"changed", "003", "3", "3", "Credit Amount", "35-50", "0000000001000000", "0000000001250000"},
                 {"changed", "004", "4", "4", "Payee1 Name(Thai)", "33-132", thai, thai2},
                 {"added", "003", "", "5", "", "", "", ""},
                 {"added", "004", "", "6", "", "", "", ""},
             }));
    QCOMPARE(TableRows(*view, "tblComparisonTotals"),
             (std::vector<QStringList>{{"DCP", "20250120", "1", "1000.00", "2", "3250.00", "+1", "+2250.00"}}));
    QCOMPARE(Control<QLabel>(*view, "lblComparisonSummary")->text(), QString("4 changes."));
    QVERIFY(Control<QLabel>(form, "lblStage")->text().contains("4 changes."));
    // The comparison stands beside the window, which goes on taking commands.
    QVERIFY(!view->isModal());
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(Enabled(form, "ToolBar1") && Enabled(form, "btnRecentFiles"));

    // Another comparison takes its place; equal files show no row and no difference.
    PaymentFileAction(form, "actCompareWith")->trigger();
    QVERIFY(finished.wait(20000));
    QTRY_VERIFY(!view);
    view = form.ComparisonShown();
    QVERIFY(view);
    QVERIFY(TableRows(*view, "tblComparison").empty());
    QCOMPARE(TableRows(*view, "tblComparisonTotals"),
             (std::vector<QStringList>{{"DCP", "20250120", "1", "1000.00", "1", "1000.00", "0", "0.00"}}));
    QCOMPARE(Control<QLabel>(*view, "lblComparisonSummary")->text(), QString("The files are equal."));
    Click(*view, "btnCloseComparison");
    QTRY_VERIFY(!view);

    // A file that a read would wait on is refused, and nothing is shown.
    PaymentFileAction(form, "actCompareWith")->trigger();
    QVERIFY(finished.wait(20000));
    QCOMPARE(dialogs.Texts(), std::vector<std::string>{"Cannot read " + pipe + ": it is not a regular file"});
    QVERIFY(!form.ComparisonShown());
}

QTEST_MAIN(TForm1Test)
#include "TForm1Test.moc"
