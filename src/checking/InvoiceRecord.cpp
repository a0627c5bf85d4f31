// The invoice record (006): its fields only; it adds to no running total.
#include "checking/AccountRowStore.h"
#include "format/Primitives.h"
#include "format/ProductSets.h"
#include "checking/RecordChecks.h"
#include "checking/RuleReporter.h"

#include <string>

namespace tallivo {

namespace {

bool IsDigitsOfLength(std::string_view field, std::size_t length)
{
    return IsNumber(field) && Trim(field).size() == length;
}

// The three rules of an amount that may be zero: number, 16 characters, last digit "0".
void CheckInvoiceAmount(RuleReporter& r, const Fields& f, ColumnRange range, std::string_view columns,
                        std::string_view fieldName)
{
    const std::string_view amount = f[range];
    const bool len16 = Trim(amount).size() == 16;
    if (!IsNumber(amount))
        r.Fail(columns, fieldName, "This field should be number");
    if (!len16)
        r.Fail(columns, fieldName, "This field should have 16 digits");
    if (len16 && IsNumber(amount) && f.At(range.last) != '0')
        r.Fail(columns, fieldName, "Amount should have two digits after decimal");
}

} // namespace

void CheckInvoiceRecord(CheckSession& s, std::string_view line, int lineNo, std::string_view product)
{
    const Fields f(line);

    std::string rowAccount;
    std::string rowPayeeName;
    if (s.accountRow != nullptr) {
        rowAccount = s.accountRow->Account();
        rowPayeeName = s.accountRow->NameEn();
    }
    // Rules 1-18 name both the account and the payee; rule 19 follows the product.
    RuleReporter r(s, "006", lineNo, rowAccount, rowPayeeName);

    // 1-5
    if (!IsDigitsOfLength(f["12-17"], 6))
        r.Fail("12-17", "Credit Sequence No.", "This field should be number 6 digits");
    if (Trim(f["4-11"]).empty())
        r.Fail("4-11", "Internal Reference", "This field should not be space");
    if (!IsDigitsOfLength(f["18-23"], 6))
        r.Fail("18-23", "Invoice Sequence No.", "This field should be number 6 digits");
    if (Trim(f["24-38"]).empty())
        r.Fail("24-38", "Invoice Number", "This field should not be space");
    if (!IsValidDate(f["55-58"], f["59-60"], f["61-62"]))
        r.Fail("55-62", "Invoice Date", "Invalid invoice date");

    // 6-9: the invoice amount, which may not be zero
    const std::string_view invoiceAmount = f["39-54"];
    if (!IsNumber(invoiceAmount))
        r.Fail("39-54", "Invoice Amount", "This field should be number");
    if (IsNumber(invoiceAmount) && !IsFullAmount(invoiceAmount))
        r.Fail("39-54", "Invoice Amount", "This field should  not equal zero");
    if (Trim(invoiceAmount).size() != 16)
        r.Fail("39-54", "Invoice Amount", "This field should have 16 digits");
    if (Trim(invoiceAmount).size() == 16 && IsNumber(invoiceAmount) && f.At(54) != '0')
        r.Fail("39-54", "Invoice Amount", "Amount should have two digits after decimal");

    // 10-18
    CheckInvoiceAmount(r, f, "148-163", "148-163", "VAT Amount");
    CheckInvoiceAmount(r, f, "164-179", "164-179", "Payee Charge Amount");
    CheckInvoiceAmount(r, f, "180-195", "180-195", "WHT Amount");

    // 19
    const std::string_view language = Trim(f["196-196"]);
    if (!(language == "T" || language == "E")) {
        const bool payeeNameProduct = Contains(kPayeeNameProducts, product);
        RuleReporter byProduct(s, "006", lineNo, payeeNameProduct ? std::string_view() : std::string_view(rowAccount),
                               payeeNameProduct ? std::string_view(rowPayeeName) : std::string_view());
        byProduct.Fail("196-196", "Print Language", "This field should be T or E");
    }
}

} // namespace tallivo
