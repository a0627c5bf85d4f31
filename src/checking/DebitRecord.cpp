// The debit record ("002"): product, value date, debit account, amount, number of
// credits and, by product, the fee account (layout A) or the media clearing fields
// (layout B). Every row carries the debit account as read in columns 15-39, except the
// second currency row. The two home-bank account rules are account failures: counted,
// and leaving DataValid alone so the user may choose to ignore them.
#include "format/Primitives.h"
#include "checking/RecordChecks.h"
#include "checking/RuleReporter.h"

namespace tallivo {

namespace {
const std::string_view kDebitProducts[] = {"PAY", "PA2", "PA3", "PA4", "PA5", "PA6", "DCP",
                                           "MCL", "BNT", "MCP", "CCP", "DDP", "XMQ", "XDQ"};
// Value date after today unless Media Circle is "1" or "2"; columns 79-103 in layout B.
const std::string_view kMediaClearingGroup[] = {"MCL", "PA4", "PA5", "PA6"};
// Columns 79-103 in layout A: a valid home-bank fee account.
const std::string_view kFeeAccountProducts[] = {"DCP", "PAY", "PA2", "PA3", "MCP", "DDP", "CCP", "XMQ", "XDQ"};
// The Acct Type of Debit is required.
const std::string_view kExpressChequeProducts[] = {"XMQ", "XDQ"};
const std::string_view kMediaCircleDigits[] = {"0", "1", "2"};
} // namespace

void CheckDebitRecord(CheckSession& s, std::string_view line, int lineNo, std::string_view product)
{
    const Fields f(line);
    RuleReporter r(s, "002", lineNo, f["15-39"], {}, AccountFailure::KeepsDataValid);
    CheckContext& c = s.ctx;
    const bool mediaClearing = Contains(kMediaClearingGroup, product);
    const bool feeAccount = Contains(kFeeAccountProducts, product);
    const bool expressCheque = Contains(kExpressChequeProducts, product);
    const bool dateValid = IsValidDate(f["7-10"], f["11-12"], f["13-14"]);
    const std::string_view mediaCircle = f["103"];
    const bool futureDateOnly = mediaClearing && mediaCircle != "1" && mediaCircle != "2";
    const std::string today = (dateValid && (!mediaClearing || futureDateOnly)) ? TodayYyyymmdd(s) : std::string();

    if (!Contains(kDebitProducts, product))    r.Fail("4-6", "Product Code", "Invalid Product Code");
    if (!dateValid)                            r.Fail("7-14", "Value Date", "Invalid value date");
    if (dateValid && !mediaClearing && f["7-14"] < today)
                                               r.Fail("7-14", "Value Date", "Value date should be today or future date");
    if (dateValid && futureDateOnly && f["7-14"] <= today)
                                               r.Fail("7-14", "Value Date", "Value date in media clearing should be future date");
    if (!IsValidAccount(Trim(f["15-39"])))     r.AccountFail("15-39", "Debit Account No", "Invalid Orvane Account");
    if (!Trim(f["40-41"]).empty() && !IsNumber(f["40-41"]))
                                               r.Fail("40-41", "Acct Type of Debit", "Account type should be number");
    if (expressCheque && !IsNumber(f["40-41"])) r.Fail("40-41", "Acct Type of Debit", "Account type should be number");
    if (!Trim(f["42-45"]).empty() && !IsNumber(f["42-45"]))
                                               r.Fail("42-45", "Debit Branch Code", "Debit Branch should be number");
    if (f["46-48"] != "THB")                   r.Fail("46-48", "Debit Currency", "Currency should be THB");
    if (!Trim(f["104-105"]).empty() && !IsNumber(f["104-105"]))
                                               r.Fail("104-105", "Acct Type(Fee)", "Account type should be number");
    if (!Trim(f["106-109"]).empty() && !IsNumber(f["106-109"]))
                                               r.Fail("106-109", "Debit Branch Code(Fee)", "Debit Branch should be number");
    if (f["46-48"] != "THB")                   r.FailWithoutAccount("46-48", "Debit Currency", "Currency should be THB");

    // The amount: 16 characters, a number; a last digit "0" and a value above zero add
    // it to the file's debit total; any number becomes the amount the credits must match.
    const std::string_view amount = f["49-64"];
    const bool fullLength = Trim(amount).size() == 16;
    const bool numeric = fullLength && IsNumber(amount);
    if (!fullLength) {
        r.Fail("49-64", "Debit Amount", "Amount should have 16 digits");
    } else if (!numeric) {
        r.Fail("49-64", "Debit Amount", "Amount should be number");
    } else {
        const long double value = StrToFloat(amount);
        if (f.At(64) == '0') {
            if (value > 0)
                c.DebitAmountTotal = static_cast<double>(c.DebitAmountTotal + value);
            else
                r.Fail("49-64", "Debit Amount", "Amount should be more than zero");
        }
        c.DebitAmount = static_cast<double>(value);
        c.DebitLine = lineNo;
    }
    if (numeric && f.At(64) != '0')            r.Fail("49-64", "Debit Amount", "Amount should have two digits after decimal");

    if (!IsNumber(f["73-78"]) || Trim(f["73-78"]).size() != 6)
                                               r.Fail("73-78", "No. of Credits", "This field should be number 6 digits");
    if (Trim(f["65-72"]).empty())              r.Fail("65-72", "Internal Reference", "This field should not be space");
    if (feeAccount && !IsValidAccount(Trim(f["79-103"])))
                                               r.AccountFail("79-103", "Debit Account No", "Invalid Orvane Account");
    if (mediaClearing && !IsNumber(Trim(f["79-93"])))
                                               r.Fail("79-93", "Fee Debit Account", "This field should not be number");
    if (mediaClearing && !Trim(f["94-102"]).empty())
                                               r.Fail("94-102", "Filler", "This field should be space");
    if (mediaClearing && !IsNumber(mediaCircle) && mediaCircle != " ")
                                               r.Fail("103", "Media Circle", "This field should  be space , 0 , 1 or 2");
    if (mediaClearing && IsNumber(mediaCircle) && !Contains(kMediaCircleDigits, mediaCircle))
                                               r.Fail("103", "Media Circle", "This field should  be space , 0 , 1 or 2");
}

} // namespace tallivo
