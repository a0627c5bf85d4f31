#pragma once
// The report stages of the seal command and the payment reports. The commands prepare
// a ReportDocument (templates, variables, table rows) without any Qt; the front end
// shows it through a ReportViewer (the window: print preview; the CLI: PDF).
#include "app/AppState.h"
#include "format/PaymentFileReader.h"

#include <memory>
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

// The payment summary and its detail table made ahead, while a seal checks the payment
// file: on a thread and a table store connection of its own, inside one transaction that
// stays open until the seal reaches its summary stage. Dropped before, it undoes the
// transaction and the table files stay as they were. The caller holds the table files
// (TablesLock) for as long as it lives.
class SummaryAhead
{
public:
    // Starts reading app.inputPath in the given form.
    SummaryAhead(AppState& app, LineForm form);
    ~SummaryAhead();
    SummaryAhead(const SummaryAhead&) = delete;
    SummaryAhead& operator=(const SummaryAhead&) = delete;

    // The seal's summary stage: when the summary made ahead is the one BuildPaymentSummary
    // would make now (a credit-transfer file, read through without an error), puts it in
    // place as BuildPaymentSummary would and returns true. Otherwise does nothing and
    // returns false: the caller builds the summary itself.
    bool PutInPlace(AppState& app);

private:
    struct Made;
    std::unique_ptr<Made> m_made;
};
// After a seal of this run has built the summary, shows the payment and payment detail
// reports (or the direct-debit report). True when a document was shown. Prints only what
// this run's last seal put in the report tables: when another run has written them
// since, raises AppError(Store) naming the table folder instead.
bool ShowPaymentReports(AppState& app, ReportViewer& viewer);

} // namespace tallivo
