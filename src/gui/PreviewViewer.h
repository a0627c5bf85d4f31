#pragma once
// Shows a prepared report document to the user. Until the report renderer exists
// it shows nothing; the window only talks to it through ReportViewer.
#include "app/ReportCommands.h"

class QWidget;

namespace tallivo {

class PreviewViewer : public ReportViewer
{
public:
    explicit PreviewViewer(QWidget* parent) : m_parent(parent) {}
    void Show(const ReportDocument& document) override;

private:
    QWidget* m_parent;
};

} // namespace tallivo
