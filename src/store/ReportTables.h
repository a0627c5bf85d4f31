#pragma once
// The statements of the report tables (ReportTable: one summary line per debit;
// ReportTableDetail: one row per credit) and of the addAccBatchError table, by what they
// do. Every other layer asks for these by name; the statements' text lives here.
#include "store/TableStore.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tallivo {

// Empties ReportTable, then ReportTableDetail: its rows are set aside until
// DropReplacedDetailRows, in the same transaction, once the new rows are written.
void EmptyReportTables(TableStore& store);
// Drops the detail rows EmptyReportTables set aside.
void DropReplacedDetailRows(TableStore& store);
// "Delete From ReportTable".
void EmptySummaryTable(TableStore& store);
// One summary line into ReportTable: product and value date as text, the count and the
// amount as the numbers their texts spell.
void AppendSummaryRow(TableStore& store, std::string_view product, std::string_view valueDate,
                      std::string_view creditCount, std::string_view amount);

// The columns of a ReportTableDetail row, in this order: Product, NameEng,
// "Credit Amount", CreditAccount, TotalInvoidAmount, TotalWHTAmount, DeliveryMode,
// PickupLocation, VATAmount.
inline constexpr std::size_t kDetailColumns = 9;
// One detail row, through one statement parsed once for all rows.
void AppendDetailRow(TableStore& store, const std::array<std::string_view, kDetailColumns>& values);

// Detail rows gathered and written several to a statement: the engine's work for each
// run of a statement is shared by as many rows. Rows are written in the order they came;
// Flush writes those still gathered.
class DetailRowBatch
{
public:
    explicit DetailRowBatch(TableStore& store) : m_store(store) {}
    void Append(const std::array<std::string_view, kDetailColumns>& values);
    void Flush();
    // After an error: the gathered rows are written if they can be, else dropped.
    void FlushAfterError() noexcept;
    void Drop() noexcept { m_count = 0; }

private:
    static constexpr std::size_t kRowsAtOnce = 16;
    TableStore& m_store;
    std::array<std::string, kDetailColumns * kRowsAtOnce> m_values;
    std::size_t m_count = 0;
};

// Up to `count` rows of a report table after the row numbered `after` (0: from the
// first), in table order, each with its row number as "rowIdColumn", handed to `row` one
// at a time as they are read.
void ReportRowsAfter(TableStore& store, std::string_view table, long long after, std::size_t count,
                     std::string_view rowIdColumn, const TableStore::RowVisitor& row);

// Every table file attached before a transaction starts.
void AttachEveryTable(TableStore& store);

// The addAccBatchError row: ACCOUNT, BENE_NAME_EN, BENE_NAME_TH.
struct AccountRowValues
{
    std::string account;
    std::string nameEn;
    std::string nameTh;
};
// The table's first row, if any.
std::optional<AccountRowValues> FirstAccountRow(TableStore& store);
// True when the table holds row alone (nothing when row is empty).
bool HoldsOnlyAccountRow(TableStore& store, const std::optional<AccountRowValues>& row);
// The table holds row alone afterwards (nothing when row is empty), in one transaction.
void ReplaceAccountRow(TableStore& store, const std::optional<AccountRowValues>& row);
// The addAccBatchError table's name, for the file checks.
inline constexpr std::string_view kAccountTable = "addAccBatchError";

} // namespace tallivo
