// The report tables over SQLite: each table file of the program folder's Data/
// ("ReportTable.DAT", "ReportTableDetail.DAT") is a database holding the table of
// its name, attached under that name so that statements name the tables plainly.
// The files must exist; they are never created here.
#include "app/AppState.h"
#include "app/ReportObjects.h"
#include "app/ReportStore.h"
#include "common/AppError.h"

#include <sqlite3.h>
#include <sys/stat.h>

namespace tallivo {

namespace {

constexpr const char* kReportTables[] = {"ReportTable", "ReportTableDetail"};

class SqliteReportStore : public ReportStore
{
public:
    explicit SqliteReportStore(const std::string& dataFolder)
    {
        try {
            if (sqlite3_open(":memory:", &m_db) != SQLITE_OK)
                Fail("open");
            for (const char* table : kReportTables) {
                const std::string file = dataFolder + table + ".DAT";
                struct stat info {};
                if (::stat(file.c_str(), &info) != 0)
                    throw AppError(AppError::Kind::Store, "Table does not exist: " + file);
                Exec("ATTACH DATABASE '" + Escaped(file) + "' AS " + table);
            }
        } catch (...) {
            sqlite3_close(m_db);
            throw;
        }
    }
    ~SqliteReportStore() override
    {
        sqlite3_finalize(m_insertDetail);
        sqlite3_close(m_db);
    }

    void ExecSql(const std::string& statement) override { Exec(statement); }
    void BeginTransaction() override { Exec("BEGIN"); }
    void Commit() override { Exec("COMMIT"); }

    void EmptyReportTables() override
    {
        for (const char* table : kReportTables)
            Exec(std::string("Delete From ") + table);
    }

    void AppendDetailRow(const DetailRow& row) override
    {
        if (!m_insertDetail &&
            sqlite3_prepare_v2(m_db,
                               "Insert into ReportTableDetail(Product,NameEng,\"Credit Amount\",CreditAccount,"
                               "TotalInvoidAmount,TotalWHTAmount,DeliveryMode,PickupLocation,VATAmount) "
                               "Values(?,?,?,?,?,?,?,?,?)",
                               -1, &m_insertDetail, nullptr) != SQLITE_OK)
            Fail("prepare");
        const std::string* values[] = {&row.Product,           &row.NameEng,        &row.CreditAmount,
                                       &row.CreditAccount,     &row.TotalInvoidAmount, &row.TotalWHTAmount,
                                       &row.DeliveryMode,      &row.PickupLocation,  &row.VATAmount};
        int i = 1;
        for (const std::string* v : values)
            sqlite3_bind_text(m_insertDetail, i++, v->data(), static_cast<int>(v->size()), SQLITE_TRANSIENT);
        const int rc = sqlite3_step(m_insertDetail);
        sqlite3_reset(m_insertDetail);
        if (rc != SQLITE_DONE)
            Fail("insert");
    }

    std::vector<std::map<std::string, std::string>> TableRows(const std::string& table) override
    {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, ("Select * From " + table + " Order By rowid").c_str(), -1, &stmt, nullptr) !=
            SQLITE_OK)
            Fail("query");
        std::vector<std::map<std::string, std::string>> rows;
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            std::map<std::string, std::string> row;
            for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
                row[sqlite3_column_name(stmt, c)] =
                    text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(stmt, c))) : "";
            }
            rows.push_back(std::move(row));
        }
        sqlite3_finalize(stmt);
        if (rc != SQLITE_DONE)
            Fail("query");
        return rows;
    }

private:
    static std::string Escaped(const std::string& text)
    {
        std::string out;
        for (const char c : text) {
            out += c;
            if (c == '\'')
                out += '\'';
        }
        return out;
    }
    void Exec(const std::string& statement)
    {
        char* message = nullptr;
        if (sqlite3_exec(m_db, statement.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
            const std::string text = message ? message : sqlite3_errmsg(m_db);
            sqlite3_free(message);
            throw AppError(AppError::Kind::Store, text);
        }
    }
    [[noreturn]] void Fail(const char*) { throw AppError(AppError::Kind::Store, sqlite3_errmsg(m_db)); }

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_insertDetail = nullptr;
};

} // namespace

ReportStore& ReportStoreOf(AppState& app)
{
    ReportState& state = ReportStateOf(app);
    if (!state.store)
        state.store = std::make_unique<SqliteReportStore>(app.DataFolder());
    return *state.store;
}

} // namespace tallivo
