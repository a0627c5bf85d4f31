#include "store/ReportTables.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tallivo {

namespace {

// One statement, parsed once, bound to each row's values in turn.
constexpr std::string_view kInsertDetailRow =
    "Insert into ReportTableDetail(Product,NameEng,\"Credit Amount\",CreditAccount,TotalInvoidAmount,"
    "TotalWHTAmount,DeliveryMode,PickupLocation,VATAmount) Values(?1,?2,?3,?4,?5,?6,?7,?8,?9)";

constexpr std::string_view kDetailTable = "ReportTableDetail";
// A name in the detail table's own file, as a statement gives it (the file's table of that
// name is meant, not one of the store's main database).
std::string InDetailFile(std::string_view name)
{
    return "\"ReportTableDetail\"." + std::string(name);
}
// Where emptying puts the detail rows it replaces until the new ones are written.
constexpr std::string_view kReplacedDetail = "ReportTableDetailReplaced";
constexpr std::string_view kCreateTable = "CREATE TABLE ";

// The statement that makes the detail table as its file made it, in its own file, when
// nothing but the table itself is built on it (no index, no trigger).
std::optional<std::string> DetailTableCreation(TableStore& store)
{
    const std::vector<TableRow> rows = store.TableQuery(
        kDetailTable, "Select type, name, sql From " + InDetailFile("sqlite_master") + " Where tbl_name = ?1",
        {kDetailTable});
    if (rows.size() != 1 || rows[0].at("type") != "table" || rows[0].at("name") != kDetailTable)
        return std::nullopt;
    // The table file keeps the statement as "CREATE TABLE " and the name as it was
    // written, without a schema; the copy names the table's own file.
    const std::string& sql = rows[0].at("sql");
    if (sql.compare(0, kCreateTable.size(), kCreateTable) != 0)
        return std::nullopt;
    return std::string(kCreateTable) + InDetailFile(sql.substr(kCreateTable.size()));
}

} // namespace

void EmptyReportTables(TableStore& store)
{
    store.TableExec("ReportTable", "Delete From ReportTable");
    // What an earlier run that an error ended left set aside.
    store.TableExec(kDetailTable, "Drop Table If Exists " + InDetailFile(kReplacedDetail));
    // The rows are set aside under another name and the table made again, empty, so the
    // new rows fill pages that held no rows when the transaction began: those are never
    // copied to the rollback journal. Emptying the table in place would free its pages
    // for the new rows, and each would first be copied there.
    if (const std::optional<std::string> creation = DetailTableCreation(store)) {
        store.TableExec(kDetailTable,
                        "Alter Table " + InDetailFile(kDetailTable) + " Rename To " + std::string(kReplacedDetail));
        store.TableExec(kDetailTable, *creation);
    } else {
        store.TableExec(kDetailTable, "Delete From ReportTableDetail");
    }
}

void DropReplacedDetailRows(TableStore& store)
{
    // The freed pages are left as they are instead of being overwritten with zeros, which
    // would first copy every one of them to the journal; the next run's rows take them
    // over.
    store.TableExec(kDetailTable, "Pragma " + InDetailFile("secure_delete = Fast"));
    store.TableExec(kDetailTable, "Drop Table If Exists " + InDetailFile(kReplacedDetail));
}

void EmptySummaryTable(TableStore& store)
{
    store.ExecSql("Delete From ReportTable");
}

void AppendSummaryRow(TableStore& store, std::string_view product, std::string_view valueDate,
                      std::string_view creditCount, std::string_view amount)
{
    // The count and the amount are bound as text: the columns' INTEGER and REAL types make
    // them the numbers they spell, as when they stood in the statement.
    store.TableExecRepeated(
        "ReportTable", "Insert into ReportTable(Product,Value_Date,No_Of_Credit,Amount) Values(?1,?2,?3,?4)",
        std::array<std::string_view, 4>{product, valueDate, creditCount, amount});
}

void AppendDetailRow(TableStore& store, const std::array<std::string_view, kDetailColumns>& values)
{
    store.TableExecRepeated("ReportTableDetail", kInsertDetailRow, values);
}

namespace {

// The insert of a whole batch: the detail row statement's values, once for each row.
std::string BatchInsert(std::size_t rows)
{
    std::string statement(kInsertDetailRow.substr(0, kInsertDetailRow.find(" Values(")));
    statement += " Values";
    for (std::size_t r = 0; r < rows; ++r) {
        statement += r == 0 ? "(" : ",(";
        for (std::size_t c = 0; c < kDetailColumns; ++c) {
            statement += c == 0 ? "?" : ",?";
            statement += std::to_string(r * kDetailColumns + c + 1);
        }
        statement += ')';
    }
    return statement;
}

} // namespace

void DetailRowBatch::Append(const std::array<std::string_view, kDetailColumns>& values)
{
    for (std::size_t c = 0; c < kDetailColumns; ++c)
        m_values[m_count * kDetailColumns + c].assign(values[c]);
    if (++m_count < kRowsAtOnce)
        return;
    static const std::string insert = BatchInsert(kRowsAtOnce);
    std::array<std::string_view, kDetailColumns * kRowsAtOnce> params;
    std::copy(m_values.begin(), m_values.end(), params.begin());
    m_count = 0;
    m_store.TableExecRepeated(kDetailTable, insert, params);
}

void DetailRowBatch::Flush()
{
    const std::size_t count = std::exchange(m_count, 0);
    for (std::size_t r = 0; r < count; ++r) {
        std::array<std::string_view, kDetailColumns> row;
        std::copy_n(m_values.begin() + static_cast<std::ptrdiff_t>(r * kDetailColumns), kDetailColumns, row.begin());
        AppendDetailRow(m_store, row);
    }
}

void DetailRowBatch::FlushAfterError() noexcept
{
    try {
        Flush();
    } catch (...) {
        // The error that ended the work is the one the user sees.
    }
}

void ReportRowsAfter(TableStore& store, std::string_view table, long long after, std::size_t count,
                     std::string_view rowIdColumn, const TableStore::RowVisitor& row)
{
    const std::string name(table);
    store.TableQueryEach(table,
                         "Select rowid As \"" + std::string(rowIdColumn) + "\", * From \"" + name + "\"" +
                             " Where rowid > " + std::to_string(after) + " Order By rowid Limit " +
                             std::to_string(count),
                         row);
}

void AttachEveryTable(TableStore& store)
{
    store.Query("Select 1");
}

std::optional<AccountRowValues> FirstAccountRow(TableStore& store)
{
    const std::vector<TableRow> rows = store.TableQuery(
        kAccountTable, "Select ACCOUNT, BENE_NAME_EN, BENE_NAME_TH From addAccBatchError Order By rowid Limit 1");
    if (rows.empty())
        return std::nullopt;
    return AccountRowValues{rows[0].at("ACCOUNT"), rows[0].at("BENE_NAME_EN"), rows[0].at("BENE_NAME_TH")};
}

bool HoldsOnlyAccountRow(TableStore& store, const std::optional<AccountRowValues>& row)
{
    // "Is" tells a NULL from an empty text, which writing the row would change.
    const std::vector<TableRow> rows = store.TableQuery(
        kAccountTable,
        "Select (Select count(*) From addAccBatchError) As n, (Select count(*) From addAccBatchError "
        "Where ACCOUNT Is ?1 And BENE_NAME_EN Is ?2 And BENE_NAME_TH Is ?3) As same",
        row ? std::vector<std::string_view>{row->account, row->nameEn, row->nameTh} : std::vector<std::string_view>{});
    return !rows.empty() && rows[0].at("n") == (row ? "1" : "0") && (!row || rows[0].at("same") == "1");
}

void ReplaceAccountRow(TableStore& store, const std::optional<AccountRowValues>& row)
{
    TableTransaction transaction(store, {kAccountTable});
    store.TableExec(kAccountTable, "Delete From addAccBatchError");
    if (row)
        store.TableExec(kAccountTable,
                        "Insert into addAccBatchError(ACCOUNT,BENE_NAME_EN,BENE_NAME_TH) Values(?1,?2,?3)",
                        {row->account, row->nameEn, row->nameTh});
    transaction.Commit();
}

} // namespace tallivo
