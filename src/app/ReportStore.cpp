// The report tables through the local table store. Detail rows are inserted in
// batches, many rows to a statement, so a summary of a hundred thousand credit
// records stays quick; a batch is written before anything reads or commits.
#include "app/AppState.h"
#include "app/ReportObjects.h"
#include "app/ReportStore.h"
#include "store/TableStore.h"

namespace tallivo {

namespace {

constexpr std::size_t kRowsPerInsert = 100; // 9 values a row, well under the engine's limit
constexpr std::size_t kRowsPerRead = 2000;
constexpr std::string_view kRowIdColumn = "tallivo_row_id"; // a name no table column has

class TableReportStore : public ReportStore
{
public:
    explicit TableReportStore(TableStore& store) : m_store(store) {}

    void ExecSql(const std::string& statement) override
    {
        WritePending();
        m_store.ExecSql(statement);
    }
    void BeginTransaction() override { m_store.Begin({"ReportTable", "ReportTableDetail"}); }
    void Commit() override
    {
        WritePending();
        m_store.Commit();
    }
    void Rollback() override
    {
        m_pending.clear();
        m_store.Rollback();
    }
    std::vector<std::map<std::string, std::string>> TableRows(const std::string& table) override
    {
        WritePending();
        return m_store.TableRows(table);
    }

    ReportRows ReportTableRows(const std::string& table) override
    {
        WritePending();
        ReportRows rows;
        std::vector<std::string> columns;
        std::vector<std::string_view> cells;
        long long last = 0;
        for (;;) {
            const std::vector<TableRow> batch = m_store.TableQuery(
                table, "Select rowid As \"" + std::string(kRowIdColumn) + "\", * From \"" + table + "\"" +
                           " Where rowid > " + std::to_string(last) + " Order By rowid Limit " +
                           std::to_string(kRowsPerRead));
            for (const TableRow& row : batch) {
                if (columns.empty()) {
                    for (const auto& [name, value] : row)
                        if (name != kRowIdColumn)
                            columns.push_back(name);
                    rows = ReportRows(columns);
                }
                cells.clear();
                for (const std::string& column : columns) {
                    const auto it = row.find(column);
                    cells.push_back(it == row.end() ? std::string_view() : std::string_view(it->second));
                }
                rows.AddRow(cells);
                last = std::stoll(row.at(std::string(kRowIdColumn)));
            }
            if (batch.size() < kRowsPerRead)
                return rows;
        }
    }

    void EmptyReportTables() override
    {
        m_pending.clear();
        m_store.TableExec("ReportTable", "Delete From ReportTable");
        m_store.TableExec("ReportTableDetail", "Delete From ReportTableDetail");
    }

    void AppendDetailRow(const DetailRow& row) override
    {
        m_pending.push_back(row);
        if (m_pending.size() >= kRowsPerInsert)
            WritePending();
    }

private:
    void WritePending()
    {
        if (m_pending.empty())
            return;
        std::string statement = "Insert into ReportTableDetail(Product,NameEng,\"Credit Amount\",CreditAccount,"
                                "TotalInvoidAmount,TotalWHTAmount,DeliveryMode,PickupLocation,VATAmount) Values";
        std::vector<std::string_view> params;
        params.reserve(m_pending.size() * 9);
        for (std::size_t i = 0; i < m_pending.size(); ++i) {
            statement += i == 0 ? "(?,?,?,?,?,?,?,?,?)" : ",(?,?,?,?,?,?,?,?,?)";
            const DetailRow& r = m_pending[i];
            params.insert(params.end(), {r.Product, r.NameEng, r.CreditAmount, r.CreditAccount, r.TotalInvoidAmount,
                                         r.TotalWHTAmount, r.DeliveryMode, r.PickupLocation, r.VATAmount});
        }
        m_store.TableExecRepeated("ReportTableDetail", statement, params);
        m_pending.clear();
    }

    TableStore& m_store;
    std::vector<DetailRow> m_pending;
};

} // namespace

ReportStore& ReportStoreOf(AppState& app)
{
    ReportState& state = ReportStateOf(app);
    if (!state.store)
        state.store = std::make_unique<TableReportStore>(app.Tables());
    return *state.store;
}

} // namespace tallivo
