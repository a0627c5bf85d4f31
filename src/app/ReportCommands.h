#pragma once
// The report stages of the seal command and the payment reports. The commands prepare
// a ReportDocument (templates, variables, table rows) without any Qt; the front end
// shows it through a ReportViewer (the window: print preview; the CLI: PDF).
#include "app/AppState.h"
#include "common/WorkAhead.h"
#include "format/PaymentFileReader.h"

#include <atomic>
#include <cstdint>
#include <functional>

#include "reports/ReportDocument.h"
#include <memory>

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

// The report tables as a seal writes them: the payment summary's detail rows and the
// report table, inside one transaction on a table connection of their own that stays
// open until the seal commits it, with the rest of what it puts in place. Dropped
// uncommitted, the transaction is undone and the table files stay as they were. The
// caller holds the table files (TablesLock) while a transaction is open.
class SealReportTables
{
public:
    // Starts the credit-transfer summary on lines of its own (a read of the held payment
    // file), on a thread of its own (common/WorkAhead.h); without them, Write makes it.
    SealReportTables(AppState& app, std::unique_ptr<LineSource> lines);
    ~SealReportTables();
    SealReportTables(const SealReportTables&) = delete;
    SealReportTables& operator=(const SealReportTables&) = delete;

    // Drops the summary made ahead: its transaction is undone and no table file is in use.
    void DropAhead();
    // The seal's summary stage: the summary in the grid (StartSummary's caption and status
    // too) and both report tables written, nothing committed. The summary made ahead is
    // used when it is the one this stage would make (a credit-transfer file, read through
    // without an error); otherwise it is made now from reread(), a new read of the file.
    void Write(AppState& app, const std::function<std::unique_ptr<LineSource>()>& reread);
    // Commits what Write wrote (also what it wrote before an error ended it) and notes the
    // tables' data versions for the Report. Nothing when nothing was written.
    void Commit(AppState& app);

private:
    struct Made;
    std::unique_ptr<WorkAhead<std::unique_ptr<Made>>> m_ahead;
    std::unique_ptr<Made> m_pending;
    bool m_filled = false; // the report table was written
    // The bytes of the payment file the summary made ahead has read.
    std::shared_ptr<std::atomic<std::uint64_t>> m_bytesTaken = std::make_shared<std::atomic<std::uint64_t>>(0);
};

// After a seal of this run has built the summary, shows the payment and payment detail
// reports (or the direct-debit report). True when a document was shown. Prints only what
// this run's last seal put in the report tables: when another run has written them
// since, raises AppError(Store) naming the table folder instead.
bool ShowPaymentReports(AppState& app, ReportViewer& viewer);
// The window's Report: as above, but when the company id it would print comes from
// another payment file than the seal's (a tier-rate report checked another file since),
// a warning says so first and the report is shown only when the user answers Yes.
bool ShowPaymentReports(AppState& app, ReportViewer& viewer, Dialogs& dialogs);
// That warning alone: true when there is nothing to warn of or the user answered Yes.
bool ConfirmReportCompanyId(AppState& app, Dialogs& dialogs);

} // namespace tallivo
