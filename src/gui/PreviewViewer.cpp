#include "gui/PreviewViewer.h"

#include "render/ReportRenderer.h"

#include <QApplication>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTextDocument>

namespace tallivo {

void PreviewViewer::Show(const ReportDocument& document)
{
    // The document is built before the preview opens, so a template or variable error
    // reaches the general error handler instead of arising inside the paint signal.
    const std::unique_ptr<QTextDocument> text = BuildTextDocument(document);
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    QPrintPreviewDialog preview(&printer, m_parent);
    preview.setWindowTitle("Report");
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested,
                     [&text](QPrinter* target) { PaintDocument(*target, *text); });
    // The long-command wait cursor must not cover the preview the user works in.
    const bool waitCursor = QApplication::overrideCursor() != nullptr;
    if (waitCursor)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    // A size to fall back on where the window manager does not maximize.
    preview.resize(1000, 800);
    preview.showMaximized();
    preview.exec();
    if (waitCursor)
        QApplication::restoreOverrideCursor();
}

} // namespace tallivo
