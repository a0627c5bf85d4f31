#include "store/ReportTables.h"

namespace tallivo {

namespace {

// One statement, parsed once, bound to each row's values in turn.
constexpr std::string_view kInsertDetailRow =
    "Insert into ReportTableDetail(Product,NameEng,\"Credit Amount\",CreditAccount,TotalInvoidAmount,"
    "TotalWHTAmount,DeliveryMode,PickupLocation,VATAmount) Values(?1,?2,?3,?4,?5,?6,?7,?8,?9)";

} // namespace

void EmptyReportTables(TableStore& store)
{
    store.TableExec("ReportTable", "Delete From ReportTable");
    store.TableExec("ReportTableDetail", "Delete From ReportTableDetail");
}

void EmptySummaryTable(TableStore& store)
{
    store.ExecSql("Delete From ReportTable");
}

void AppendSummaryRow(TableStore& store, std::string_view product, std::string_view valueDate,
                      std::string_view creditCount, std::string_view amount)
{
    store.ExecSql("Insert into ReportTable(Product,Value_Date,No_Of_Credit,Amount) Values(" + QuoteSql(product) + "," +
                  QuoteSql(valueDate) + "," + std::string(creditCount) + "," + std::string(amount) + ")");
}

void AppendDetailRow(TableStore& store, const std::array<std::string_view, kDetailColumns>& values)
{
    store.TableExecRepeated("ReportTableDetail", kInsertDetailRow, values);
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
