// The report's output devices: its pages painted onto a printer or a PDF writer one at a
// time, and the PDF file written in place of the old one only once it is complete.
#include "render/ReportOutput.h"

#include "common/AppError.h"
#include "common/CommandProgress.h"
#include "common/ReplacingFile.h"
#include "render/PagedReport.h"

#include <QIODevice>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <exception>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace tallivo {

namespace {

// While pages are printed, the heap keeps the blocks it is given back. Qt's PDF engine
// takes two blocks of 10 MB for each page it compresses and gives them back at once; left
// to itself, the C library hands such blocks to the system and takes them again for the
// next page, each time at the cost of fresh zeroed memory pages (a fifth of the time of a
// large report). Its first settings (blocks from 128 KiB to the system) are set again once
// the pages are done.
class HeapKeptForPages
{
public:
    HeapKeptForPages()
    {
#ifdef __GLIBC__
        mallopt(M_MMAP_THRESHOLD, kBlock);
        mallopt(M_TRIM_THRESHOLD, 2 * kBlock);
#endif
    }
    ~HeapKeptForPages()
    {
#ifdef __GLIBC__
        mallopt(M_MMAP_THRESHOLD, kDefault);
        mallopt(M_TRIM_THRESHOLD, kDefault);
#endif
    }
    HeapKeptForPages(const HeapKeptForPages&) = delete;
    HeapKeptForPages& operator=(const HeapKeptForPages&) = delete;

private:
    static constexpr int kBlock = 32 << 20; // the largest block the heap may serve itself
    static constexpr int kDefault = 128 << 10;
};

} // namespace

bool PrintReport(const PagedReport& report, QPagedPaintDevice& device, const PageProgress& onPage)
{
    const HeapKeptForPages heap;
    QPainter painter;
    if (!painter.begin(&device))
        throw AppError(AppError::Kind::File, "The report could not be printed");
    const double scale = device.logicalDpiX() / static_cast<double>(PagedReport::kDpi);
    const int pages = report.PageCount();
    for (int page = 0; page < pages; ++page) {
        if (onPage) {
            if (!onPage(page, pages)) {
                painter.end();
                return false;
            }
        } else {
            progress::Share(static_cast<double>(page) / pages);
        }
        if (page > 0)
            device.newPage();
        painter.save();
        painter.scale(scale, scale);
        report.PaintPage(painter, page);
        painter.restore();
    }
    painter.end();
    return true;
}

namespace {

// A write-only device that streams the PDF writer's bytes into the replacing file.
class ReplacingFileDevice : public QIODevice
{
public:
    explicit ReplacingFileDevice(ReplacingFile& file) : m_file(file) { open(QIODevice::WriteOnly); }

    void RaiseError() const
    {
        if (m_error)
            std::rethrow_exception(m_error);
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override
    {
        // A write error must not unwind through Qt's PDF engine: it is kept and
        // raised once the engine has returned.
        if (m_error)
            return -1;
        try {
            m_file.Write(data, static_cast<std::size_t>(size));
        } catch (...) {
            m_error = std::current_exception();
            return -1;
        }
        return size;
    }

private:
    ReplacingFile& m_file;
    std::exception_ptr m_error;
};

} // namespace

bool WriteReportPdf(const PagedReport& report, const std::string& path, const PageProgress& onPage)
{
    ReplacingFile file(path); // raises the file error before any work when the target cannot be written
    ReplacingFileDevice device(file);
    bool complete = false;
    {
        QPdfWriter writer(&device);
        writer.setCreator(QStringLiteral("Tallivo"));
        writer.setResolution(PagedReport::kDpi);
        writer.setPageLayout(PagedReport::PageLayout());
        complete = PrintReport(report, writer, onPage);
    }
    device.RaiseError();
    if (complete)
        file.Commit();
    return complete;
}

} // namespace tallivo
