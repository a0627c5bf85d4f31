// The report stages of the seal command (the payment summary and the report table)
// and the Report command.
#include "app/ReportCommands.h"

#include "app/ReportObjects.h"
#include "app/ReportStore.h"
#include "common/AppError.h"
#include "reports/NumberFormat.h"
#include "reports/PaymentSummary.h"

#include <cerrno>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace tallivo {

namespace {

// Runs fn inside one transaction of the store. The work done before an error stays
// done: the transaction is committed before the error goes on.
template <typename Fn>
void InOneTransaction(ReportStore& store, Fn&& fn)
{
    store.BeginTransaction();
    try {
        fn();
    } catch (...) {
        try {
            store.Commit();
        } catch (...) {
            // The first error is the one the user sees.
        }
        throw;
    }
    store.Commit();
}

// comId and hashValue, as string constants.
void SetReportVariables(PreparedReport& report, const AppState& app)
{
    report.variables["comId"] = QuotedText(app.session.ctx.CompanyId);
    report.variables["hashValue"] = QuotedText(app.edtHashvalue);
}

} // namespace

bool LoadReportTemplate(std::string& reportObject, const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode))
        return false;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        ThrowFileError(errno != 0 ? errno : EACCES);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        ThrowFileError(errno != 0 ? errno : EIO);
    reportObject = std::move(text);
    return true;
}

ReportState& ReportStateOf(AppState& app)
{
    if (!app.reports)
        app.reports = std::make_shared<ReportState>();
    return *app.reports;
}

ReportObjects& ReportObjectsOf(AppState& app)
{
    return ReportStateOf(app).objects;
}

void BuildPaymentSummary(AppState& app)
{
    app.SummaryBuilt = true; // first, so it stays true if a later step fails
    app.Label5 = "PAYMENT DETAIL";
    app.session.Label4 = "Company ID : " + app.session.ctx.CompanyId;
    ResultGrid& grid = app.session.grid;
    app.session.ResetErrorGrid();
    SetUpSummaryLayout(grid);

    ReportStore& store = ReportStoreOf(app);
    InOneTransaction(store, [&] {
        WritePaymentSummary(grid, app.edtFileInput, app.session.ctx.CurrentProduct, store);
    });
}

void FillReportTable(AppState& app)
{
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
}

void ToolButton4Click(AppState& app, Dialogs&, ReportViewer& viewer)
{
    if (!app.SummaryBuilt)
        return;
    ReportStore& store = ReportStoreOf(app);
    ReportObjects& reports = ReportObjectsOf(app);
    ReportDocument document;
    if (app.session.ctx.CurrentProduct != "DDR") {
        PreparedReport payment;
        payment.rows = store.TableRows("ReportTable");
        LoadReportTemplate(reports.Report1, app.ReportFolder() + "Payment.html");
        payment.templateText = reports.Report1;
        SetReportVariables(payment, app);

        PreparedReport detail;
        detail.rows = store.TableRows("ReportTableDetail");
        LoadReportTemplate(reports.Report2, app.ReportFolder() + "PaymentDetail.html");
        detail.templateText = reports.Report2;
        SetReportVariables(detail, app);

        document.parts = {std::move(payment), std::move(detail)};
    } else {
        PreparedReport directDebit;
        directDebit.rows = store.TableRows("ReportTable");
        LoadReportTemplate(reports.Report3, app.ReportFolder() + "DirectDebit.html");
        directDebit.templateText = reports.Report3;
        SetReportVariables(directDebit, app);
        document.parts = {std::move(directDebit)};
    }
    viewer.Show(document);
}

} // namespace tallivo
