// The credit record's delivery rules and product rules, in their order.
#include "checking/CreditProductRules.h"

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

constexpr std::string_view kBahtNetPaymentTypes[] = {"CSH", "BCQ", "HCQ", "DCA", "DSA", "BCA", "BSA",
                                                     "FCA", "FSA", "SPD", "SPC", "UST", "OFA", "FWD"};

constexpr std::string_view kMediaClearingServicesTypes[] = {"01", "02", "03", "04", "05", "06", "07", "59"};

bool IsChequeDocumentType(char c)
{
    return (c >= '1' && c <= '9') || (c >= 'A' && c <= 'Q');
}

// The column-65 rows of a failed delivery rule: one per flag that is "Y", in the order
// WHT Present, Invoice Details Present, Credit Advice Required. Each row is a data failure;
// clearing DataValid and flagging again after the first row changes nothing.
void ReportDeliveryMode(RuleReporter& r, const Fields& f, std::string_view product, std::string_view lastPart)
{
    struct Flag
    {
        std::size_t column;
        std::string_view firstPart;
    };
    static constexpr Flag kFlags[] = {
        {62, "If WHT Present is Y and product code is "},
        {63, "If Invoice Details Present is Y and product code is "},
        {64, "If Credit Advice Required is Y and product code is "},
    };
    for (const Flag& flag : kFlags)
        if (f.At(flag.column) == 'Y')
            r.Fail("65-65", "Delivery Mode", std::string(flag.firstPart).append(product).append(lastPart));
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

bool IsDigitsOfLength(std::string_view field, std::size_t length)
{
    return IsNumber(field) && Trim(field).size() == length;
}

} // namespace

void CheckCreditDeliveryRules(RuleReporter& r, const Fields& f, std::string_view product)
{
    const bool anyFlag = f.At(62) == 'Y' || f.At(63) == 'Y' || f.At(64) == 'Y';
    const char mode = f.At(65);

    // D1
    if (anyFlag && Contains(kChequeProducts, product) && !(mode == 'M' || mode == 'C' || mode == 'P'))
        ReportDeliveryMode(r, f, product, " This field should be M,C or P");
    // D2
    if (anyFlag && Contains(kTransferProducts, product) && !(mode == 'M' || mode == 'C' || mode == 'P' || mode == 'S'))
        ReportDeliveryMode(r, f, product, " This field should be M,C,P or S");
    // D3
    if (mode == 'C' && !Contains(kPickupLocations, f["66-69"]))
        r.Fail("66-69", "Pickup Location", "Invalid Pickup Location");
}

void CheckCreditProductRules(RuleReporter& r, const Fields& f, std::string_view product,
                             std::string_view creditAccount)
{
    const std::string_view bankCode = f["181-183"];

    if (Contains(kMediaClearingGroup, product)) {
        // P1a-P1d
        if (!IsDigitsOfLength(f["181-183"], 3))
            r.Fail("181-183", "Receiving Bank Code",
                   "If product code is MCL,PA4,PA5,PA6 this field should be number and length equal 3 digits");
        if (Trim(f["184-218"]).empty())
            r.Fail("184-218", "Receiving Bank Name", "If product code is MCL,PA4,PA5,PA6 this field should not be space");
        if (!IsDigitsOfLength(f["219-222"], 4))
            r.Fail("219-222", "Receiving Branch Code",
                   "If product code is MCL,PA4,PA5,PA6 this field should be number  and length equal 4 digits");
        if (product == "MCL" && !Contains(kMediaClearingServicesTypes, f["284-285"]))
            r.Fail("284-285", "ServicesType", "If product code is MCL,PA4,PA5,PA6 this field should be 01-07 or 59");
    }

    if (product == "BNT") {
        // P2a-P2e
        if (!IsNumber(f["181-183"]))
            r.Fail("181-183", "Receiving Bank Code", "If product code is BNT this field should be number");
        if (Trim(f["184-218"]).empty())
            r.Fail("184-218", "Receiving Bank Name", "If product code is BNT this field should not be space");
        if (!IsNumber(f["219-222"]))
            r.Fail("219-222", "Receiving Branch Code", "If product code is BNT this field should be number");
        if (!Contains(kBahtNetPaymentTypes, f["281-283"]))
            r.Fail("281-283", "Payment Type Code", "If product code is BNT this field should be in code");
        if (!IsBahtNetServicesType(f["284-285"]))
            r.Fail("284-285", "ServicesType", "If product code is BNT this field should be 00-23");
    }

    if (Contains(kChequeProducts, product)) {
        // P3a-P3e
        if (!IsNumber(f["219-222"]))
            r.Fail("219-222", "Receiving Branch Code", ProductMessage(product, " this field should be number"));
        if (Trim(f["260-279"]).empty())
            r.Fail("260-279", "Cheque Reference Number", ProductMessage(product, " this field should not be space"));
        if (Trim(f["280-280"]).empty())
            r.Fail("280-280", "Cheque Reference Document Type",
                   ProductMessage(product, " this field should not be space"));
        if (!IsChequeDocumentType(f.At(280)))
            r.Fail("280-280", "Cheque Reference Document Type",
                   ProductMessage(product, " this field should be 1-9 and A-H"));
        if (bankCode != kHomeBankCode)
            r.Fail("181-183", "Receiving Bank Code", "If product code is MCP,DDP,CCP,XMQ,XDQ this field should be 014");
    }

    if (Contains(kOrvaneAccountProducts, product)) {
        // P4a-P4c
        if (!IsValidAccount(creditAccount))
            r.AccountFail("10-34", "Credit Account No", "Invalid Orvane Account");
        if (bankCode != kHomeBankCode)
            r.AccountFail("181-183", "Receiving Bank Code", "If product code is DCP,PAY,PA2,PA3 this field should be 014");
        if (!IsNumber(creditAccount))
            r.Fail("10-34", "Credit Account No", ProductMessage(product, " this field should be number"));
    }

    if (Contains(kBankCodeProducts, product)) {
        // P5a-P5b
        if (bankCode == kHomeBankCode && !IsValidAccount(creditAccount))
            r.AccountFail("10-34", "Credit Account No", "Invalid Orvane Account");
        if (!IsNumber(creditAccount))
            r.Fail("10-34", "Credit Account No", ProductMessage(product, " this field should be number"));
    }

    // P6
    if (Contains(kOtherBankClearingProducts, product) && bankCode == kHomeBankCode)
        r.Fail("181-183", "Receiving Bank code", "This field should not be 014");
    // P7
    if (Contains(kOrvaneAccountProducts, product) && bankCode != kHomeBankCode)
        r.Fail("181-183", "Receiving Bank code", "This field should  be 014");
}

} // namespace tallivo
