// The invoice record: the rules in order and the row cells (both for every rule but the
// print language's, by product for that one).
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
        {"credit sequence number", ValidInvoice().Set(Invoice::CreditSequenceNo, "A"),
         {"12-17|Credit Sequence No.|This field should be number 6 digits"}},
        {"blank reference", ValidInvoice().Set(Invoice::InternalReference, ""),
         {"4-11|Internal Reference|This field should not be space"}},
        {"invoice sequence number", ValidInvoice().Set(Invoice::SequenceNo, "12345"),
         {"18-23|Invoice Sequence No.|This field should be number 6 digits"}},
        {"blank invoice number", ValidInvoice().Set(Invoice::Number, ""),
         {"24-38|Invoice Number|This field should not be space"}},
        {"date before amount", ValidInvoice().Set(Invoice::Date, "20230229").Set(Invoice::Amount, "X"),
         {"55-62|Invoice Date|Invalid invoice date", "39-54|Invoice Amount|This field should be number",
          "39-54|Invoice Amount|This field should have 16 digits"}},
        {"blank date", ValidInvoice().Set(Invoice::Date, ""), {"55-62|Invoice Date|Invalid invoice date"}},
        {"amount zero", ValidInvoice().Set(Invoice::Amount, "0000000000000000"),
         {"39-54|Invoice Amount|This field should  not equal zero"}},
        {"amount 15 digits and a blank", ValidInvoice().Set(Invoice::Amount, "000000000010000"),
         {"39-54|Invoice Amount|This field should be number", "39-54|Invoice Amount|This field should have 16 digits"}},
        {"amount a blank and 15 digits", ValidInvoice().Raw(Invoice::Amount, " 000000000010000"),
         {"39-54|Invoice Amount|This field should  not equal zero",
          "39-54|Invoice Amount|This field should have 16 digits"}},
        {"amount last digit", ValidInvoice().Set(Invoice::Amount, "0000000000100005"),
         {"39-54|Invoice Amount|Amount should have two digits after decimal"}},
        {"VAT", ValidInvoice().Set(Invoice::VatAmount, "000000000000000A"),
         {"148-163|VAT Amount|This field should be number"}},
        {"payee charge", ValidInvoice().Set(Invoice::PayeeChargeAmount, "000000000000000"),
         {"164-179|Payee Charge Amount|This field should be number",
          "164-179|Payee Charge Amount|This field should have 16 digits"}},
        {"WHT", ValidInvoice().Set(Invoice::WhtAmount, "0000000000000005"),
         {"180-195|WHT Amount|Amount should have two digits after decimal"}},
        {"language t", ValidInvoice().Set(Invoice::PrintLanguage, "t"),
         {"196-196|Print Language|This field should be T or E"}},
        {"language blank", ValidInvoice().Set(Invoice::PrintLanguage, ""),
         {"196-196|Print Language|This field should be T or E"}},
        {"language E", ValidInvoice().Set(Invoice::PrintLanguage, "E"), {}},
    };
    for (const Case& c : cases) {
        InvoiceFixture fx;
        EXPECT_EQ(fx.Check(c.record), c.expected) << c.name;
        EXPECT_EQ(fx.s.ctx.dataValid, c.expected.empty()) << c.name;
    }
}

TEST(InvoiceRecord, RowCells)
{
    InvoiceFixture mcp;
    mcp.Check(ValidInvoice().Set(Invoice::Number, "").Set(Invoice::PrintLanguage, "X"), "MCP");
    EXPECT_EQ(test::RowNames(mcp.s), (Rows{"1111111114|PAYEE", "|PAYEE"}));

    InvoiceFixture pay;
    pay.Check(ValidInvoice().Set(Invoice::Number, "").Set(Invoice::PrintLanguage, "X"), "PAY");
    EXPECT_EQ(test::RowNames(pay.s), (Rows{"1111111114|PAYEE", "1111111114|"}));
}

} // namespace
} // namespace tallivo
