#pragma once
// The report preview: the pages of a prepared report one under the other, each laid out
// and painted only when it comes into view (a few are kept), with the page number, zoom,
// printing and saving as PDF page by page. Modal to the window that opens it; the report
// and its pages are given back when it closes.
#include <QAbstractScrollArea>
#include <QDialog>

#include <list>
#include <memory>
#include <utility>

class QLabel;
class QSpinBox;

namespace tallivo {

class PagedReport;

// The pages, scrolled vertically; zoom is screen pixels per dot of the layout.
class PageView : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit PageView(const PagedReport& report, QWidget* parent = nullptr);

    int CurrentPage() const;
    void ShowPage(int page);
    double Zoom() const { return m_zoom; }
    void SetZoom(double zoom);
    void FitWidth();
    // How many pages have been laid out since the view was made (each at most once while
    // it stays among the kept ones).
    int PagesLaidOut() const { return m_laidOut; }

signals:
    void CurrentPageChanged(int page);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    QSize PagePixels() const;
    int PageTop(int page) const;
    const QImage& PageImage(int page);
    void UpdateScrollBars();

    const PagedReport& m_report;
    double m_zoom = 0.3;
    bool m_fitWidth = true;
    int m_laidOut = 0;
    int m_lastCurrent = -1;
    std::list<std::pair<int, QImage>> m_kept; // most recently shown first
};

class ReportPreview : public QDialog
{
    Q_OBJECT
public:
    ReportPreview(std::unique_ptr<PagedReport> report, QWidget* parent);
    ~ReportPreview() override;

    const PagedReport& Report() const { return *m_report; }
    PageView& View() { return *m_view; }

    // Saves the report as PDF to the path, page by page with a progress dialog, and says
    // where it wrote it below the pages; false when cancelled or failed (a failure is
    // shown).
    bool SavePdf(const QString& path);
    // What Save as PDF offers: "<payment file>-report.pdf" in the payment file's folder,
    // or in the folder last saved to when the report names no payment file.
    QString SuggestedPdfPath() const;

private:
    void Print();
    void AskAndSavePdf();

    std::unique_ptr<PagedReport> m_report;
    PageView* m_view = nullptr;
    QSpinBox* m_page = nullptr;
    QLabel* m_saved = nullptr;
};

} // namespace tallivo
