#pragma once
// Shows a prepared report document in Qt's print preview, from which the user prints
// it or saves it as PDF.
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
