// The local table store over SQLite: an in-memory main database with each table file
// attached under its table's name, checked when it is attached.
#include "store/TableStore.h"

#include "common/AppError.h"
#include "common/FileExists.h"

#include <sqlite3.h>

#include <algorithm>
#include <sys/stat.h>

namespace tallivo {

namespace {

[[noreturn]] void StoreError(const std::string& text)
{
    throw AppError(AppError::Kind::Store, text);
}

// A file path as an SQLite URI that opens an existing file only (never creates one).
std::string ExistingFileUri(const std::string& path)
{
    std::string uri = "file:";
    for (const char c : path) {
        if (c == '%' || c == '?' || c == '#') {
            static const char hex[] = "0123456789ABCDEF";
            uri += '%';
            uri += hex[static_cast<unsigned char>(c) >> 4];
            uri += hex[static_cast<unsigned char>(c) & 0xF];
        } else {
            uri += c;
        }
    }
    return uri + "?mode=rw";
}

std::string QuotedName(std::string_view name)
{
    std::string out = "\"";
    for (const char c : name) {
        out += c;
        if (c == '"')
            out += '"';
    }
    return out + "\"";
}

// A statement run again and again (the rows of a large table) syncs what the engine has
// written of the table's file every so many bytes of values, so that the disk takes the
// rows while they are written and the commit's sync has only the last of them to wait
// for. On the connection's own thread, through the engine's own open file: nothing else
// touches its locks.
constexpr unsigned long long kBytesPerSync = 8ULL << 20;

class Statement
{
public:
    Statement() = default;
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    sqlite3_stmt** Out() { return &m_stmt; }
    sqlite3_stmt* Get() const { return m_stmt; }

private:
    sqlite3_stmt* m_stmt = nullptr;
};

} // namespace

TableStore::TableStore(std::string dataFolder) : m_dataFolder(std::move(dataFolder)) {}

TableStore::~TableStore()
{
    DropKeptStatements();
    sqlite3_close(m_db);
}

void TableStore::DropKeptStatements() noexcept
{
    for (auto& kept : m_kept)
        sqlite3_finalize(kept.second);
    m_kept.clear();
}

void TableStore::Detach(std::string_view table) noexcept
{
    DropKeptStatements(); // a statement kept on the table would hold it
    sqlite3_exec(m_db, ("DETACH DATABASE " + QuotedName(table)).c_str(), nullptr, nullptr, nullptr);
}

void TableStore::TableExecRepeated(std::string_view table, std::string_view statement,
                                   std::span<const std::string_view> params)
{
    constexpr std::size_t kMaxKept = 8;
    Attach(table);
    sqlite3_stmt* stmt = nullptr;
    for (const auto& kept : m_kept)
        if (kept.first == statement)
            stmt = kept.second;
    if (stmt == nullptr) {
        const char* tail = nullptr;
        if (sqlite3_prepare_v2(m_db, statement.data(), static_cast<int>(statement.size()), &stmt, &tail) != SQLITE_OK)
            Fail(table);
        if (stmt == nullptr || tail != statement.data() + statement.size()) {
            // Not exactly one statement: run it as any other.
            sqlite3_finalize(stmt);
            Run(statement, std::vector<std::string_view>(params.begin(), params.end()), table);
            return;
        }
        if (m_kept.size() >= kMaxKept)
            DropKeptStatements();
        m_kept.emplace_back(std::string(statement), stmt);
    }
    // Ready for the next run however this one ends.
    struct Reset
    {
        sqlite3_stmt* stmt;
        ~Reset()
        {
            sqlite3_reset(stmt);
            sqlite3_clear_bindings(stmt);
        }
    } const reset{stmt};
    int index = 1;
    for (const std::string_view p : params) {
        sqlite3_bind_text(stmt, index++, p.data(), static_cast<int>(p.size()), SQLITE_STATIC);
        m_repeatedBytes += p.size();
    }
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        Fail(table);
    if (m_repeatedBytes >= kBytesPerSync) {
        m_repeatedBytes = 0;
        SyncWrittenPages(table);
    }
}

void TableStore::SyncWrittenPages(std::string_view table)
{
    sqlite3_file* file = nullptr;
    const std::string schema(table);
    if (sqlite3_file_control(m_db, schema.c_str(), SQLITE_FCNTL_FILE_POINTER, static_cast<void*>(&file)) !=
            SQLITE_OK ||
        file == nullptr || file->pMethods == nullptr)
        return;
    // A failure is reported here: the file's own descriptor would not report it again
    // at the commit's sync.
    const int rc = file->pMethods->xSync(file, SQLITE_SYNC_NORMAL | SQLITE_SYNC_DATAONLY);
    if (rc != SQLITE_OK)
        StoreError("Cannot write " + TableFilePath(m_dataFolder, table) + ": " + sqlite3_errstr(rc));
}

void TableStore::ExecSql(std::string_view statement, const std::vector<std::string_view>& params)
{
    AttachAll();
    Run(statement, params, {});
}

std::vector<TableRow> TableStore::Query(std::string_view statement, const std::vector<std::string_view>& params)
{
    AttachAll();
    return Run(statement, params, {});
}

std::vector<TableRow> TableStore::TableRows(std::string_view table)
{
    Attach(table);
    return Run("Select * From " + QuotedName(table) + " Order By rowid", {}, table);
}

void TableStore::TableExec(std::string_view table, std::string_view statement,
                           const std::vector<std::string_view>& params)
{
    Attach(table);
    Run(statement, params, table);
}

std::vector<TableRow> TableStore::TableQuery(std::string_view table, std::string_view statement,
                                             const std::vector<std::string_view>& params)
{
    Attach(table);
    return Run(statement, params, table);
}

void TableStore::TableQueryEach(std::string_view table, std::string_view statement, const RowVisitor& row)
{
    Attach(table);
    RunEach(statement, {}, table, row);
}

long long TableStore::DataVersion(std::string_view table)
{
    Attach(table);
    const std::vector<TableRow> rows = Run("PRAGMA " + QuotedName(table) + ".data_version", {}, table);
    return rows.empty() || rows[0].empty() ? 0 : std::stoll(rows[0].begin()->second);
}

void TableStore::CheckTableFile(std::string_view table)
{
    const std::string path = TableFilePath(m_dataFolder, table);
    if (FileExists(path))
        return;
    const auto it = std::find(m_attached.begin(), m_attached.end(), table);
    if (it != m_attached.end() && m_db != nullptr && sqlite3_get_autocommit(m_db)) {
        Detach(table);
        m_attached.erase(it);
    }
    StoreError("Table file not found: " + path);
}

void TableStore::Begin(const std::vector<std::string_view>& tables)
{
    if (tables.empty())
        AttachAll();
    for (const std::string_view table : tables)
        Attach(table);
    Run("BEGIN", {}, {});
}

void TableStore::Commit()
{
    Run("COMMIT", {}, {});
}

void TableStore::Rollback()
{
    if (m_db != nullptr && !sqlite3_get_autocommit(m_db))
        Run("ROLLBACK", {}, {});
}

void TableStore::EndAfterError(bool keep) noexcept
{
    if (m_db == nullptr || sqlite3_get_autocommit(m_db))
        return;
    if (keep && sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK)
        return;
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}

void TableStore::AttachAll()
{
    for (const std::string_view table : kTableNames)
        Attach(table);
}

// The in-memory store the table files are attached to. A store is used by one thread at
// a time (its own members are not shared either), so SQLite's own locking of the
// connection is left out: it cost a lock per call on every row a seal writes.
void ReadyTableEngine()
{
    static const bool ready = [] {
        // Refused (and harmless) only if the engine already started: then it keeps counting.
        sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
        return sqlite3_initialize() == SQLITE_OK;
    }();
    (void)ready;
}

void TableStore::OpenBareStore()
{
    if (m_db != nullptr)
        return;
    ReadyTableEngine();
    if (sqlite3_open_v2(":memory:", &m_db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        const std::string text = m_db ? sqlite3_errmsg(m_db) : "out of memory";
        sqlite3_close(m_db);
        m_db = nullptr;
        StoreError("The table store cannot be opened: " + text);
    }
    sqlite3_busy_timeout(m_db, 2000);
}

void TableStore::Attach(std::string_view table)
{
    if (std::find(m_attached.begin(), m_attached.end(), table) != m_attached.end())
        return;
    OpenBareStore();
    const std::string path = TableFilePath(m_dataFolder, table);
    if (!FileExists(path))
        StoreError("Table file not found: " + path);

    const std::string uri = ExistingFileUri(path);
    Run("ATTACH DATABASE ?1 AS " + QuotedName(table), {uri}, table);
    bool holdsTable = false;
    try {
        const std::vector<TableRow> rows =
            Run("SELECT count(*) AS n FROM " + QuotedName(table) + ".sqlite_master WHERE type = 'table' AND name = ?1",
                {table}, table);
        holdsTable = !rows.empty() && rows[0].at("n") != "0";
    } catch (...) {
        Detach(table);
        throw;
    }
    if (!holdsTable) {
        Detach(table);
        StoreError("Table file is damaged (it holds no table " + std::string(table) + "): " + path);
    }
    m_attached.emplace_back(table);
}

std::vector<TableRow> TableStore::Run(std::string_view statement, const std::vector<std::string_view>& params,
                                      std::string_view table)
{
    std::vector<TableRow> rows;
    RunEach(statement, params, table,
            [&rows](std::span<const std::string_view> names, std::span<const std::string_view> values) {
                TableRow row;
                for (std::size_t c = 0; c < names.size(); ++c)
                    row[std::string(names[c])] = std::string(values[c]);
                rows.push_back(std::move(row));
            });
    return rows;
}

void TableStore::RunEach(std::string_view statement, const std::vector<std::string_view>& params,
                         std::string_view table, const RowVisitor& row)
{
    OpenBareStore(); // nothing attached yet: BEGIN on no table, COMMIT without BEGIN
    const char* text = statement.data();
    const char* end = statement.data() + statement.size();
    bool first = true;
    std::vector<std::string_view> names;
    std::vector<std::string_view> values;
    while (text < end) {
        Statement stmt;
        const char* tail = nullptr;
        if (sqlite3_prepare_v2(m_db, text, static_cast<int>(end - text), stmt.Out(), &tail) != SQLITE_OK)
            Fail(table);
        text = tail;
        if (stmt.Get() == nullptr)
            continue; // blanks or a lone semicolon
        if (first) {
            int index = 1;
            for (const std::string_view p : params)
                sqlite3_bind_text(stmt.Get(), index++, p.data(), static_cast<int>(p.size()), SQLITE_TRANSIENT);
            first = false;
        }
        const int columns = sqlite3_column_count(stmt.Get());
        names.clear();
        int rc;
        while ((rc = sqlite3_step(stmt.Get())) == SQLITE_ROW) {
            // The names once the statement has run (a first step may prepare it again).
            for (int c = static_cast<int>(names.size()); c < columns; ++c)
                names.emplace_back(sqlite3_column_name(stmt.Get(), c));
            values.clear();
            for (int c = 0; c < columns; ++c) {
                const auto* value = reinterpret_cast<const char*>(sqlite3_column_text(stmt.Get(), c));
                values.push_back(
                    value ? std::string_view(value, static_cast<std::size_t>(sqlite3_column_bytes(stmt.Get(), c)))
                          : std::string_view());
            }
            row(names, values);
        }
        if (rc != SQLITE_DONE)
            Fail(table);
    }
}

void TableStore::Fail(std::string_view table) const
{
    const std::string engineText = m_db ? sqlite3_errmsg(m_db) : "out of memory";
    const int code = m_db ? sqlite3_errcode(m_db) & 0xFF : SQLITE_NOMEM;
    const std::string file = table.empty() ? std::string("A table file") : "Table file " + TableFilePath(m_dataFolder, table);
    switch (code) {
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        StoreError(file + " is damaged (" + engineText + ")");
    case SQLITE_READONLY:
        StoreError(file + " is read-only (" + engineText + ")");
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        StoreError(file + " is locked by another program (" + engineText + ")");
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
        StoreError(file + " cannot be opened (" + engineText + ")");
    default:
        StoreError(engineText);
    }
}

} // namespace tallivo
