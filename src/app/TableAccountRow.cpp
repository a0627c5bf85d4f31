#include "app/TableAccountRow.h"

#include "common/CommandProgress.h"
#include "store/ReportTables.h"

namespace tallivo {

void TableAccountRow::Use()
{
    if (m_checked)
        return;
    TableStore& store = m_store();
    if (m_known) {
        store.CheckTableFile(kAccountTable);
    } else {
        std::optional<AccountRowValues> row = FirstAccountRow(store);
        m_hasRow = row.has_value();
        m_account = m_hasRow ? std::move(row->account) : std::string();
        m_nameEn = m_hasRow ? std::move(row->nameEn) : std::string();
        m_nameTh = m_hasRow ? std::move(row->nameTh) : std::string();
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
    const std::optional<AccountRowValues> row =
        m_hasRow ? std::optional<AccountRowValues>({m_account, m_nameEn, m_nameTh}) : std::nullopt;
    // A file that holds this row alone already is left as it is, so that checking the
    // same file again waits for no transaction on the disk.
    TableStore& store = m_store();
    if (!HoldsOnlyAccountRow(store, row))
        ReplaceAccountRow(store, row);
    m_dirty = false;
    progress::FilesCommitted();
}

} // namespace tallivo
