// The credit record's delivery rules and product rules, in their order.
#include "checking/CreditProductRules.h"

#include "format/CreditLayout.h"
#include "format/Primitives.h"
#include "format/ProductSets.h"

#include <string>

namespace tallivo {

namespace {

constexpr std::string_view kPickupLocations[] = {
    "C001", "C002", "C003", "C004", "C005", "C006", "C007", "C008", "C009", "C010", "C011",
    "C012", "0886", "0633", "0537", "0501", "0669", "0572", "0788", "0512", "0806", "0513",
    "0949", "0762", "0751", "0713", "0511", "0719", "0533", "0106", "0274", "0527", "0613",
    "0579", "0681", "0502", "0730", "0507", "0666", "0729", "0530", "0587", "0582", "0931",
    "0799", "0687", "0034", "0032", "0702", "0945", "0585", "0356", "0077", "0569", "0503",
    "0510", "0640", "0590", "0870", "5108", "5051", "0766", "0552", "0355"};

bool IsChequeDocumentType(char c)
{
    return (c >= '1' && c <= '9') || (c >= 'A' && c <= 'Q');
}

// The delivery mode rows of a failed delivery rule: one per flag that is "Y", in the order
// WHT Present, Invoice Details Present, Credit Advice Required. Each row is a data failure;
// clearing dataValid and flagging again after the first row changes nothing.
void ReportDeliveryMode(RuleReporter& r, const Fields& f, std::string_view product, std::string_view lastPart)
{
    struct Flag
    {
        const Field& field;
        std::string_view firstPart;
    };
    static constexpr Flag kFlags[] = {
        {Credit::WhtPresent, "If WHT Present is Y and product code is "},
        {Credit::InvoicePresent, "If Invoice Details Present is Y and product code is "},
        {Credit::AdviceRequired, "If Credit Advice Required is Y and product code is "},
    };
    for (const Flag& flag : kFlags)
        if (f.At(flag.field) == 'Y')
            r.Fail(Credit::DeliveryMode, std::string(flag.firstPart).append(product).append(lastPart));
}

// "If product code is " + P + lastPart: the messages that name the product.
std::string ProductMessage(std::string_view product, std::string_view lastPart)
{
    return std::string("If product code is ").append(product).append(lastPart);
}

// Passes IsNumber and converts to an integer from 0 to 23 (a text with a point or an
// exponent fails the conversion, which ends the pass).
bool IsBahtNetServicesType(std::string_view field)
{
    if (!IsNumber(field))
        return false;
    const std::int32_t value = StrToInt(field);
    return value >= 0 && value <= 23;
}

} // namespace

void CheckCreditDeliveryRules(RuleReporter& r, const Fields& f, std::string_view product)
{
    const bool anyFlag =
        f.At(Credit::WhtPresent) == 'Y' || f.At(Credit::InvoicePresent) == 'Y' || f.At(Credit::AdviceRequired) == 'Y';
    const char mode = f.At(Credit::DeliveryMode);

    // With any flag set, a cheque or transfer product names a delivery mode it allows.
    if (anyFlag && Contains(kChequeProducts, product) && !(mode == 'M' || mode == 'C' || mode == 'P'))
        ReportDeliveryMode(r, f, product, " This field should be M,C or P");
    if (anyFlag && Contains(kTransferProducts, product) && !(mode == 'M' || mode == 'C' || mode == 'P' || mode == 'S'))
        ReportDeliveryMode(r, f, product, " This field should be M,C,P or S");
    // A payment to be picked up names a known pickup location.
    if (mode == 'C' && !Contains(kPickupLocations, f[Credit::PickupLocation]))
        r.Fail(Credit::PickupLocation, "Invalid Pickup Location");
}

void CheckCreditProductRules(RuleReporter& r, const Fields& f, std::string_view product,
                             std::string_view creditAccount)
{
    const std::string_view bankCode = f[Credit::ReceivingBankCode];

    if (Contains(kMediaClearingGroup, product)) {
        // Media clearing names the receiving bank and branch, and its services type.
        if (!IsFullWidthNumber(f, Credit::ReceivingBankCode))
            r.Fail(Credit::ReceivingBankCode,
                   "If product code is MCL,PA4,PA5,PA6 this field should be number and length equal 3 digits");
        if (Trim(f[Credit::ReceivingBankName]).empty())
            r.Fail(Credit::ReceivingBankName, "If product code is MCL,PA4,PA5,PA6 this field should not be space");
        if (!IsFullWidthNumber(f, Credit::ReceivingBranchCode))
            r.Fail(Credit::ReceivingBranchCode,
                   "If product code is MCL,PA4,PA5,PA6 this field should be number  and length equal 4 digits");
        if (product == Product::MediaClearing && !Contains(kMediaClearingServicesTypes, f[Credit::ServicesType]))
            r.Fail(Credit::ServicesType, "If product code is MCL,PA4,PA5,PA6 this field should be 01-07 or 59");
    }

    if (product == Product::BahtNet) {
        // BahtNet names the receiving bank and branch, a payment type and a services type.
        if (!IsNumber(f[Credit::ReceivingBankCode]))
            r.Fail(Credit::ReceivingBankCode, "If product code is BNT this field should be number");
        if (Trim(f[Credit::ReceivingBankName]).empty())
            r.Fail(Credit::ReceivingBankName, "If product code is BNT this field should not be space");
        if (!IsNumber(f[Credit::ReceivingBranchCode]))
            r.Fail(Credit::ReceivingBranchCode, "If product code is BNT this field should be number");
        if (!Contains(kBahtNetPaymentTypes, f[Credit::PaymentTypeCode]))
            r.Fail(Credit::PaymentTypeCode, "If product code is BNT this field should be in code");
        if (!IsBahtNetServicesType(f[Credit::ServicesType]))
            r.Fail(Credit::ServicesType, "If product code is BNT this field should be 00-23");
    }

    if (Contains(kChequeProducts, product)) {
        // A cheque names its branch, its reference and document type, and is drawn on the home bank.
        if (!IsNumber(f[Credit::ReceivingBranchCode]))
            r.Fail(Credit::ReceivingBranchCode, ProductMessage(product, " this field should be number"));
        if (Trim(f[Credit::ChequeReference]).empty())
            r.Fail(Credit::ChequeReference, ProductMessage(product, " this field should not be space"));
        if (Trim(f[Credit::ChequeDocumentType]).empty())
            r.Fail(Credit::ChequeDocumentType, ProductMessage(product, " this field should not be space"));
        if (!IsChequeDocumentType(f.At(Credit::ChequeDocumentType)))
            r.Fail(Credit::ChequeDocumentType, ProductMessage(product, " this field should be 1-9 and A-H"));
        if (bankCode != kHomeBankCode)
            r.Fail(Credit::ReceivingBankCode, "If product code is MCP,DDP,CCP,XMQ,XDQ this field should be 014");
    }

    if (Contains(kOrvaneAccountProducts, product)) {
        // Transfers within the home bank: a valid home-bank account at bank 014.
        if (!IsValidAccount(creditAccount))
            r.AccountFail(Credit::Account, "Invalid Orvane Account");
        if (bankCode != kHomeBankCode)
            r.AccountFail(Credit::ReceivingBankCode, "If product code is DCP,PAY,PA2,PA3 this field should be 014");
        if (!IsNumber(creditAccount))
            r.Fail(Credit::Account, ProductMessage(product, " this field should be number"));
    }

    if (Contains(kBankCodeProducts, product)) {
        // A numeric credit account, a valid home-bank account when paid to bank 014.
        if (bankCode == kHomeBankCode && !IsValidAccount(creditAccount))
            r.AccountFail(Credit::Account, "Invalid Orvane Account");
        if (!IsNumber(creditAccount))
            r.Fail(Credit::Account, ProductMessage(product, " this field should be number"));
    }

    // Media clearing to other banks must not pay to the home bank; home-bank transfers must.
    if (Contains(kOtherBankClearingProducts, product) && bankCode == kHomeBankCode)
        r.Fail(Credit::ReceivingBankCodeLowerCase, "This field should not be 014");
    if (Contains(kOrvaneAccountProducts, product) && bankCode != kHomeBankCode)
        r.Fail(Credit::ReceivingBankCodeLowerCase, "This field should  be 014");
}

} // namespace tallivo
