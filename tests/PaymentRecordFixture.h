#pragma once
// Valid default credit, payee, WHT and invoice records for the record check tests, an
// addAccBatchError row held in memory (MemoryAccountRow), and the findings as "columns|field|message".
#include "RecordBuilder.h"
#include "checking/AccountRowStore.h"

#include <string>
#include <vector>

namespace tallivo::test {

using tallivo::MemoryAccountRow;

// A credit record that passes every rule for its product: flags "N", no WHT, no invoices.
inline Rec ValidCredit(std::string_view product = "DCP")
{
    Rec r("003", 355);
    r.Set("4-9", "000001")
        .Set("10-34", kGoodAccount)
        .Set("35-50", "0000000001000000")
        .Set("51-53", "THB")
        .Set("54-61", "INTREF01")
        .Set("62-64", "NNN")
        .Set("65", "M")
        .Set("92-93", "00")
        .Set("94-109", "0000000000000000")
        .Set("110-115", "000000")
        .Set("116-131", "0000000000000000")
        .Set("181-183", "014");
    if (product == "MCL" || product == "PA4" || product == "PA5" || product == "PA6" || product == "BNT" ||
        product == "DDR")
        r.Set("181-183", "002").Set("184-218", "OTHER BANK").Set("219-222", "0001").Set("284-285", "01");
    if (product == "BNT")
        r.Set("281-283", "CSH");
    if (product == "MCP" || product == "DDP" || product == "CCP" || product == "XMQ" || product == "XDQ")
        r.Set("219-222", "0001").Set("260-279", "CHEQUE REF").Set("280", "1");
    return r;
}

// With withholding tax: a positive declared total and the certificate fields.
inline Rec WithWht(Rec r)
{
    return r.Set("62", "Y")
        .Set("70-71", "53")
        .Set("86-91", "000001")
        .Set("92-93", "01")
        .Set("94-109", "0000000000010000")
        .Set("132", "1")
        .Set("173-180", "20250101")
        .Set("258", "B");
}

inline Rec ValidPayee()
{
    return Rec("004", 816)
        .Set("4-11", "INTREF01")
        .Set("12-17", "000001")
        .Set("33-132", "THAI NAME")
        .Set("343-352", "1234567890")
        .Set("353-422", "ENGLISH NAME")
        .Set("423-432", "0212345678");
}

inline Rec ValidWht()
{
    return Rec("005", 138)
        .Set("4-11", "INTREF01")
        .Set("12-17", "000001")
        .Set("18-19", "01")
        .Set("20-35", "0000000000010000")
        .Set("36-40", "1")
        .Set("121-122", "03")
        .Set("123-138", "0000000000100000");
}

inline Rec ValidInvoice()
{
    return Rec("006", 196)
        .Set("4-11", "INTREF01")
        .Set("12-17", "000001")
        .Set("18-23", "000001")
        .Set("24-38", "INV-1")
        .Set("39-54", "0000000000100000")
        .Set("55-62", "20240229")
        .Set("148-163", "0000000000000000")
        .Set("164-179", "0000000000000000")
        .Set("180-195", "0000000000000000")
        .Set("196", "T");
}

// The findings of the grid as "columns|field name|message" (cells 3 to 5).
inline std::vector<std::string> Findings(const CheckSession& s)
{
    std::vector<std::string> rows;
    for (std::size_t r = 1; r + 1 < s.grid.RowCount(); ++r)
        rows.push_back(std::string(s.grid.Cell(3, r)) + "|" + std::string(s.grid.Cell(4, r)) + "|" + std::string(s.grid.Cell(5, r)));
    return rows;
}

// The Account and Payee Name cells of every finding, as "account|payee".
inline std::vector<std::string> RowNames(const CheckSession& s)
{
    std::vector<std::string> rows;
    for (std::size_t r = 1; r + 1 < s.grid.RowCount(); ++r)
        rows.push_back(std::string(s.grid.Cell(6, r)) + "|" + std::string(s.grid.Cell(7, r)));
    return rows;
}

} // namespace tallivo::test
