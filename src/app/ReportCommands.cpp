// The report stages of the seal command (the payment summary and the report table)
// and the payment reports.
#include "app/ReportCommands.h"

#include "app/ReportState.h"
#include "common/AppError.h"
#include "common/CommandProgress.h"
#include "format/ProductSets.h"
#include "reports/NumberFormat.h"
#include "reports/PaymentSummary.h"
#include "store/ReportTables.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <filesystem>

namespace tallivo {

namespace {

// Ends a transaction of the store that an error leaves open: the work done before the
// error stays done (committed), unless the command was cancelled (undone).
class TransactionAfterError
{
public:
    explicit TransactionAfterError(ReportStore& store) : m_store(store) {}
    ~TransactionAfterError()
    {
        if (std::uncaught_exceptions() > m_uncaught)
            m_store.EndAfterError(!progress::Cancelling());
    }
    TransactionAfterError(const TransactionAfterError&) = delete;
    TransactionAfterError& operator=(const TransactionAfterError&) = delete;

private:
    ReportStore& m_store;
    int m_uncaught = std::uncaught_exceptions();
};

// Runs fn inside one transaction of the store, committed at its end. The work done
// before an error stays done; a cancelled command leaves the tables as they were.
template <typename Fn>
void InOneTransaction(ReportStore& store, Fn&& fn)
{
    store.BeginTransaction();
    {
        const TransactionAfterError afterError(store);
        fn();
    }
    store.Commit();
    progress::FilesCommitted();
}

// The report tables' data versions: they stay as they are while no other run writes them.
std::vector<long long> ReportTableVersions(AppState& app)
{
    TableStore& tables = app.Tables();
    return {tables.DataVersion("ReportTable"), tables.DataVersion("ReportTableDetail")};
}

// comId and hashValue, as string constants; and the product names, which the Product
// column shows whole.
void SetReportVariables(PreparedReport& report, const AppState& app)
{
    report.variables["comId"] = QuotedText(app.session.ctx.companyId);
    report.variables["hashValue"] = QuotedText(app.hashValue);
    report.wholeTexts["Product"] = ProductTypeNames();
}

// What the summary stage shows before its rows: the caption, the status and the
// summary layout of the emptied grid.
void StartSummary(AppState& app)
{
    ReportStateOf(app).sealedVersions.clear();
    ReportStateOf(app).summaryFile = app.inputPath;
    app.summaryBuilt = true; // first, so it stays true if a later step fails
    app.summaryCaption = "PAYMENT DETAIL";
    app.session.statusText = "Company ID : " + app.session.ctx.companyId;
    app.session.ResetErrorGrid();
    SetUpSummaryLayout(app.session.grid);
}

// Copies the summary lines of the grid into the report table of the store.
void WriteReportTable(const ResultGrid& grid, ReportStore& store)
{
    store.EmptySummaryTable();
    // The summary lines: the last grid row is the Total line or an empty row.
    const long long lines = static_cast<long long>(grid.RowCount()) - 2;
    for (long long r = 1; r <= lines; ++r) {
        const auto row = static_cast<std::size_t>(r);
        store.AppendSummaryRow(grid.Cell(SummaryColumn::Product, row), grid.Cell(SummaryColumn::ValueDate, row),
                               grid.Cell(SummaryColumn::Credits, row), grid.Cell(SummaryColumn::PlainAmount, row));
    }
}

} // namespace

// A table connection of the seal's own with its transaction open, and the summary grid
// it wrote ahead.
struct SealReportTables::Made
{
    explicit Made(const std::string& dataFolder)
        : tables(std::make_unique<TableStore>(dataFolder)), store(ReportStoreOver(*tables))
    {
        // Every table attached first: a table attached inside the transaction would stay
        // read-locked until its end, and the addAccBatchError row is written meanwhile.
        AttachEveryTable(*tables);
        store->BeginTransaction(); // closing the connection undoes it
    }
    std::unique_ptr<TableStore> tables;
    std::unique_ptr<ReportStore> store;
    ResultGrid grid;
};

namespace {

// The detail rows through the store, until the work is dropped.
struct StoppableWriter : ReportTableWriter
{
    StoppableWriter(ReportStore& s, const StopToken& st) : store(s), stop(st) {}
    void EmptyReportTables() override { store.EmptyReportTables(); }
    void DetailRowsWritten() override { store.DetailRowsWritten(); }
    void AppendDetailRow(const DetailRow& row) override
    {
        ThrowIfStopped(stop);
        store.AppendDetailRow(row);
    }
    ReportStore& store;
    const StopToken& stop;
};

// The lines of a source, counting the bytes taken (line ends included) for a thread that
// waits for them.
class CountedLines final : public LineSource
{
public:
    CountedLines(std::shared_ptr<LineSource> source, std::shared_ptr<std::atomic<std::uint64_t>> taken)
        : m_source(std::move(source)), m_taken(std::move(taken))
    {
    }
    bool Next(PaymentLine& line) override
    {
        if (!m_source->Next(line))
            return false;
        m_taken->fetch_add(line.length + 2, std::memory_order_relaxed);
        return true;
    }
    std::uint64_t LineNumber() const override { return m_source->LineNumber(); }

private:
    std::shared_ptr<LineSource> m_source;
    std::shared_ptr<std::atomic<std::uint64_t>> m_taken;
};

} // namespace

SealReportTables::SealReportTables(AppState& app, std::unique_ptr<LineSource> lines)
{
    if (!lines)
        return;
    std::string dataFolder;
    try {
        dataFolder = app.DataFolder();
    } catch (const AppError&) {
        return; // the summary stage meets the error itself
    }
    m_ahead = std::make_unique<WorkAhead<std::unique_ptr<Made>>>(
        [dataFolder, source = std::make_shared<CountedLines>(std::shared_ptr<LineSource>(std::move(lines)),
                                                             m_bytesTaken)](const StopToken& stop) {
            auto made = std::make_unique<Made>(dataFolder);
            StoppableWriter writer(*made->store, stop);
            SetUpSummaryLayout(made->grid);
            // Any product but the direct-debit one: the credit-transfer summary.
            WritePaymentSummary(made->grid, *source, {}, writer);
            return made;
        });
}

SealReportTables::~SealReportTables() = default;

void SealReportTables::DropAhead()
{
    m_ahead.reset();
}

void SealReportTables::Write(AppState& app, const std::function<std::unique_ptr<LineSource>()>& reread)
{
    std::unique_ptr<Made> made;
    if (m_ahead) {
        try {
            // The summary's share of the payment file read so far.
            std::error_code error;
            const std::uintmax_t size = std::filesystem::file_size(app.inputPath, error);
            made = TakeWhenReady(*m_ahead, [&] {
                return error || size == 0
                           ? 0.0
                           : std::min(1.0, static_cast<double>(m_bytesTaken->load()) / static_cast<double>(size));
            });
        } catch (const AppError&) {
            // Made again below, meeting its error where the summary stage meets it.
        }
        m_ahead.reset();
    }
    StartSummary(app);
    ResultGrid& grid = app.session.grid;
    if (made && app.session.ctx.currentProduct != Product::DirectDebit) {
        grid.SetRowCount(made->grid.RowCount());
        for (std::size_t row = 1; row < made->grid.RowCount(); ++row)
            for (std::size_t col = 0; col < made->grid.ColCount(); ++col)
                if (const std::string_view cell = made->grid.Cell(col, row); !cell.empty())
                    grid.SetCell(col, row, cell);
        m_pending = std::move(made);
    } else {
        made.reset(); // its connection closed before the next one writes
        m_pending = std::make_unique<Made>(app.DataFolder());
        const std::unique_ptr<LineSource> lines = reread();
        WritePaymentSummary(grid, *lines, app.session.ctx.currentProduct, *m_pending->store);
    }
    WriteReportTable(grid, *m_pending->store);
    m_filled = true;
}

void SealReportTables::Commit(AppState& app)
{
    if (!m_pending)
        return;
    const std::unique_ptr<Made> pending = std::move(m_pending);
    pending->store->Commit();
    progress::FilesCommitted();
    // What this run's seal put in the tables, so the Report prints nothing else.
    if (m_filled)
        ReportStateOf(app).sealedVersions = ReportTableVersions(app);
}

void BuildPaymentSummary(AppState& app, LineForm form)
{
    const TablesLock lock(app);
    StartSummary(app);
    ResultGrid& grid = app.session.grid;

    ReportStore& store = ReportStoreOf(app);
    InOneTransaction(store,
                     [&] { WritePaymentSummary(grid, app.inputPath, app.session.ctx.currentProduct, store, form); });
}

void FillReportTable(AppState& app)
{
    const TablesLock lock(app);
    ReportStore& store = ReportStoreOf(app);
    InOneTransaction(store, [&] { WriteReportTable(app.session.grid, store); });
    // What this run's seal put in the tables, so the Report prints nothing else.
    ReportStateOf(app).sealedVersions = ReportTableVersions(app);
}

bool ConfirmReportCompanyId(AppState& app, Dialogs& dialogs)
{
    const std::string& summaryFile = ReportStateOf(app).summaryFile;
    if (!app.summaryBuilt || app.contextFile == summaryFile)
        return true;
    const std::string text = "The company id " + app.session.ctx.companyId + " is that of " + app.contextFile +
                             ", checked after the seal; the hash value and the totals are those of " + summaryFile +
                             ". Print the report with this company id?";
    return dialogs.MessageDlg(text, MsgKind::Warning, {MsgButton::Yes, MsgButton::No}) == MsgButton::Yes;
}

bool ShowPaymentReports(AppState& app, ReportViewer& viewer, Dialogs& dialogs)
{
    if (!ConfirmReportCompanyId(app, dialogs))
        return false;
    return ShowPaymentReports(app, viewer);
}

bool ShowPaymentReports(AppState& app, ReportViewer& viewer)
{
    if (!app.summaryBuilt)
        return false;
    progress::Stage("Preparing report");
    const TablesLock lock(app);
    const std::vector<long long>& sealed = ReportStateOf(app).sealedVersions;
    if (!sealed.empty() && sealed != ReportTableVersions(app))
        throw AppError(AppError::Kind::Store, "The report tables in " + app.Tables().DataFolder() +
                                                  " were written by another Tallivo run after this run's seal; "
                                                  "its report can no longer be printed");
    ReportStore& store = ReportStoreOf(app);
    ReportObjects& reports = ReportObjectsOf(app);
    ReportDocument document;
    document.paymentFile = app.inputPath;
    if (app.session.ctx.currentProduct != "DDR") {
        PreparedReport payment;
        payment.rows = store.ReportTableRows("ReportTable");
        LoadReportTemplate(reports.payment, app.ReportFolder() + "Payment.html");
        payment.templateText = reports.payment;
        SetReportVariables(payment, app);

        PreparedReport detail;
        detail.rows = store.ReportTableRows("ReportTableDetail");
        LoadReportTemplate(reports.paymentDetail, app.ReportFolder() + "PaymentDetail.html");
        detail.templateText = reports.paymentDetail;
        SetReportVariables(detail, app);

        document.parts = {std::move(payment), std::move(detail)};
    } else {
        PreparedReport directDebit;
        directDebit.rows = store.ReportTableRows("ReportTable");
        LoadReportTemplate(reports.directDebit, app.ReportFolder() + "DirectDebit.html");
        directDebit.templateText = reports.directDebit;
        SetReportVariables(directDebit, app);
        document.parts = {std::move(directDebit)};
    }
    viewer.Show(document);
    return true;
}

} // namespace tallivo
