#pragma once
// The local table store: the tables of the program folder's Data/ folder, one table per
// file ("ReportTable.DAT", "ReportTableDetail.DAT", "addAccBatchError.DAT"), each file an
// SQLite database holding the one table of its name.
//
// One connection to an in-memory database, with every table file attached under its
// table's name, so that statements name the tables plainly, as the program writes them:
//
//     TableStore store(app.DataFolder());
//     store.ExecSql("Delete From ReportTable");
//     store.ExecSql("Insert into ReportTable(Product,Value_Date,No_Of_Credit,Amount) Values(" +
//                   QuoteSql(product) + "," + QuoteSql(valueDate) + ",12,1234567.89)");
//     for (const TableRow& row : store.TableRows("ReportTable")) ... row.at("Product") ...
//
// The program's own statements live in this layer beside it (store/ReportTables.h), named
// by what they do; the layers above ask for them by those names.
//
// A table file is attached the first time a statement needs it (ExecSql and Query attach
// every table; the Table... operations only the one they name), and it is checked then: a
// missing file, a file that is not a database or one without its table raises
// AppError(Kind::Store) naming the file. The program never creates the table files; the
// build does (CreateTableFiles), and tests make their own Data folder the same way.
// Every failing statement raises AppError(Kind::Store) with the engine's text.
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace tallivo {

// One row read back: column name -> value as text (NULL reads as "").
using TableRow = std::map<std::string, std::string>;

// The table files of the store, by table name; each lives in Data/ as <name>.DAT.
inline constexpr std::string_view kTableNames[] = {"ReportTable", "ReportTableDetail", "addAccBatchError"};

// A text value as an SQL string literal: in single quotes, each inner quote doubled
// (O'NEIL -> 'O''NEIL').
std::string QuoteSql(std::string_view text);

// The path of a table's file in a data folder (which ends with a separator).
std::string TableFilePath(const std::string& dataFolder, std::string_view table);

// Creates the table files in a data folder from the store's schema: each file that is
// missing, not a database or lacks its table is (re)created empty; a sound file keeps its
// rows. Used by the build (program folder) and by tests. Raises AppError(Kind::Store).
void CreateTableFiles(const std::string& dataFolder);
// Creates, empty and from the schema, each table file a data folder lacks (mode 0600);
// the files there are left as they are. Raises AppError(Kind::Store).
void CreateMissingTableFiles(const std::string& dataFolder);

// Readies the table engine, once per process, before its first connection opens: it
// keeps no count of its memory, which otherwise takes a process-wide lock on every
// allocation (a seal's summary makes millions).
void ReadyTableEngine();

class TableStore
{
public:
    // Points the store at a data folder; no file is touched until a statement needs it.
    explicit TableStore(std::string dataFolder);
    ~TableStore();
    TableStore(const TableStore&) = delete;
    TableStore& operator=(const TableStore&) = delete;

    const std::string& DataFolder() const { return m_dataFolder; }

    // Runs one statement that returns no rows ("Delete From addAccBatchError", an Insert
    // built with QuoteSql). Parameters, if given, are bound as text to ?1, ?2, ...
    void ExecSql(std::string_view statement, const std::vector<std::string_view>& params = {});
    // Runs one statement and returns its rows, every column as text.
    std::vector<TableRow> Query(std::string_view statement, const std::vector<std::string_view>& params = {});
    // All rows of one table in table order (the order they were appended).
    std::vector<TableRow> TableRows(std::string_view table);

    // Like ExecSql and Query, but attaching only the one table the statement names, so a
    // statement on one table does not need the others' files.
    void TableExec(std::string_view table, std::string_view statement,
                   const std::vector<std::string_view>& params = {});
    std::vector<TableRow> TableQuery(std::string_view table, std::string_view statement,
                                     const std::vector<std::string_view>& params = {});
    // Like TableQuery, handing each row to `row` as it is read instead of keeping them
    // all: the columns' names and the row's values as text (NULL reads as ""), valid
    // during the call, so that many rows are read without a map for each.
    using RowVisitor =
        std::function<void(std::span<const std::string_view> names, std::span<const std::string_view> values)>;
    void TableQueryEach(std::string_view table, std::string_view statement, const RowVisitor& row);
    // Like TableExec, for one statement run many times with other parameters (the rows
    // of an Insert): it is parsed once and kept for the next run.
    void TableExecRepeated(std::string_view table, std::string_view statement,
                           std::span<const std::string_view> params);
    void TableExecRepeated(std::string_view table, std::string_view statement,
                           std::initializer_list<std::string_view> params)
    {
        TableExecRepeated(table, statement, std::span<const std::string_view>(params.begin(), params.size()));
    }

    // A number that stays the same as long as no other connection (another run of the
    // program, or another store) has committed a change to the table's file since this
    // store attached it.
    long long DataVersion(std::string_view table);

    // Checks again that a table's file is in place (it may have been removed since it was
    // attached); raises the store error naming the file when it is not.
    void CheckTableFile(std::string_view table);

    // One transaction around many statements. Begin attaches the tables the statements
    // will use (every table when none are named: a file cannot be attached inside a
    // transaction). Commit ends it; Rollback undoes it (ignored when none is open).
    void Begin(const std::vector<std::string_view>& tables = {});
    void Commit();
    void Rollback();
    // Ends the open transaction after an error, never raising: keeps its work (commit) or
    // undoes it; a failure of either leaves the engine to undo it when the connection closes.
    void EndAfterError(bool keep) noexcept;

private:
    void OpenBareStore();
    void Attach(std::string_view table);
    void AttachAll();
    std::vector<TableRow> Run(std::string_view statement, const std::vector<std::string_view>& params,
                              std::string_view table);
    void RunEach(std::string_view statement, const std::vector<std::string_view>& params, std::string_view table,
                 const RowVisitor& row);
    [[noreturn]] void Fail(std::string_view table) const;
    void Detach(std::string_view table) noexcept;
    void DropKeptStatements() noexcept;
    void SyncWrittenPages(std::string_view table);

    std::string m_dataFolder;
    sqlite3* m_db = nullptr;
    std::vector<std::string> m_attached;
    std::vector<std::pair<std::string, sqlite3_stmt*>> m_kept; // TableExecRepeated's statements
    unsigned long long m_repeatedBytes = 0;                    // values TableExecRepeated bound since its last sync
};

// Begin on construction; Rollback on destruction unless Commit was called.
class TableTransaction
{
public:
    explicit TableTransaction(TableStore& store, const std::vector<std::string_view>& tables = {}) : m_store(store)
    {
        m_store.Begin(tables);
    }
    ~TableTransaction()
    {
        if (!m_done) {
            try {
                m_store.Rollback();
            } catch (...) {
                // The error that ended the transaction is the one the user sees.
            }
        }
    }
    TableTransaction(const TableTransaction&) = delete;
    TableTransaction& operator=(const TableTransaction&) = delete;
    void Commit()
    {
        m_store.Commit();
        m_done = true;
    }

private:
    TableStore& m_store;
    bool m_done = false;
};

} // namespace tallivo
