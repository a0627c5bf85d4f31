#pragma once
// The one-row addAccBatchError table as the record checks see it: the credit record
// starts a new row with its account, the payee record fills the names, and the payee,
// WHT and invoice records read the row to fill the cells of their error rows.
#include <string>
#include <string_view>

namespace tallivo {

class AccountRowStore
{
public:
    virtual ~AccountRowStore() = default;
    // "Delete From addAccBatchError", then one row with ACCOUNT := account, names empty.
    virtual void StartRow(std::string_view account) = 0;
    // Sets BENE_NAME_EN and BENE_NAME_TH of the current row.
    virtual void SetNames(std::string_view nameEn, std::string_view nameTh) = 0;
    // The row's values, valid until the row next changes.
    virtual std::string_view Account() = 0;
    virtual std::string_view NameEn() = 0;
    // Writes the row through to the table file (at the end of a pass, and when an error ends it).
    virtual void Flush() = 0;
    // Drops what a pass changed without writing it: the row is read from the table file
    // again at its next use.
    virtual void Forget() = 0;
};

// The row held in memory only, with nothing behind it: for runs that need no table
// file (the record check tests, the validation benchmark).
struct MemoryAccountRow : AccountRowStore
{
    void StartRow(std::string_view a) override
    {
        account = a;
        nameEn.clear();
        nameTh.clear();
    }
    void SetNames(std::string_view en, std::string_view th) override
    {
        nameEn = en;
        nameTh = th;
    }
    std::string_view Account() override { return account; }
    std::string_view NameEn() override { return nameEn; }
    void Flush() override { flushed = {account, nameEn, nameTh}; }
    void Forget() override
    {
        account = flushed.account;
        nameEn = flushed.nameEn;
        nameTh = flushed.nameTh;
    }

    struct Row
    {
        std::string account;
        std::string nameEn;
        std::string nameTh;
    };
    Row flushed; // as the last Flush left it
    std::string account;
    std::string nameEn;
    std::string nameTh;
};

} // namespace tallivo
