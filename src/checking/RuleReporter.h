#pragma once
// What a record check needs to read like its table of rules: the fields of a line by
// the record's layout (Fields, format/*Layout.h), and the two kinds of failure as two
// calls (RuleReporter) that print the field's columns and name as the layout states them.
//
//     RuleReporter r(s, RecordCode::Header, lineNo);
//     const Fields f(line);
//     if (Trim(f[Header::CompanyId]).empty()) r.Fail(Header::CompanyId, "This field should not be space");
#include "checking/CheckSession.h"
#include "format/Fields.h"
#include "format/Primitives.h"
#include "format/ProductSets.h"
#include "format/RecordTypes.h"

#include <charconv>
#include <cstddef>
#include <string>
#include <string_view>

namespace tallivo {

// A number whose trimmed text fills the field ("This field should be number 6 digits").
inline bool IsFullWidthNumber(const Fields& f, const Field& field)
{
    return IsNumber(f[field]) && Trim(f[field]).size() == field.Width();
}

// Today's local date as yyyymmdd for the value-date rules: the session's clock, or the
// system's when none is set.
inline std::string TodayYyyymmdd(const CheckSession& s)
{
    return s.clock ? s.clock->TodayYyyymmdd() : SystemClock().TodayYyyymmdd();
}

// What an account failure does besides appending its row and counting invalidAccountCount.
enum class AccountFailure
{
    KeepsDataValid,  // debit record: dataValid and the Save button are left alone
    ClearsDataValid, // credit record: dataValid := false first; FlagInvalidData is not called
};

// Reports the failed rules of one record. The row cells that every row of the record
// shares (record type, line number, and for records whose rows name them the Account
// and Payee Name cells) are fixed at construction.
class RuleReporter
{
public:
    // Rows without account cells (AddError).
    RuleReporter(CheckSession& s, std::string_view recordType, int lineNo)
        : m_s(s), m_recordType(recordType)
    {
        SetLine(lineNo);
    }
    // Rows with the Account and Payee Name cells (AddAccountError); either may be empty.
    RuleReporter(CheckSession& s, std::string_view recordType, int lineNo, std::string_view account,
                 std::string_view payeeName, AccountFailure accountFailure = AccountFailure::KeepsDataValid)
        : m_s(s), m_recordType(recordType), m_account(account), m_payeeName(payeeName), m_withAccount(true),
          m_accountFailure(accountFailure)
    {
        SetLine(lineNo);
    }

    // Data failure: dataValid := false, the row, FlagInvalidData.
    void Fail(const Field& field, std::string_view message)
    {
        m_s.ctx.dataValid = false;
        AppendRow(field, message, m_withAccount);
        m_s.FlagInvalidData();
    }
    // Data failure whose row leaves the Account and Payee Name cells empty (AddError),
    // for the odd rule of a record whose other rows carry them.
    void FailWithoutAccount(const Field& field, std::string_view message)
    {
        m_s.ctx.dataValid = false;
        AppendRow(field, message, false);
        m_s.FlagInvalidData();
    }
    // Account failure of a home-bank account rule: the row and invalidAccountCount + 1;
    // whether dataValid is cleared depends on the record (see AccountFailure).
    // FlagInvalidData is never called.
    void AccountFail(const Field& field, std::string_view message)
    {
        if (m_accountFailure == AccountFailure::ClearsDataValid)
            m_s.ctx.dataValid = false;
        AppendRow(field, message, m_withAccount);
        ++m_s.ctx.invalidAccountCount;
    }

    CheckSession& Session() const { return m_s; }
    std::string_view LineText() const { return {m_line, m_lineLength}; }

private:
    void SetLine(int lineNo)
    {
        const auto result = std::to_chars(m_line, m_line + sizeof m_line, lineNo);
        m_lineLength = static_cast<std::size_t>(result.ptr - m_line);
    }
    void AppendRow(const Field& field, std::string_view message, bool withAccount)
    {
        if (withAccount)
            m_s.AddAccountError(m_recordType, LineText(), field.columns, field.name, message, m_account, m_payeeName);
        else
            m_s.AddError(m_recordType, LineText(), field.columns, field.name, message);
    }

    CheckSession& m_s;
    std::string_view m_recordType;
    std::string_view m_account;
    std::string_view m_payeeName;
    bool m_withAccount = false;
    AccountFailure m_accountFailure = AccountFailure::KeepsDataValid;
    char m_line[12] = {};
    std::size_t m_lineLength = 0;
};

} // namespace tallivo
