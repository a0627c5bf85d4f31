#include "gui/PreviewViewer.h"

namespace tallivo {

void PreviewViewer::Show(const ReportDocument&)
{
}

} // namespace tallivo
