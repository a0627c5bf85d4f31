// The debit record: product, value date, debit account, amount, number of credits and,
// by product, the fee account (layout A) or the media clearing fields (layout B). Every
// row carries the debit account as read, except the second currency row. The two
// home-bank account rules are account failures: counted, and leaving dataValid alone so
// the user may choose to ignore them.
#include "format/DebitLayout.h"
#include "format/Primitives.h"
#include "format/ProductSets.h"
#include "checking/RecordChecks.h"
#include "checking/RuleReporter.h"

namespace tallivo {

namespace {
const std::string_view kMediaCircleDigits[] = {"0", "1", "2"};
} // namespace

void CheckDebitRecord(CheckSession& s, std::string_view line, int lineNo, std::string_view product)
{
    const Fields f(line);
    RuleReporter r(s, RecordCode::Debit, lineNo, f[Debit::Account], {}, AccountFailure::KeepsDataValid);
    CheckContext& c = s.ctx;
    // Value date after today unless Media Circle is "1" or "2"; fee account or layout B.
    const bool mediaClearing = Contains(kMediaClearingGroup, product);
    const bool feeAccount = Contains(kFeeAccountProducts, product);
    // The Acct Type of Debit is required.
    const bool expressCheque = Contains(kExpressChequeProducts, product);
    const bool dateValid = IsValidDate(f.Date(Debit::ValueDate));
    const std::string_view valueDate = f[Debit::ValueDate];
    const std::string_view mediaCircle = f[Debit::MediaCircle];
    const bool futureDateOnly = mediaClearing && mediaCircle != "1" && mediaCircle != "2";
    const std::string today = (dateValid && (!mediaClearing || futureDateOnly)) ? TodayYyyymmdd(s) : std::string();
    const std::string_view accountType = f[Debit::AccountType];
    const std::string_view branchCode = f[Debit::BranchCode];
    const std::string_view feeAccountType = f[Debit::FeeAccountType];
    const std::string_view feeBranchCode = f[Debit::FeeBranchCode];

    if (!Contains(kDebitProducts, product))
        r.Fail(Debit::ProductCode, "Invalid Product Code");
    if (!dateValid)
        r.Fail(Debit::ValueDate, "Invalid value date");
    if (dateValid && !mediaClearing && valueDate < today)
        r.Fail(Debit::ValueDate, "Value date should be today or future date");
    if (dateValid && futureDateOnly && valueDate <= today)
        r.Fail(Debit::ValueDate, "Value date in media clearing should be future date");
    if (!IsValidAccount(Trim(f[Debit::Account])))
        r.AccountFail(Debit::Account, "Invalid Orvane Account");
    if (!Trim(accountType).empty() && !IsNumber(accountType))
        r.Fail(Debit::AccountType, "Account type should be number");
    if (expressCheque && !IsNumber(accountType))
        r.Fail(Debit::AccountType, "Account type should be number");
    if (!Trim(branchCode).empty() && !IsNumber(branchCode))
        r.Fail(Debit::BranchCode, "Debit Branch should be number");
    if (f[Debit::Currency] != "THB")
        r.Fail(Debit::Currency, "Currency should be THB");
    if (!Trim(feeAccountType).empty() && !IsNumber(feeAccountType))
        r.Fail(Debit::FeeAccountType, "Account type should be number");
    if (!Trim(feeBranchCode).empty() && !IsNumber(feeBranchCode))
        r.Fail(Debit::FeeBranchCode, "Debit Branch should be number");
    if (f[Debit::Currency] != "THB")
        r.FailWithoutAccount(Debit::Currency, "Currency should be THB");

    // The amount: 16 characters, a number; a last digit "0" and a value above zero add
    // it to the file's debit total; any number becomes the amount the credits must match.
    const std::string_view amount = f[Debit::Amount];
    const bool fullLength = Trim(amount).size() == kAmountWidth;
    const bool numeric = fullLength && IsNumber(amount);
    const char lastDigit = f.At(Debit::Amount.Last());
    if (!fullLength) {
        r.Fail(Debit::Amount, "Amount should have 16 digits");
    } else if (!numeric) {
        r.Fail(Debit::Amount, "Amount should be number");
    } else {
        const long double value = StrToFloat(amount);
        if (lastDigit == '0') {
            if (value > 0) {
                c.debitAmountTotal = static_cast<double>(c.debitAmountTotal + value);
                if (s.debitTotalLog != nullptr)
                    s.debitTotalLog->push_back(value);
            } else
                r.Fail(Debit::Amount, "Amount should be more than zero");
        }
        c.debitAmount = static_cast<double>(value);
        c.debitLine = lineNo;
    }
    if (numeric && lastDigit != '0')
        r.Fail(Debit::Amount, "Amount should have two digits after decimal");

    if (!IsFullWidthNumber(f, Debit::CreditCount))
        r.Fail(Debit::CreditCount, "This field should be number 6 digits");
    if (Trim(f[Debit::InternalReference]).empty())
        r.Fail(Debit::InternalReference, "This field should not be space");
    if (feeAccount && !IsValidAccount(Trim(f[Debit::FeeAccount])))
        r.AccountFail(Debit::FeeAccount, "Invalid Orvane Account");
    if (mediaClearing && !IsNumber(Trim(f[Debit::FeeDebitAccount])))
        r.Fail(Debit::FeeDebitAccount, "This field should not be number");
    if (mediaClearing && !Trim(f[Debit::Filler]).empty())
        r.Fail(Debit::Filler, "This field should be space");
    if (mediaClearing && !IsNumber(mediaCircle) && mediaCircle != " ")
        r.Fail(Debit::MediaCircle, "This field should  be space , 0 , 1 or 2");
    if (mediaClearing && IsNumber(mediaCircle) && !Contains(kMediaCircleDigits, mediaCircle))
        r.Fail(Debit::MediaCircle, "This field should  be space , 0 , 1 or 2");
}

} // namespace tallivo
