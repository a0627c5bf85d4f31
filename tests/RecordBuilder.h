#pragma once
// Builds payment file records for tests: a valid default record of each type, whose
// fields are then set by column range, and whole files joined with CR LF.
//
//     Rec debit = ValidDebit("DCP").Set("49-64", "0000000000000000");
#include "checking/CheckSession.h"
#include "common/Clock.h"

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
    Rec(std::string_view code, std::size_t length) : m_text(length, ' ') { m_text.replace(0, code.size(), code); }

    // Sets columns "a-b" (or "a") to text, padded with blanks to the field's width.
    // A text longer than the field is a mistake in the test.
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
    // Sets columns "a-b" to text exactly as given, without padding (for leading/trailing blanks use spaces).
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
    return Rec("001", 96)
        .Set("4-15", "COMPANY01")
        .Set("16-47", "FILE REFERENCE 1")
        .Set("48-55", "20250115")
        .Set("56-61", "101500")
        .Set("62-64", "VYN");
}

// A debit record of a product, valid for that product (layout A for the fee account
// products, layout B for the media clearing group), value date after kToday.
inline Rec ValidDebit(std::string_view product = "DCP")
{
    Rec r("002", 109);
    r.Set("4-6", product)
        .Set("7-14", "20250120")
        .Set("15-39", kGoodAccount)
        .Set("40-41", "01")
        .Set("42-45", "0001")
        .Set("46-48", "THB")
        .Set("49-64", "0000000001000000")
        .Set("65-72", "INTREF01")
        .Set("73-78", "000001");
    if (product == "MCL" || product == "PA4" || product == "PA5" || product == "PA6")
        r.Set("79-93", "123456789012345").Set("103", "0");
    else if (product != "BNT")
        r.Set("79-103", kGoodAccount2);
    return r;
}

inline Rec ValidTrailer(std::string_view debits = "000001", std::string_view credits = "000001",
                        std::string_view amount = "0000000001000000")
{
    return Rec("999", 31).Set("4-9", debits).Set("10-15", credits).Set("16-31", amount);
}

inline Rec ValidDirectDebitBatch(std::string_view product = "DDR")
{
    return Rec("007", 300)
        .Set("4-6", product)
        .Set("7-14", "DDREF001")
        .Set("15-22", "20250120")
        .Set("23-24", "01")
        .Set("25-49", kGoodAccount)
        .Set("59-83", kGoodAccount2)
        .Set("93-95", "THB");
}

inline Rec ValidDirectDebitItem()
{
    return Rec("008", 200).Set("4-11", "ITEM0001").Set("12-17", "000001").Set("18-42", kGoodAccount).Set("43-45", "THB");
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

// A session ready for record checks: the error layout set up, DataValid true, and a
// clock fixed at kToday.
struct CheckFixture
{
    FixedClock clock{kToday};
    CheckSession s;

    CheckFixture()
    {
        s.clock = &clock;
        s.SetUpErrorLayout();
        s.ctx.DataValid = true;
    }
    std::vector<std::string> Rows() const { return ErrorRows(s.grid); }
};

} // namespace tallivo::test
