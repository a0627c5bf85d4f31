#include "gui/ReportPreview.h"

#include "gui/WindowSettings.h"
#include "render/PagedReport.h"
#include "render/ReportOutput.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPaintEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <exception>

namespace tallivo {

namespace {

constexpr int kGap = 16;        // pixels around and between the pages
constexpr std::size_t kKeptPages = 6;
constexpr double kMinZoom = 0.05;
constexpr double kMaxZoom = 2.0;

// The whole A4 sheet in dots, and where the paint area starts on it.
QSizeF SheetDots()
{
    const QSizeF mm = PagedReport::PageLayout().fullRect(QPageLayout::Millimeter).size();
    return mm / 25.4 * PagedReport::kDpi;
}

QPointF PaintAreaOffsetDots()
{
    const QPointF mm = PagedReport::PageLayout().paintRect(QPageLayout::Millimeter).topLeft();
    return mm / 25.4 * PagedReport::kDpi;
}

} // namespace

PageView::PageView(const PagedReport& report, QWidget* parent) : QAbstractScrollArea(parent), m_report(report)
{
    setObjectName("PageView");
    viewport()->setAutoFillBackground(false);
    verticalScrollBar()->setSingleStep(40);
    setFocusPolicy(Qt::StrongFocus);
}

QSize PageView::PagePixels() const
{
    const QSizeF sheet = SheetDots() * m_zoom;
    return QSize(static_cast<int>(std::lround(sheet.width())), static_cast<int>(std::lround(sheet.height())));
}

int PageView::PageTop(int page) const
{
    return kGap + page * (PagePixels().height() + kGap);
}

int PageView::CurrentPage() const
{
    const int at = verticalScrollBar()->value() + viewport()->height() / 3;
    const int page = (at - kGap / 2) / (PagePixels().height() + kGap);
    return std::clamp(page, 0, std::max(0, m_report.PageCount() - 1));
}

void PageView::ShowPage(int page)
{
    verticalScrollBar()->setValue(PageTop(std::clamp(page, 0, std::max(0, m_report.PageCount() - 1))) - kGap / 2);
}

void PageView::SetZoom(double zoom)
{
    const int page = CurrentPage();
    m_fitWidth = false;
    m_zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    m_kept.clear();
    UpdateScrollBars();
    ShowPage(page);
    viewport()->update();
}

void PageView::FitWidth()
{
    const int page = CurrentPage();
    m_fitWidth = true;
    const double width = std::max(100, viewport()->width() - 2 * kGap);
    m_zoom = std::clamp(width / SheetDots().width(), kMinZoom, kMaxZoom);
    m_kept.clear();
    UpdateScrollBars();
    ShowPage(page);
    viewport()->update();
}

void PageView::UpdateScrollBars()
{
    const QSize page = PagePixels();
    const int total = kGap + m_report.PageCount() * (page.height() + kGap);
    verticalScrollBar()->setRange(0, std::max(0, total - viewport()->height()));
    verticalScrollBar()->setPageStep(viewport()->height());
    horizontalScrollBar()->setRange(0, std::max(0, page.width() + 2 * kGap - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
}

const QImage& PageView::PageImage(int page)
{
    for (auto it = m_kept.begin(); it != m_kept.end(); ++it)
        if (it->first == page) {
            m_kept.splice(m_kept.begin(), m_kept, it);
            return m_kept.front().second;
        }
    const qreal ratio = devicePixelRatioF();
    QImage image(PagePixels() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
        painter.scale(m_zoom, m_zoom);
        painter.translate(PaintAreaOffsetDots());
        try {
            m_report.PaintPage(painter, page);
        } catch (const std::exception& e) {
            // A page that cannot be made says so on the page instead of ending the preview.
            painter.resetTransform();
            painter.setPen(Qt::red);
            painter.drawText(image.rect(), Qt::AlignCenter | Qt::TextWordWrap, QString::fromLocal8Bit(e.what()));
        }
    }
    ++m_laidOut;
    m_kept.emplace_front(page, std::move(image));
    if (m_kept.size() > kKeptPages)
        m_kept.pop_back();
    return m_kept.front().second;
}

void PageView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), QColor(128, 128, 128));
    const int pages = m_report.PageCount();
    if (pages == 0)
        return;
    const QSize size = PagePixels();
    const int top = verticalScrollBar()->value();
    const int left = std::max(kGap, (viewport()->width() - size.width()) / 2) - horizontalScrollBar()->value();
    const int first = std::max(0, (top - kGap) / (size.height() + kGap));
    for (int page = first; page < pages; ++page) {
        const int y = PageTop(page) - top;
        if (y > viewport()->height())
            break;
        const QRect rect(QPoint(left, y), size);
        painter.fillRect(rect.translated(3, 3), QColor(60, 60, 60));
        painter.drawImage(rect.topLeft(), PageImage(page));
    }
    const int current = CurrentPage();
    if (current != m_lastCurrent) {
        m_lastCurrent = current;
        emit CurrentPageChanged(current);
    }
}

void PageView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (m_fitWidth) {
        const int page = CurrentPage();
        const double width = std::max(100, viewport()->width() - 2 * kGap);
        const double zoom = std::clamp(width / SheetDots().width(), kMinZoom, kMaxZoom);
        if (std::abs(zoom - m_zoom) > 1e-3) {
            m_zoom = zoom;
            m_kept.clear();
        }
        UpdateScrollBars();
        ShowPage(page);
    } else {
        UpdateScrollBars();
    }
}

void PageView::scrollContentsBy(int, int)
{
    viewport()->update();
}

ReportPreview::ReportPreview(std::unique_ptr<PagedReport> report, QWidget* parent)
    : QDialog(parent), m_report(std::move(report))
{
    setObjectName("ReportPreview");
    setWindowTitle("Report");
    setWindowModality(Qt::ApplicationModal);
    setSizeGripEnabled(true);

    auto* tools = new QToolBar(this);
    tools->setObjectName("PreviewTools");
    tools->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    const auto add = [&](const char* name, const QString& text, const QIcon& icon, const QKeySequence& key,
                         const QString& tip, auto handler) {
        auto* action = tools->addAction(icon, text);
        action->setObjectName(name);
        action->setShortcut(key);
        action->setToolTip(key.isEmpty() ? tip : tip + " (" + key.toString(QKeySequence::NativeText) + ")");
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    add("actPrint", "Print...", QIcon::fromTheme("document-print"), QKeySequence::Print, "Print the report",
        [this] { Print(); });
    add("actSavePdf", "Save as PDF...", QIcon::fromTheme("document-save-as", style()->standardIcon(QStyle::SP_DialogSaveButton)),
        QKeySequence::Save, "Save the report as a PDF file", [this] { AskAndSavePdf(); });
    tools->addSeparator();

    m_view = new PageView(*m_report, this);
    add("actFirstPage", "First", style()->standardIcon(QStyle::SP_MediaSkipBackward), QKeySequence(Qt::CTRL | Qt::Key_Home),
        "First page", [this] { m_view->ShowPage(0); });
    add("actPreviousPage", "Previous", style()->standardIcon(QStyle::SP_ArrowUp), QKeySequence(Qt::Key_PageUp),
        "Previous page", [this] { m_view->ShowPage(m_view->CurrentPage() - 1); });
    m_page = new QSpinBox(this);
    m_page->setObjectName("spnPage");
    m_page->setRange(1, std::max(1, m_report->PageCount()));
    m_page->setToolTip("The page shown; type a page number to go to it");
    tools->addWidget(m_page);
    auto* of = new QLabel(QStringLiteral(" of %1 ").arg(m_report->PageCount()), this);
    of->setObjectName("lblPageCount");
    tools->addWidget(of);
    add("actNextPage", "Next", style()->standardIcon(QStyle::SP_ArrowDown), QKeySequence(Qt::Key_PageDown), "Next page",
        [this] { m_view->ShowPage(m_view->CurrentPage() + 1); });
    add("actLastPage", "Last", style()->standardIcon(QStyle::SP_MediaSkipForward), QKeySequence(Qt::CTRL | Qt::Key_End),
        "Last page", [this] { m_view->ShowPage(m_report->PageCount() - 1); });
    tools->addSeparator();
    add("actZoomOut", "Zoom out", QIcon::fromTheme("zoom-out"), QKeySequence::ZoomOut, "Make the pages smaller",
        [this] { m_view->SetZoom(m_view->Zoom() / 1.25); });
    add("actZoomIn", "Zoom in", QIcon::fromTheme("zoom-in"), QKeySequence::ZoomIn, "Make the pages larger",
        [this] { m_view->SetZoom(m_view->Zoom() * 1.25); });
    add("actFitWidth", "Fit width", QIcon::fromTheme("zoom-fit-width"), QKeySequence(Qt::CTRL | Qt::Key_0),
        "Make the pages as wide as the window", [this] { m_view->FitWidth(); });

    // A typed page number is gone to when it is complete: on Enter, which only goes to
    // the page (the preview has no default button to press), or when the box loses focus.
    m_page->setKeyboardTracking(false);
    const auto goToTyped = [this] {
        if (m_page->value() - 1 != m_view->CurrentPage())
            m_view->ShowPage(m_page->value() - 1);
    };
    connect(m_page, &QSpinBox::valueChanged, this, goToTyped);
    connect(m_page, &QSpinBox::editingFinished, this, goToTyped);
    connect(m_view, &PageView::CurrentPageChanged, this, [this](int page) {
        const QSignalBlocker block(m_page);
        m_page->setValue(page + 1);
    });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* close = buttons->button(QDialogButtonBox::Close);
    close->setToolTip("Close the preview (Esc)");
    close->setAutoDefault(false);
    close->setDefault(false);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    m_saved = new QLabel(this);
    m_saved->setObjectName("lblSaved");
    m_saved->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* foot = new QHBoxLayout;
    foot->setContentsMargins(9, 0, 9, 0);
    foot->addWidget(m_saved, 1);
    foot->addWidget(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 6);
    layout->addWidget(tools);
    layout->addWidget(m_view, 1);
    layout->addLayout(foot);
    m_view->setFocus();
}

ReportPreview::~ReportPreview()
{
    // The page box loses its focus while the dialog's children are destroyed: its
    // editingFinished must not reach a preview that is half gone.
    m_page->disconnect(this);
}

void ReportPreview::Print()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(PagedReport::PageLayout());
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QProgressDialog progress("Printing the report...", "Cancel", 0, m_report->PageCount(), this);
    progress.setWindowTitle("Report");
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    try {
        PrintReport(*m_report, printer, [&progress](int done, int) {
            progress.setValue(done);
            return !progress.wasCanceled();
        });
    } catch (const std::exception& e) {
        QMessageBox::critical(this, "Report", QString::fromLocal8Bit(e.what()));
    }
}

QString ReportPreview::SuggestedPdfPath() const
{
    const QString payment = QFile::decodeName(QByteArray::fromStdString(m_report->PaymentFile()));
    const QString name = QFileInfo(payment).completeBaseName();
    if (payment.isEmpty() || name.isEmpty())
        return WindowSettings().value("folders/pdf").toString();
    return QFileInfo(payment).absoluteDir().filePath(name + "-report.pdf");
}

void ReportPreview::AskAndSavePdf()
{
    WindowSettings settings;
    const QString path = QFileDialog::getSaveFileName(this, "Save as PDF", SuggestedPdfPath(), "PDF File (*.pdf)");
    if (path.isEmpty())
        return;
    settings.setValue("folders/pdf", QFileInfo(path).absolutePath());
    SavePdf(path.endsWith(".pdf", Qt::CaseInsensitive) ? path : path + ".pdf");
}

bool ReportPreview::SavePdf(const QString& path)
{
    QProgressDialog progress("Writing the PDF file...", "Cancel", 0, m_report->PageCount(), this);
    progress.setWindowTitle("Report");
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    try {
        const bool done = WriteReportPdf(*m_report, QFile::encodeName(path).toStdString(), [&progress](int pages, int) {
            progress.setValue(pages);
            return !progress.wasCanceled();
        });
        progress.setValue(m_report->PageCount());
        if (done)
            m_saved->setText("Saved as " + QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
        return done;
    } catch (const std::exception& e) {
        progress.cancel();
        QMessageBox::critical(this, "Report", QString::fromLocal8Bit(e.what()));
        return false;
    }
}

} // namespace tallivo
