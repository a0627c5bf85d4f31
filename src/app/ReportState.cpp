// The reports' state: the report objects and the report tables through the local table
// store. Detail rows go in through one insert statement, parsed once and bound to each row
// in turn inside the summary's transaction, so a summary of a hundred thousand credit
// records stays quick.
#include "app/ReportState.h"

#include "app/AppState.h"
#include "common/AppError.h"
#include "store/ReportTables.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace tallivo {

namespace {

constexpr std::size_t kRowsPerRead = 2000;
constexpr std::string_view kRowIdColumn = "tallivo_row_id"; // a name no table column has

class TableReportStore : public ReportStore
{
public:
    explicit TableReportStore(TableStore& store) : m_store(store), m_detailRows(store) {}

    // Detail rows are written in batches; whatever else is asked of the tables comes after
    // every row appended before it is written.
    void EmptySummaryTable() override
    {
        m_detailRows.Flush();
        tallivo::EmptySummaryTable(m_store);
    }
    void AppendSummaryRow(std::string_view product, std::string_view valueDate, std::string_view creditCount,
                          std::string_view amount) override
    {
        m_detailRows.Flush();
        tallivo::AppendSummaryRow(m_store, product, valueDate, creditCount, amount);
    }
    void BeginTransaction() override
    {
        m_detailRows.Flush();
        m_store.Begin({"ReportTable", "ReportTableDetail"});
    }
    void Commit() override
    {
        m_detailRows.Flush();
        m_store.Commit();
    }
    void Rollback() override
    {
        m_detailRows.Drop();
        m_store.Rollback();
    }
    void EndAfterError(bool keep) noexcept override
    {
        if (keep)
            m_detailRows.FlushAfterError();
        else
            m_detailRows.Drop();
        m_store.EndAfterError(keep);
    }
    std::vector<std::map<std::string, std::string>> TableRows(const std::string& table) override
    {
        m_detailRows.Flush();
        return m_store.TableRows(table);
    }

    ReportRows ReportTableRows(const std::string& table) override
    {
        m_detailRows.Flush();
        ReportRows rows;
        bool named = false;
        std::vector<std::size_t> order; // the statement's place of each of the rows' columns
        std::size_t rowIdAt = 0;
        std::vector<std::string_view> cells;
        long long last = 0;
        const auto add = [&](std::span<const std::string_view> names, std::span<const std::string_view> values) {
            if (!named) {
                // The columns in the order of their names, as rows by column name list them.
                for (std::size_t c = 0; c < names.size(); ++c)
                    if (names[c] == kRowIdColumn)
                        rowIdAt = c;
                    else
                        order.push_back(c);
                std::sort(order.begin(), order.end(),
                          [&](std::size_t a, std::size_t b) { return names[a] < names[b]; });
                std::vector<std::string> columns;
                for (const std::size_t c : order)
                    columns.emplace_back(names[c]);
                rows = ReportRows(std::move(columns));
                named = true;
            }
            cells.clear();
            for (const std::size_t c : order)
                cells.push_back(values[c]);
            rows.AddRow(cells);
            last = std::stoll(std::string(values[rowIdAt]));
        };
        for (;;) {
            const std::size_t before = rows.size();
            ReportRowsAfter(m_store, table, last, kRowsPerRead, kRowIdColumn, add);
            if (rows.size() - before < kRowsPerRead)
                return rows;
        }
    }

    void EmptyReportTables() override
    {
        m_detailRows.Flush();
        tallivo::EmptyReportTables(m_store);
    }
    void DetailRowsWritten() override
    {
        m_detailRows.Flush();
        DropReplacedDetailRows(m_store);
    }

    void AppendDetailRow(const DetailRow& row) override
    {
        m_detailRows.Append({row.Product, row.NameEng, row.CreditAmount, row.CreditAccount, row.TotalInvoidAmount,
                             row.TotalWHTAmount, row.DeliveryMode, row.PickupLocation, row.VATAmount});
    }

private:
    TableStore& m_store;
    DetailRowBatch m_detailRows;
};

} // namespace

std::unique_ptr<ReportStore> ReportStoreOver(TableStore& store)
{
    return std::make_unique<TableReportStore>(store);
}

bool LoadReportTemplate(std::string& reportObject, const std::string& path)
{
    struct stat info
    {
    };
    if (::stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode))
        return false;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        ThrowFileError(errno != 0 ? errno : EACCES, path);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        ThrowFileError(errno != 0 ? errno : EIO, path);
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

ReportStore& ReportStoreOf(AppState& app)
{
    ReportState& state = ReportStateOf(app);
    if (!state.store)
        state.store = ReportStoreOver(app.Tables());
    return *state.store;
}

} // namespace tallivo
