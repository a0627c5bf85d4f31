// The credit record: the addAccBatchError row, the rules on the fields every credit
// carries, and the check-context values the records after it rely on. The rules that
// depend on the product group are in CreditProductRules.cpp.
#include "checking/AccountRowStore.h"
#include "checking/CreditProductRules.h"
#include "format/CreditLayout.h"
#include "format/Primitives.h"
#include "format/ProductSets.h"
#include "checking/RecordChecks.h"
#include "checking/RuleReporter.h"

namespace tallivo {

namespace {

// The trimmed field is exactly 16 characters long.
bool Len16(std::string_view field)
{
    return Trim(field).size() == kAmountWidth;
}

bool IsYesNo(char c)
{
    return c == 'Y' || c == 'N';
}

// The credit amount, and the running credit sum.
void CheckCreditAmount(RuleReporter& r, const Fields& f, std::string_view product, CheckContext& c)
{
    const std::string_view amount = f[Credit::Amount];
    if (!Len16(amount)) {
        r.Fail(Credit::Amount, "Amount should have 16 digits");
        return;
    }
    if (!IsNumber(amount)) {
        r.Fail(Credit::Amount, "Amount should be number");
        return;
    }
    const long double value = StrToFloat(amount);
    if (f.At(Credit::Amount.Last()) == '0' && (value == 0 || f.At(Credit::Amount.First()) == '-'))
        r.Fail(Credit::Amount, "Amount should be more than zero,Acc_No");
    c.creditAmountSum = static_cast<double>(c.creditAmountSum + value);

    // The 2,000,000 limit of media clearing to another bank, in currency units.
    if (product == Product::MediaClearing && f[Credit::ReceivingBankCode] != kHomeBankCode) {
        const std::string_view whole = f[WholeDigits(Credit::Amount)];
        const std::string_view decimals = f[DecimalDigits(Credit::Amount)];
        char text[kAmountWidth + 1];
        whole.copy(text, whole.size());
        text[whole.size()] = '.';
        decimals.copy(text + whole.size() + 1, decimals.size());
        if (StrToFloat(std::string_view(text, whole.size() + 1 + decimals.size())) > 2000000)
            r.Fail(Credit::Amount, "Amount have not over 2,000,000 ");
    }
}

} // namespace

void CheckCreditRecord(CheckSession& s, std::string_view line, int lineNo, std::string_view product)
{
    CheckContext& c = s.ctx;
    const Fields f(line);
    const std::string_view creditAccount = Trim(f[Credit::Account]);

    // A new addAccBatchError row for the records of this credit, whatever the record holds.
    if (s.accountRow != nullptr)
        s.accountRow->StartRow(creditAccount);

    // Rows of the payee-name products name no account: the payee is only known later.
    RuleReporter r(s, RecordCode::Credit, lineNo,
                   Contains(kPayeeNameProducts, product) ? std::string_view() : creditAccount, {},
                   AccountFailure::ClearsDataValid);

    const char whtPresent = f.At(Credit::WhtPresent);
    const char invoicePresent = f.At(Credit::InvoicePresent);

    // The sequence number, amount, currency, reference and the three Y/N flags.
    if (!IsFullWidthNumber(f, Credit::SequenceNumber))
        r.Fail(Credit::SequenceNumber, "This field should be number 6 digits");
    CheckCreditAmount(r, f, product, c);
    if (Len16(f[Credit::Amount]) && IsNumber(f[Credit::Amount]) && f.At(Credit::Amount.Last()) != '0')
        r.Fail(Credit::Amount, "Amount should have two digits after decimal");
    if (f[Credit::Currency] != "THB")
        r.Fail(Credit::Currency, "Currency should be THB");
    if (Trim(f[Credit::InternalReference]).empty())
        r.Fail(Credit::InternalReference, "This field should not be space");
    c.whtPresent = false;
    if (!IsYesNo(whtPresent))
        r.Fail(Credit::WhtPresent, "This field should be Y or N");
    c.whtPresent = whtPresent == 'Y';
    if (!IsYesNo(invoicePresent))
        r.Fail(Credit::InvoicePresent, "This field should be Y or N");
    if (!IsYesNo(f.At(Credit::AdviceRequired)))
        r.Fail(Credit::AdviceRequired, "This field should be Y or N");

    // How the payment travels: delivery mode and pickup location.
    CheckCreditDeliveryRules(r, f, product);

    // The declared WHT total.
    const std::string_view totalWht = f[Credit::TotalWhtAmount];
    const char totalWhtLastDigit = f.At(Credit::TotalWhtAmount.Last());
    const bool totalWhtNumber = IsNumber(totalWht);
    const bool totalWhtLen16 = Len16(totalWht);
    if (whtPresent == 'Y' && !totalWhtNumber)
        r.Fail(Credit::TotalWhtAmount, "This field should be number");
    if (!totalWhtLen16)
        r.Fail(Credit::TotalWhtAmount, "This field should have 16 digits");
    if (totalWhtLen16 && totalWhtNumber && totalWhtLastDigit == '0') {
        c.totalWhtAmount = static_cast<double>(StrToFloat(totalWht));
        c.creditLine = lineNo;
    }
    if (totalWhtLen16 && totalWhtNumber && totalWhtLastDigit != '0')
        r.Fail(Credit::TotalWhtAmount, "Amount should have two digits after decimal");

    // The WHT certificate's form, attachment and count apply when the credit has
    // withholding tax above zero.
    const bool withWht = whtPresent == 'Y' && totalWhtNumber && StrToFloat(totalWht) > 0;
    if (withWht) {
        if (!Contains(kWhtFormTypes, f[Credit::WhtFormType]))
            r.Fail(Credit::WhtFormType, "This field should be 01,02,03 or 53");
        if (!IsFullWidthNumber(f, Credit::WhtAttachNo))
            r.Fail(Credit::WhtAttachNo, "This field should be number 6 digits");
        if (!IsFullWidthNumber(f, Credit::WhtCount))
            r.Fail(Credit::WhtCount, "This field should be number 2 digits");
    }
    if (IsNumber(f[Credit::WhtCount]))
        c.declaredWhtCountText.assign(f[Credit::WhtCount]);

    // The invoice declarations: count and total.
    if (invoicePresent == 'Y' && !IsFullWidthNumber(f, Credit::InvoiceCount))
        r.Fail(Credit::InvoiceCount, "This field should be number 6 digits");
    if (IsNumber(f[Credit::InvoiceCount]))
        c.declaredInvoiceCountText.assign(f[Credit::InvoiceCount]);
    const std::string_view totalInvoice = f[Credit::TotalInvoiceAmount];
    const char totalInvoiceLastDigit = f.At(Credit::TotalInvoiceAmount.Last());
    const bool totalInvoiceNumber = IsNumber(totalInvoice);
    const bool totalInvoiceLen16 = Len16(totalInvoice);
    if (invoicePresent == 'Y' && !totalInvoiceNumber)
        r.Fail(Credit::TotalInvoiceAmount, "This field should be number");
    if (IsYesNo(invoicePresent) && !totalInvoiceLen16)
        r.Fail(Credit::TotalInvoiceAmount, "This field should have 16 digits");
    if (invoicePresent == 'Y' && totalInvoiceLen16 && totalInvoiceNumber && totalInvoiceLastDigit == '0' &&
        !IsFullAmount(totalInvoice))
        r.Fail(Credit::TotalInvoiceAmount, "This field should not equal 0");
    if (totalInvoiceLen16 && totalInvoiceNumber && totalInvoiceLastDigit != '0')
        r.Fail(Credit::TotalInvoiceAmount, "Amount should have two digits after decimal");

    // The WHT certificate: pay type, deduct date, signatory, remark.
    const char payType = f.At(Credit::WhtPayType);
    const char signatory = f.At(Credit::WhtSignatory);
    if (whtPresent == 'Y' && !(payType >= '1' && payType <= '4'))
        r.Fail(Credit::WhtPayType, "If the record have WHT this field should be 1,2,3 or 4");
    if (whtPresent == 'Y' && !IsValidDate(f.Date(Credit::WhtDeductDate)))
        r.Fail(Credit::WhtDeductDate, "Invalid WHT Deduct Date");
    if (whtPresent == 'Y' && !(signatory == 'B' || signatory == 'C'))
        r.Fail(Credit::WhtSignatory, "If the record have WHT this field should be B or C");
    if (payType == '4' && Trim(f[Credit::WhtRemark]).empty())
        r.Fail(Credit::WhtRemark, "It WHT Pay Type is 4 this field should not be space");

    // The beneficiary notification, and the fax notification the payee record obeys.
    c.beneNotifyByFax = false;
    const char notification = f.At(Credit::BeneficiaryNotification);
    if (!Trim(f[Credit::BeneficiaryNotification]).empty() &&
        !(notification == 'N' || notification == 'F' || notification == 'S' || notification == 'E'))
        r.Fail(Credit::BeneficiaryNotification, "If this field have value it should be N,F,S or E");
    c.beneNotifyByFax = notification == 'F';

    // Receiving bank, BahtNet, cheque and credit account rules by product.
    CheckCreditProductRules(r, f, product, creditAccount);
}

} // namespace tallivo
