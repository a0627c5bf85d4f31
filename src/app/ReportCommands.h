#pragma once
// The report stages of the seal command and the payment reports. The commands prepare
// a ReportDocument (templates, variables, table rows) without any Qt; the front end
// shows it through a ReportViewer (the window: print preview; the CLI: PDF).
#include "app/AppState.h"
#include "format/PaymentFileReader.h"
#include "reports/ReportDocument.h"

namespace tallivo {

class ReportViewer
{
public:
    virtual ~ReportViewer() = default;
    virtual void Show(const ReportDocument& document) = 0;
};

// Turns the result grid into the payment summary and fills the detail table, reading
// the payment file's lines in the given form.
void BuildPaymentSummary(AppState& app, LineForm form = LineForm::AsInFile);
// Copies the summary lines of the grid into the report table.
void FillReportTable(AppState& app);
// After a seal of this run has built the summary, shows the payment and payment detail
// reports (or the direct-debit report). True when a document was shown. Prints only what
// this run's last seal put in the report tables: when another run has written them
// since, raises AppError(Store) naming the table folder instead.
bool ShowPaymentReports(AppState& app, ReportViewer& viewer);

} // namespace tallivo
