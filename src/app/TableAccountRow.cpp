#include "app/TableAccountRow.h"

#include "common/CommandProgress.h"
#include "store/TableStore.h"

namespace tallivo {

namespace {
constexpr std::string_view kTable = "addAccBatchError";
}

void TableAccountRow::Use()
{
    if (m_checked)
        return;
    TableStore& store = m_store();
    if (m_known) {
        store.CheckTableFile(kTable);
    } else {
        const std::vector<TableRow> rows =
            store.TableQuery(kTable, "Select ACCOUNT, BENE_NAME_EN, BENE_NAME_TH From addAccBatchError Order By rowid Limit 1");
        m_hasRow = !rows.empty();
        m_account = m_hasRow ? rows[0].at("ACCOUNT") : std::string();
        m_nameEn = m_hasRow ? rows[0].at("BENE_NAME_EN") : std::string();
        m_nameTh = m_hasRow ? rows[0].at("BENE_NAME_TH") : std::string();
        m_known = true;
    }
    m_checked = true;
}

void TableAccountRow::StartRow(std::string_view account)
{
    Use();
    m_account.assign(account);
    m_nameEn.clear();
    m_nameTh.clear();
    m_hasRow = true;
    m_dirty = true;
}

void TableAccountRow::SetNames(std::string_view nameEn, std::string_view nameTh)
{
    Use();
    if (!m_hasRow) {
        // Editing the current row of an empty table appends one, its account empty.
        m_account.clear();
        m_hasRow = true;
    }
    m_nameEn.assign(nameEn);
    m_nameTh.assign(nameTh);
    m_dirty = true;
}

std::string_view TableAccountRow::Account()
{
    Use();
    return m_account;
}

std::string_view TableAccountRow::NameEn()
{
    Use();
    return m_nameEn;
}

std::string TableAccountRow::NameTh()
{
    Use();
    return m_nameTh;
}

void TableAccountRow::Forget()
{
    m_checked = false;
    m_known = false;
    m_dirty = false;
}

void TableAccountRow::Flush()
{
    m_checked = false; // the next pass checks the file again
    if (progress::Cancelling()) {
        // A cancelled pass leaves the table file as it was.
        Forget();
        return;
    }
    if (!m_dirty)
        return;
    TableStore& store = m_store();
    TableTransaction transaction(store, {kTable});
    store.TableExec(kTable, "Delete From addAccBatchError");
    if (m_hasRow)
        store.TableExec(kTable, "Insert into addAccBatchError(ACCOUNT,BENE_NAME_EN,BENE_NAME_TH) Values(?1,?2,?3)",
                        {m_account, m_nameEn, m_nameTh});
    transaction.Commit();
    m_dirty = false;
    progress::FilesCommitted();
}

} // namespace tallivo
