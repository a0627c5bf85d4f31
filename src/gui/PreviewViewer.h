#pragma once
// Shows a report in the preview (gui/ReportPreview.h), from which the user prints it or
// saves it as PDF. The preview is modal to the window; the report's memory is given
// back when it closes.
#include "app/ReportCommands.h"

#include <memory>

class QWidget;

namespace tallivo {

class PagedReport;

class PreviewViewer : public ReportViewer
{
public:
    explicit PreviewViewer(QWidget* parent) : m_parent(parent) {}
    // Prepares the document and previews it.
    void Show(const ReportDocument& document) override;
    // Previews a report prepared already (by a command on the worker); returns when the
    // preview is closed.
    void ShowPrepared(std::unique_ptr<PagedReport> report);

private:
    QWidget* m_parent;
};

} // namespace tallivo
