#pragma once
// The addAccBatchError row kept in memory during a validation pass and written through to
// its table file once, in Flush (one transaction), instead of a disk round-trip per record;
// not at all when the file holds that row alone already.
// The row left in the file by an earlier run is read on first use, so a payee, WHT or
// invoice record before any credit record sees it. The table file is checked at the first
// use of every pass: a missing file fails there, as the first credit record's table reset
// would.
#include "checking/AccountRowStore.h"

#include <functional>
#include <string>

namespace tallivo {

class TableStore;

class TableAccountRow : public AccountRowStore
{
public:
    // store: the table store, opened by its owner when first asked for.
    explicit TableAccountRow(std::function<TableStore&()> store) : m_store(std::move(store)) {}

    void StartRow(std::string_view account) override;
    void SetNames(std::string_view nameEn, std::string_view nameTh) override;
    std::string_view Account() override;
    std::string_view NameEn() override;
    void Flush() override;
    void Forget() override;

    std::string NameTh();

private:
    void Use();

    std::function<TableStore&()> m_store;
    bool m_known = false;   // the row below is the table's row (read, or written by this pass)
    bool m_checked = false; // the table file has been checked in this pass
    bool m_dirty = false;   // the row differs from the file
    bool m_hasRow = false;  // the table holds a row at all
    std::string m_account;
    std::string m_nameEn;
    std::string m_nameTh;
};

} // namespace tallivo
