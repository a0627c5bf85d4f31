// The credit record (003): the addAccBatchError row, the rules on the fields every credit
// carries, and the check-context values the records after it rely on. The rules that
// depend on the product group are in CreditProductRules.cpp.
#include "checking/AccountRowStore.h"
#include "checking/CreditProductRules.h"
#include "format/Primitives.h"
#include "format/ProductSets.h"
#include "checking/RecordChecks.h"
#include "checking/RuleReporter.h"

namespace tallivo {

namespace {

// The trimmed field is exactly 16 characters long.
bool Len16(std::string_view field)
{
    return Trim(field).size() == 16;
}

bool IsDigitsOfLength(std::string_view field, std::size_t length)
{
    return IsNumber(field) && Trim(field).size() == length;
}

bool IsYesNo(char c)
{
    return c == 'Y' || c == 'N';
}

// C2, the credit amount, and the running credit sum.
void CheckCreditAmount(RuleReporter& r, const Fields& f, std::string_view product, CheckContext& c)
{
    const std::string_view amount = f["35-50"];
    if (!Len16(amount)) {
        r.Fail("35-50", "Credit Amount", "Amount should have 16 digits");
        return;
    }
    if (!IsNumber(amount)) {
        r.Fail("35-50", "Credit Amount", "Amount should be number");
        return;
    }
    const long double value = StrToFloat(amount);
    if (f.At(50) == '0' && (value == 0 || f.At(35) == '-'))
        r.Fail("35-50", "Credit Amount", "Amount should be more than zero,Acc_No");
    c.CreditAmountSum = static_cast<double>(c.CreditAmountSum + value);

    // The 2,000,000 limit of media clearing to another bank, in currency units.
    if (product == "MCL" && f["181-183"] != kHomeBankCode) {
        const std::string_view whole = f["35-47"];
        const std::string_view decimals = f["48-50"];
        char text[20];
        whole.copy(text, whole.size());
        text[whole.size()] = '.';
        decimals.copy(text + whole.size() + 1, decimals.size());
        if (StrToFloat(std::string_view(text, whole.size() + 1 + decimals.size())) > 2000000)
            r.Fail("35-50", "Credit Amount", "Amount have not over 2,000,000 ");
    }
}

} // namespace

void CheckCreditRecord(CheckSession& s, std::string_view line, int lineNo, std::string_view product)
{
    CheckContext& c = s.ctx;
    const Fields f(line);
    const std::string_view creditAccount = Trim(f["10-34"]);

    // A new addAccBatchError row for the records of this credit, whatever the record holds.
    if (s.accountRow != nullptr)
        s.accountRow->StartRow(creditAccount);

    // Rows of the payee-name products name no account: the payee is only known later.
    RuleReporter r(s, "003", lineNo, Contains(kPayeeNameProducts, product) ? std::string_view() : creditAccount, {},
                   AccountFailure::ClearsDataValid);

    const char whtPresent = f.At(62);
    const char invoicePresent = f.At(63);

    // C1-C8
    if (!IsDigitsOfLength(f["4-9"], 6))
        r.Fail("4-9", "Credit Sequence Number", "This field should be number 6 digits");
    CheckCreditAmount(r, f, product, c);
    if (Len16(f["35-50"]) && IsNumber(f["35-50"]) && f.At(50) != '0')
        r.Fail("35-50", "Credit Amount", "Amount should have two digits after decimal");
    if (f["51-53"] != "THB")
        r.Fail("51-53", "Credit Currency", "Currency should be THB");
    if (Trim(f["54-61"]).empty())
        r.Fail("54-61", "Internal Reference", "This field should not be space");
    c.WhtPresent = false;
    if (!IsYesNo(whtPresent))
        r.Fail("62-62", "WHT Present", "This field should be Y or N");
    c.WhtPresent = whtPresent == 'Y';
    if (!IsYesNo(invoicePresent))
        r.Fail("63-63", "Invoice Details Present", "This field should be Y or N");
    if (!IsYesNo(f.At(64)))
        r.Fail("64-64", "Credit Advice Required", "This field should be Y or N");

    // D1-D3
    CheckCreditDeliveryRules(r, f, product);

    // C9-C11 and the declared WHT total
    const std::string_view totalWht = f["94-109"];
    if (whtPresent == 'Y' && !IsNumber(totalWht))
        r.Fail("94-109", "Total WHT Amount", "This field should be number");
    if (!Len16(totalWht))
        r.Fail("94-109", "Total WHT Amount", "This field should have 16 digits");
    if (Len16(totalWht) && IsNumber(totalWht) && f.At(109) == '0') {
        c.TotalWhtAmount = static_cast<double>(StrToFloat(totalWht));
        c.CreditLine = lineNo;
    }
    if (Len16(totalWht) && IsNumber(totalWht) && f.At(109) != '0')
        r.Fail("94-109", "Total WHT Amount", "Amount should have two digits after decimal");

    // C12-C14 apply when the credit has withholding tax above zero (W).
    const bool w = whtPresent == 'Y' && IsNumber(totalWht) && StrToFloat(totalWht) > 0;
    if (w) {
        const std::string_view formType = f["70-71"];
        if (!(formType == "01" || formType == "02" || formType == "03" || formType == "53"))
            r.Fail("70-71", "WHT Form Type", "This field should be 01,02,03 or 53");
        if (!IsDigitsOfLength(f["86-91"], 6))
            r.Fail("86-91", "WHT Attach No.", "This field should be number 6 digits");
        if (!IsDigitsOfLength(f["92-93"], 2))
            r.Fail("92-93", "No. of WHT Details", "This field should be number 2 digits");
    }
    if (IsNumber(f["92-93"]))
        c.DeclaredWhtCountText.assign(f["92-93"]);

    // C15-C19: the invoice declarations
    if (invoicePresent == 'Y' && !IsDigitsOfLength(f["110-115"], 6))
        r.Fail("110-115", "No. of Invoice Details", "This field should be number 6 digits");
    if (IsNumber(f["110-115"]))
        c.DeclaredInvoiceCountText.assign(f["110-115"]);
    const std::string_view totalInvoice = f["116-131"];
    if (invoicePresent == 'Y' && !IsNumber(totalInvoice))
        r.Fail("116-131", "Total Invoice Amount", "This field should be number");
    if (IsYesNo(invoicePresent) && !Len16(totalInvoice))
        r.Fail("116-131", "Total Invoice Amount", "This field should have 16 digits");
    if (invoicePresent == 'Y' && Len16(totalInvoice) && IsNumber(totalInvoice) && f.At(131) == '0' &&
        !IsFullAmount(totalInvoice))
        r.Fail("116-131", "Total Invoice Amount", "This field should not equal 0");
    if (Len16(totalInvoice) && IsNumber(totalInvoice) && f.At(131) != '0')
        r.Fail("116-131", "Total Invoice Amount", "Amount should have two digits after decimal");

    // C20-C23: the WHT certificate
    const char payType = f.At(132);
    if (whtPresent == 'Y' && !(payType >= '1' && payType <= '4'))
        r.Fail("132-132", "WHT Pay Type", "If the record have WHT this field should be 1,2,3 or 4");
    if (whtPresent == 'Y' && !IsValidDate(f["173-176"], f["177-178"], f["179-180"]))
        r.Fail("173-180", "WHT Deduct Date", "Invalid WHT Deduct Date");
    if (whtPresent == 'Y' && !(f.At(258) == 'B' || f.At(258) == 'C'))
        r.Fail("258-258", "WHT Signatory", "If the record have WHT this field should be B or C");
    if (payType == '4' && Trim(f["133-172"]).empty())
        r.Fail("133-172", "WHT Remark", "It WHT Pay Type is 4 this field should not be space");

    // C24 and the fax notification the payee record obeys
    c.BeneNotifyByFax = false;
    const char notification = f.At(259);
    if (!Trim(f["259-259"]).empty() &&
        !(notification == 'N' || notification == 'F' || notification == 'S' || notification == 'E'))
        r.Fail("259-259", "Beneficiary Notification", "If this field have value it should be N,F,S or E");
    c.BeneNotifyByFax = notification == 'F';

    // P1-P7
    CheckCreditProductRules(r, f, product, creditAccount);
}

} // namespace tallivo
