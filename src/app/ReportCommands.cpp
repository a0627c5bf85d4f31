// The report stages of the seal command (the payment summary and the report table)
// and the payment reports.
#include "app/ReportCommands.h"

#include "app/ReportObjects.h"
#include "app/ReportStore.h"
#include "common/AppError.h"
#include "format/ProductSets.h"
#include "reports/NumberFormat.h"
#include "reports/PaymentSummary.h"
#include "store/TableStore.h"

#include <atomic>
#include <exception>
#include <thread>

namespace tallivo {

namespace {

// Runs fn inside one transaction of the store. The work done before an error stays
// done: the transaction is committed before the error goes on. A cancelled command
// leaves the tables as they were: its transaction is undone.
template <typename Fn>
void InOneTransaction(ReportStore& store, Fn&& fn)
{
    store.BeginTransaction();
    try {
        fn();
    } catch (...) {
        try {
            if (progress::Cancelling())
                store.Rollback();
            else
                store.Commit();
        } catch (...) {
            // The first error is the one the user sees.
        }
        throw;
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

// comId and hashValue, as string constants.
void SetReportVariables(PreparedReport& report, const AppState& app)
{
    report.variables["comId"] = QuotedText(app.session.ctx.companyId);
    report.variables["hashValue"] = QuotedText(app.hashValue);
}

// What the summary stage shows before its rows: the caption, the status and the
// summary layout of the emptied grid.
void StartSummary(AppState& app)
{
    ReportStateOf(app).sealedVersions.clear();
    app.summaryBuilt = true; // first, so it stays true if a later step fails
    app.summaryCaption = "PAYMENT DETAIL";
    app.session.statusText = "Company ID : " + app.session.ctx.companyId;
    app.session.ResetErrorGrid();
    SetUpSummaryLayout(app.session.grid);
}

} // namespace

struct SummaryAhead::Made
{
    std::string path;
    std::string dataFolder;
    LineForm form;
    std::atomic<bool> stop{false};
    // Made on the thread; read by the seal's thread once it has ended.
    std::unique_ptr<TableStore> tables;
    std::unique_ptr<ReportStore> store;
    bool inTransaction = false;
    bool complete = false; // read through without an error
    ResultGrid grid;
    std::thread thread;

    // The detail rows through the store, until the summary is dropped.
    struct StoppableWriter : ReportTableWriter
    {
        StoppableWriter(ReportStore& s, const std::atomic<bool>& st) : store(s), stop(st) {}
        void EmptyReportTables() override { store.EmptyReportTables(); }
        void AppendDetailRow(const DetailRow& row) override
        {
            if (stop.load(std::memory_order_relaxed))
                throw Stopped{};
            store.AppendDetailRow(row);
        }
        ReportStore& store;
        const std::atomic<bool>& stop;
    };
    struct Stopped
    {
    };

    void Run()
    {
        try {
            tables = std::make_unique<TableStore>(dataFolder);
            store = ReportStoreOver(*tables);
            store->BeginTransaction();
            inTransaction = true;
            StoppableWriter writer(*store, stop);
            SetUpSummaryLayout(grid);
            // Any product but the direct-debit one: the credit-transfer summary.
            WritePaymentSummary(grid, path, {}, writer, form);
            complete = true;
        } catch (...) {
            // Not put in place: the seal builds its summary itself, meeting the error there.
        }
    }

    void Undo() noexcept
    {
        if (inTransaction) {
            inTransaction = false;
            try {
                store->Rollback();
            } catch (...) {
                // The open transaction ends with the connection.
            }
        }
        store.reset();
        tables.reset();
    }
};

SummaryAhead::SummaryAhead(AppState& app, LineForm form) : m_made(std::make_unique<Made>())
{
    m_made->path = app.inputPath;
    m_made->dataFolder = app.DataFolder();
    m_made->form = form;
    m_made->thread = std::thread([made = m_made.get()] { made->Run(); });
}

SummaryAhead::~SummaryAhead()
{
    m_made->stop = true;
    if (m_made->thread.joinable())
        m_made->thread.join();
    m_made->Undo();
}

bool SummaryAhead::PutInPlace(AppState& app)
{
    Made& made = *m_made;
    made.thread.join();
    if (!made.complete || app.session.ctx.currentProduct == Product::DirectDebit) {
        made.Undo();
        return false;
    }
    const TablesLock lock(app);
    StartSummary(app);
    ResultGrid& grid = app.session.grid;
    grid.SetRowCount(made.grid.RowCount());
    for (std::size_t row = 1; row < made.grid.RowCount(); ++row)
        for (std::size_t col = 0; col < made.grid.ColCount(); ++col)
            if (const std::string_view cell = made.grid.Cell(col, row); !cell.empty())
                grid.SetCell(col, row, cell);
    made.inTransaction = false;
    made.store->Commit();
    made.Undo(); // closes its connection
    progress::FilesCommitted();
    return true;
}

void BuildPaymentSummary(AppState& app, LineForm form)
{
    const TablesLock lock(app);
    StartSummary(app);
    ResultGrid& grid = app.session.grid;

    ReportStore& store = ReportStoreOf(app);
    InOneTransaction(store, [&] {
        WritePaymentSummary(grid, app.inputPath, app.session.ctx.currentProduct, store, form);
    });
}

void FillReportTable(AppState& app)
{
    const TablesLock lock(app);
    ReportStore& store = ReportStoreOf(app);
    const ResultGrid& grid = app.session.grid;
    InOneTransaction(store, [&] {
        store.ExecSql("Delete From ReportTable");
        // The summary lines: the last grid row is the Total line or an empty row.
        const long long lines = static_cast<long long>(grid.RowCount()) - 2;
        for (long long r = 1; r <= lines; ++r) {
            const auto row = static_cast<std::size_t>(r);
            store.ExecSql("Insert into ReportTable(Product,Value_Date,No_Of_Credit,Amount) Values(" +
                          QuotedText(grid.Cell(1, row)) + "," + QuotedText(grid.Cell(2, row)) + "," +
                          std::string(grid.Cell(3, row)) + "," + std::string(grid.Cell(5, row)) + ")");
        }
    });
    // What this run's seal put in the tables, so the Report prints nothing else.
    ReportStateOf(app).sealedVersions = ReportTableVersions(app);
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
