// The invoice record: its fields only; it adds to no running total.
#include "checking/AccountRowStore.h"
#include "format/InvoiceLayout.h"
#include "format/Primitives.h"
#include "format/ProductSets.h"
#include "checking/RecordChecks.h"
#include "checking/RuleReporter.h"

#include <string>

namespace tallivo {

namespace {

// The three rules of an amount that may be zero: number, 16 characters, last digit "0".
void CheckInvoiceAmount(RuleReporter& r, const Fields& f, const Field& field)
{
    const std::string_view amount = f[field];
    const bool len16 = Trim(amount).size() == kAmountWidth;
    const bool number = IsNumber(amount);
    if (!number)
        r.Fail(field, "This field should be number");
    if (!len16)
        r.Fail(field, "This field should have 16 digits");
    if (len16 && number && f.At(field.Last()) != '0')
        r.Fail(field, "Amount should have two digits after decimal");
}

} // namespace

void CheckInvoiceRecord(CheckSession& s, std::string_view line, int lineNo, std::string_view product)
{
    const Fields f(line);

    std::string_view rowAccount;
    std::string_view rowPayeeName;
    if (s.accountRow != nullptr) {
        rowAccount = s.accountRow->Account();
        rowPayeeName = s.accountRow->NameEn();
    }
    // Every row names both the account and the payee, except the print language's,
    // which follows the product.
    RuleReporter r(s, RecordCode::Invoice, lineNo, rowAccount, rowPayeeName);

    // The sequence numbers, the reference, the invoice number and date.
    if (!IsFullWidthNumber(f, Invoice::CreditSequenceNo))
        r.Fail(Invoice::CreditSequenceNo, "This field should be number 6 digits");
    if (Trim(f[Invoice::InternalReference]).empty())
        r.Fail(Invoice::InternalReference, "This field should not be space");
    if (!IsFullWidthNumber(f, Invoice::SequenceNo))
        r.Fail(Invoice::SequenceNo, "This field should be number 6 digits");
    if (Trim(f[Invoice::Number]).empty())
        r.Fail(Invoice::Number, "This field should not be space");
    if (!IsValidDate(f.Date(Invoice::Date)))
        r.Fail(Invoice::Date, "Invalid invoice date");

    // The invoice amount, which may not be zero.
    const std::string_view invoiceAmount = f[Invoice::Amount];
    const bool len16 = Trim(invoiceAmount).size() == kAmountWidth;
    const bool number = IsNumber(invoiceAmount);
    if (!number)
        r.Fail(Invoice::Amount, "This field should be number");
    if (number && !IsFullAmount(invoiceAmount))
        r.Fail(Invoice::Amount, "This field should  not equal zero");
    if (!len16)
        r.Fail(Invoice::Amount, "This field should have 16 digits");
    if (len16 && number && f.At(Invoice::Amount.Last()) != '0')
        r.Fail(Invoice::Amount, "Amount should have two digits after decimal");

    // The amounts that may be zero.
    CheckInvoiceAmount(r, f, Invoice::VatAmount);
    CheckInvoiceAmount(r, f, Invoice::PayeeChargeAmount);
    CheckInvoiceAmount(r, f, Invoice::WhtAmount);

    // The print language.
    const std::string_view language = Trim(f[Invoice::PrintLanguage]);
    if (!(language == "T" || language == "E")) {
        const bool payeeNameProduct = Contains(kPayeeNameProducts, product);
        RuleReporter byProduct(s, RecordCode::Invoice, lineNo,
                               payeeNameProduct ? std::string_view() : rowAccount,
                               payeeNameProduct ? rowPayeeName : std::string_view());
        byProduct.Fail(Invoice::PrintLanguage, "This field should be T or E");
    }
}

} // namespace tallivo
