// The table files themselves: where they live, how SQL text quotes a value, and creating
// them from the schema (the build's tool and the tests; never the program).
#include "common/QuotedText.h"
#include "common/AppError.h"
#include "common/ReplacingFile.h"
#include "store/TableSchema.h"
#include "store/TableStore.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

namespace tallivo {

namespace {

[[noreturn]] void StoreError(const std::string& text)
{
    throw AppError(AppError::Kind::Store, text);
}

// The schema's "CREATE TABLE name(...)" statement of one table.
std::string CreateStatement(std::string_view table)
{
    std::string_view schema = TableSchemaSql();
    std::string statement;
    while (!schema.empty()) {
        const std::size_t end = schema.find('\n');
        std::string_view line = schema.substr(0, end);
        schema = end == std::string_view::npos ? std::string_view{} : schema.substr(end + 1);
        if (line.starts_with("--"))
            continue;
        statement.append(line).append(" ");
        const std::size_t semicolon = statement.find(';');
        if (semicolon == std::string::npos)
            continue;
        std::string one = statement.substr(0, semicolon);
        statement.erase(0, semicolon + 1);
        const std::size_t start = one.find("CREATE TABLE ");
        if (start == std::string::npos)
            continue;
        one.erase(0, start);
        const std::size_t nameStart = std::string_view("CREATE TABLE ").size();
        const std::size_t paren = one.find('(', nameStart);
        if (paren != std::string::npos && std::string_view(one).substr(nameStart, paren - nameStart) == table)
            return one;
    }
    StoreError("The table schema has no table " + std::string(table));
}

// True when the file is a database holding the table as the schema defines it.
bool HoldsTable(const std::string& path, std::string_view table, const std::string& statement)
{
    ReadyTableEngine();
    sqlite3* db = nullptr;
    bool sound = false;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT sql FROM sqlite_master WHERE type = 'table' AND name = ?1", -1, &stmt,
                               nullptr) == SQLITE_OK) {
            sqlite3_bind_text(stmt, 1, table.data(), static_cast<int>(table.size()), SQLITE_TRANSIENT);
            if (sqlite3_step(stmt) == SQLITE_ROW) {
                const auto* sql = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
                sound = sql != nullptr && statement == sql;
            }
        }
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return sound;
}

} // namespace

std::string QuoteSql(std::string_view text)
{
    return QuotedText(text);
}

std::string TableFilePath(const std::string& dataFolder, std::string_view table)
{
    return dataFolder + std::string(table) + ".DAT";
}

namespace {

// The page size of a new table file. The detail table takes a row per credit record, and
// every seal writes it anew: larger pages let the engine write and free it in a quarter of
// the pieces (larger still, the few pages a small file's seal writes cost it more). The
// others hold a few rows and keep the engine's usual size.
std::string_view PageSizePragma(std::string_view table)
{
    return table == "ReportTableDetail" ? "PRAGMA page_size = 16384;" : "";
}

// Makes the table file at path, empty, for the user alone.
void CreateTableFile(const std::string& path, std::string_view table, const std::string& statement)
{
    ReadyTableEngine();
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    char* message = nullptr;
    const std::string sql = std::string(PageSizePragma(table)) + statement;
    if (rc != SQLITE_OK || sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string text = message ? message : sqlite3_errmsg(db);
        sqlite3_free(message);
        sqlite3_close(db);
        StoreError("Cannot create the table file " + path + ": " + text);
    }
    sqlite3_close(db);
    // The tables hold payment data: for the user alone.
    if (::chmod(path.c_str(), 0600) != 0)
        StoreError("Cannot create the table file " + path + ": " + FileErrorText(errno));
}

} // namespace

void CreateTableFiles(const std::string& dataFolder)
{
    for (const std::string_view table : kTableNames) {
        const std::string path = TableFilePath(dataFolder, table);
        const std::string statement = CreateStatement(table);
        struct stat info {};
        if (::stat(path.c_str(), &info) == 0) {
            if (HoldsTable(path, table, statement))
                continue; // a sound file keeps its rows
            if (std::remove(path.c_str()) != 0)
                StoreError("Cannot replace the table file " + path);
        }
        CreateTableFile(path, table, statement);
    }
}

void CreateMissingTableFiles(const std::string& dataFolder)
{
    for (const std::string_view table : kTableNames) {
        const std::string path = TableFilePath(dataFolder, table);
        struct stat info {};
        if (::lstat(path.c_str(), &info) == 0)
            continue;
        // Made under a temporary name and renamed into place: a table file cut short never
        // stands under its name.
        ReplacingFile file(path);
        CreateTableFile(file.TempPath(), table, CreateStatement(table));
        file.Commit();
    }
}

} // namespace tallivo
