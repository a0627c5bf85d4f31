// The invoice record: the rules in order and the row cells (both for rules 1-18, by
// product for the print language).
#include "PaymentRecordFixture.h"
#include "checking/RecordChecks.h"

#include <gtest/gtest.h>

namespace tallivo {
namespace {

using test::Rec;
using test::ValidInvoice;
using Rows = std::vector<std::string>;

struct InvoiceFixture : test::CheckFixture
{
    test::MemoryAccountRow row;
    InvoiceFixture()
    {
        s.accountRow = &row;
        row.account = "1111111114";
        row.nameEn = "PAYEE";
    }
    std::vector<std::string> Check(const Rec& r, std::string_view product = "PAY")
    {
        CheckInvoiceRecord(s, r.Text(), 6, product);
        return test::Findings(s);
    }
};

TEST(InvoiceRecord, Rules)
{
    struct Case
    {
        const char* name;
        Rec record;
        Rows expected;
    };
    const Case cases[] = {
        {"valid, zero VAT, charge and WHT", ValidInvoice(), {}},
        {"1", ValidInvoice().Set("12-17", "A"), {"12-17|Credit Sequence No.|This field should be number 6 digits"}},
        {"2", ValidInvoice().Set("4-11", ""), {"4-11|Internal Reference|This field should not be space"}},
        {"3", ValidInvoice().Set("18-23", "12345"), {"18-23|Invoice Sequence No.|This field should be number 6 digits"}},
        {"4", ValidInvoice().Set("24-38", ""), {"24-38|Invoice Number|This field should not be space"}},
        {"date before amount", ValidInvoice().Set("55-62", "20230229").Set("39-54", "X"),
         {"55-62|Invoice Date|Invalid invoice date", "39-54|Invoice Amount|This field should be number",
          "39-54|Invoice Amount|This field should have 16 digits"}},
        {"blank date", ValidInvoice().Set("55-62", ""), {"55-62|Invoice Date|Invalid invoice date"}},
        {"amount zero", ValidInvoice().Set("39-54", "0000000000000000"),
         {"39-54|Invoice Amount|This field should  not equal zero"}},
        {"amount 15 digits and a blank", ValidInvoice().Set("39-54", "000000000010000"),
         {"39-54|Invoice Amount|This field should be number", "39-54|Invoice Amount|This field should have 16 digits"}},
        {"amount a blank and 15 digits", ValidInvoice().Raw("39-54", " 000000000010000"),
         {"39-54|Invoice Amount|This field should  not equal zero",
          "39-54|Invoice Amount|This field should have 16 digits"}},
        {"amount last digit", ValidInvoice().Set("39-54", "0000000000100005"),
         {"39-54|Invoice Amount|Amount should have two digits after decimal"}},
        {"VAT", ValidInvoice().Set("148-163", "000000000000000A"), {"148-163|VAT Amount|This field should be number"}},
        {"payee charge", ValidInvoice().Set("164-179", "000000000000000"),
         {"164-179|Payee Charge Amount|This field should be number",
          "164-179|Payee Charge Amount|This field should have 16 digits"}},
        {"WHT", ValidInvoice().Set("180-195", "0000000000000005"),
         {"180-195|WHT Amount|Amount should have two digits after decimal"}},
        {"language t", ValidInvoice().Set("196", "t"), {"196-196|Print Language|This field should be T or E"}},
        {"language blank", ValidInvoice().Set("196", ""), {"196-196|Print Language|This field should be T or E"}},
        {"language E", ValidInvoice().Set("196", "E"), {}},
    };
    for (const Case& c : cases) {
        InvoiceFixture fx;
        EXPECT_EQ(fx.Check(c.record), c.expected) << c.name;
        EXPECT_EQ(fx.s.ctx.DataValid, c.expected.empty()) << c.name;
    }
}

TEST(InvoiceRecord, RowCells)
{
    InvoiceFixture mcp;
    mcp.Check(ValidInvoice().Set("24-38", "").Set("196", "X"), "MCP");
    EXPECT_EQ(test::RowNames(mcp.s), (Rows{"1111111114|PAYEE", "|PAYEE"}));

    InvoiceFixture pay;
    pay.Check(ValidInvoice().Set("24-38", "").Set("196", "X"), "PAY");
    EXPECT_EQ(test::RowNames(pay.s), (Rows{"1111111114|PAYEE", "1111111114|"}));
}

} // namespace
} // namespace tallivo
