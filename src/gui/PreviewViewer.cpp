#include "gui/PreviewViewer.h"

#include "gui/ReportPreview.h"
#include "render/PagedReport.h"

#include <QApplication>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace tallivo {

void PreviewViewer::Show(const ReportDocument& document)
{
    // Prepared before the preview opens, so a template or variable error reaches the
    // general error handler.
    ShowPrepared(std::make_unique<PagedReport>(document));
}

void PreviewViewer::ShowPrepared(std::unique_ptr<PagedReport> report)
{
    {
        ReportPreview preview(std::move(report), m_parent);
        // A size to fall back on where the window manager does not maximize.
        preview.resize(1000, 800);
        preview.showMaximized();
        preview.exec();
    }
    // The report's rows and pages are freed with the preview; hand the freed memory back
    // to the system rather than keeping it for later allocations.
#if defined(__GLIBC__)
    ::malloc_trim(0);
#endif
}

} // namespace tallivo
