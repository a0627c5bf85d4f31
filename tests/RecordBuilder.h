#pragma once
// Builds payment file records for tests: a valid default record of each type, whose
// fields are then set through the record's layout, and whole files joined with CR LF.
//
//     Rec debit = ValidDebit("DCP").Set(Debit::Amount, "0000000000000000");
#include "checking/CheckSession.h"
#include "common/Clock.h"
#include "format/DebitLayout.h"
#include "format/DirectDebitBatchLayout.h"
#include "format/DirectDebitItemLayout.h"
#include "format/HeaderLayout.h"
#include "format/ProductSets.h"
#include "format/RecordTypes.h"
#include "format/TrailerLayout.h"

#include <cstddef>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tallivo::test {

// The date a FixedClock gives in the record tests; the valid defaults use later dates.
inline constexpr const char* kToday = "20250115";
// Accounts whose check digit is right.
inline constexpr const char* kGoodAccount = "1111111114";
inline constexpr const char* kGoodAccount2 = "5555555550";

class Rec
{
public:
    // A record of a known type: its code, then blanks to the type's length.
    explicit Rec(std::string_view code) : Rec(code, RecordLength(code)) {}
    // A record of any code and length.
    Rec(std::string_view code, std::size_t length) : m_text(length, ' ') { m_text.replace(0, code.size(), code); }

    // Sets a field to text, padded with blanks to the field's width. A text longer than
    // the field is a mistake in the test.
    Rec& Set(const Field& field, std::string_view text)
    {
        SetField(m_text, field, text);
        return *this;
    }
    // Sets a field to text exactly as given, which must fill it (for leading or trailing blanks).
    Rec& Raw(const Field& field, std::string_view text)
    {
        if (text.size() != field.Width())
            throw std::logic_error("raw text must fill " + std::string(field.columns));
        SetField(m_text, field, text);
        return *this;
    }
    // The same by column range "a-b" (or "a"), for tests that address columns no layout names.
    Rec& Set(std::string_view columns, std::string_view text)
    {
        std::size_t first = 0;
        std::size_t last = 0;
        Parse(columns, first, last);
        const std::size_t width = last - first + 1;
        if (text.size() > width || last > m_text.size())
            throw std::logic_error("field text does not fit " + std::string(columns));
        std::string field(text);
        field.resize(width, ' ');
        m_text.replace(first - 1, width, field);
        return *this;
    }
    Rec& Raw(std::string_view columns, std::string_view text)
    {
        std::size_t first = 0;
        std::size_t last = 0;
        Parse(columns, first, last);
        if (text.size() != last - first + 1)
            throw std::logic_error("raw text must fill " + std::string(columns));
        m_text.replace(first - 1, text.size(), text);
        return *this;
    }
    // Cuts the record to a length (lines shorter than their fields).
    Rec& Cut(std::size_t length)
    {
        m_text.resize(length);
        return *this;
    }

    const std::string& Text() const { return m_text; }
    operator const std::string&() const { return m_text; }
    operator std::string_view() const { return m_text; }

private:
    static void Parse(std::string_view columns, std::size_t& first, std::size_t& last)
    {
        const std::size_t dash = columns.find('-');
        first = std::stoul(std::string(columns.substr(0, dash)));
        last = dash == std::string_view::npos ? first : std::stoul(std::string(columns.substr(dash + 1)));
        if (first == 0 || last < first)
            throw std::logic_error("bad columns " + std::string(columns));
    }

    std::string m_text;
};

inline Rec ValidHeader()
{
    return Rec(RecordCode::Header)
        .Set(Header::CompanyId, "COMPANY01")
        .Set(Header::CustomerReference, "FILE REFERENCE 1")
        .Set(Header::FileDate, "20250115")
        .Set(Header::FileTime, "101500")
        .Set(Header::ChannelId, "VYN");
}

// A debit record of a product, valid for that product (layout A for the fee account
// products, layout B for the media clearing group), value date after kToday.
inline Rec ValidDebit(std::string_view product = "DCP")
{
    Rec r(RecordCode::Debit);
    r.Set(Debit::ProductCode, product)
        .Set(Debit::ValueDate, "20250120")
        .Set(Debit::Account, kGoodAccount)
        .Set(Debit::AccountType, "01")
        .Set(Debit::BranchCode, "0001")
        .Set(Debit::Currency, "THB")
        .Set(Debit::Amount, "0000000001000000")
        .Set(Debit::InternalReference, "INTREF01")
        .Set(Debit::CreditCount, "000001");
    if (Contains(kMediaClearingGroup, product))
        r.Set(Debit::FeeDebitAccount, "123456789012345").Set(Debit::MediaCircle, "0");
    else if (product != Product::BahtNet)
        r.Set(Debit::FeeAccount, kGoodAccount2);
    return r;
}

inline Rec ValidTrailer(std::string_view debits = "000001", std::string_view credits = "000001",
                        std::string_view amount = "0000000001000000")
{
    return Rec(RecordCode::Trailer)
        .Set(Trailer::DebitCount, debits)
        .Set(Trailer::CreditCount, credits)
        .Set(Trailer::TotalAmount, amount);
}

inline Rec ValidDirectDebitBatch(std::string_view product = "DDR")
{
    return Rec(RecordCode::DirectDebitBatch)
        .Set(DirectDebitBatch::ProductCode, product)
        .Set(DirectDebitBatch::InternalReference, "DDREF001")
        .Set(DirectDebitBatch::ValueDate, "20250120")
        .Set(DirectDebitBatch::ProcessingRound, "01")
        .Set(DirectDebitBatch::CreditAccount, kGoodAccount)
        .Set(DirectDebitBatch::CreditAccount2, kGoodAccount2)
        .Set(DirectDebitBatch::Currency, "THB");
}

inline Rec ValidDirectDebitItem()
{
    return Rec(RecordCode::DirectDebitItem)
        .Set(DirectDebitItem::InternalReference, "ITEM0001")
        .Set(DirectDebitItem::SequenceNumber, "000001")
        .Set(DirectDebitItem::Account, kGoodAccount)
        .Set(DirectDebitItem::Currency, "THB");
}

// Lines joined, each ended by CR LF.
inline std::string FileOf(std::initializer_list<std::string> lines)
{
    std::string out;
    for (const std::string& l : lines)
        out += l + "\r\n";
    return out;
}

// The finding rows of the error layout, each as its cells 1 to 7 joined by "|":
// "002|5|49-64|Debit Amount|Amount should be number|<account>|<payee>".
inline std::vector<std::string> ErrorRows(const ResultGrid& grid)
{
    std::vector<std::string> rows;
    for (std::size_t r = 1; r + 1 < grid.RowCount(); ++r) {
        std::string row;
        for (std::size_t c = 1; c < ResultGrid::kMaxColumns; ++c) {
            if (c > 1)
                row += '|';
            row += grid.Cell(c, r);
        }
        rows.push_back(row);
    }
    return rows;
}

// A session ready for record checks: the error layout set up, dataValid true, and a
// clock fixed at kToday.
struct CheckFixture
{
    FixedClock clock{kToday};
    CheckSession s;

    CheckFixture()
    {
        s.clock = &clock;
        s.SetUpErrorLayout();
        s.ctx.dataValid = true;
    }
    std::vector<std::string> Rows() const { return ErrorRows(s.grid); }
};

} // namespace tallivo::test
