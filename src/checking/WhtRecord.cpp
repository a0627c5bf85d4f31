// The withholding-tax record: its fields, the income type code, and the WHT amount
// added to the sum the pass compares with the credit record's declared total.
#include "checking/AccountRowStore.h"
#include "format/Primitives.h"
#include "format/WhtLayout.h"
#include "format/ProductSets.h"
#include "checking/RecordChecks.h"
#include "checking/RuleReporter.h"

#include <string>

namespace tallivo {

namespace {

constexpr std::string_view kLetterIncomeTypes[] = {"4A", "4B", "4B1.1", "4B1.2", "4B1.3", "4B1.4", "4B2", "4B3"};

// A number that converts to 1, 2, 3, 5 or 6 (a number that is not whole fails the
// conversion, which ends the pass), or one of the letter codes in any case.
bool IsIncomeType(std::string_view t)
{
    if (IsNumber(t)) {
        const std::int32_t n = StrToInt(t);
        return n == 1 || n == 2 || n == 3 || n == 5 || n == 6;
    }
    char upper[8];
    if (t.size() > sizeof upper)
        return false;
    for (std::size_t i = 0; i < t.size(); ++i)
        upper[i] = (t[i] >= 'a' && t[i] <= 'z') ? static_cast<char>(t[i] - 'a' + 'A') : t[i];
    return Contains(kLetterIncomeTypes, std::string_view(upper, t.size()));
}

} // namespace

void CheckWhtRecord(CheckSession& s, std::string_view line, int lineNo, int incomeTypeCount, std::string_view product)
{
    CheckContext& c = s.ctx;
    const Fields f(line);

    // Rows name the payee for the payee-name products, the credit account otherwise.
    const bool payeeNameProduct = Contains(kPayeeNameProducts, product);
    std::string_view rowValue;
    if (s.accountRow != nullptr)
        rowValue = payeeNameProduct ? s.accountRow->NameEn() : s.accountRow->Account();
    RuleReporter r(s, RecordCode::Wht, lineNo, payeeNameProduct ? std::string_view() : rowValue,
                   payeeNameProduct ? rowValue : std::string_view());

    // The sequence numbers, the reference and the deduct rate.
    if (!IsFullWidthNumber(f, Wht::CreditSequenceNo))
        r.Fail(Wht::CreditSequenceNo, "This field should be number 6 digits");
    if (Trim(f[Wht::InternalReference]).empty())
        r.Fail(Wht::InternalReference, "This field should not be space");
    if (!IsFullWidthNumber(f, Wht::SequenceNo))
        r.Fail(Wht::SequenceNo, "This field should be number 2 digits");
    if (!IsFullWidthNumber(f, Wht::DeductRate))
        r.Fail(Wht::DeductRate, "This field should be number 2 digits");
    if (!IsPositiveTwoDigit(f[Wht::DeductRate]))
        r.Fail(Wht::DeductRate, "This field should be WHT Deduct Rate > 0");

    // The WHT amount, and its sum (a zero amount is neither an error nor added).
    const std::string_view whtAmount = f[Wht::Amount];
    const bool whtAmountLen16 = Trim(whtAmount).size() == kAmountWidth;
    const char whtAmountLastDigit = f.At(Wht::Amount.Last());
    const bool whtAmountNumber = IsNumber(whtAmount);
    if (!whtAmountNumber)
        r.Fail(Wht::Amount, "This field should be number ");
    if (!whtAmountLen16)
        r.Fail(Wht::Amount, "This field should have 16 digits");
    if (whtAmountLen16 && whtAmountNumber && whtAmountLastDigit == '0') {
        const long double value = StrToFloat(whtAmount);
        if (value > 0)
            c.whtAmountSum = static_cast<double>(c.whtAmountSum + value);
    }
    if (whtAmountLen16 && whtAmountNumber && whtAmountLastDigit != '0')
        r.Fail(Wht::Amount, "Amount should have two digits after decimal");

    // The income type, how many types the credit has, and the description type 6 needs.
    const std::string_view incomeType = Trim(f[Wht::IncomeType]);
    if (!IsIncomeType(incomeType))
        r.Fail(Wht::IncomeType, "Should be 1-6 or 4a,4b,4b1.1,4b1.2,4b1.3,4b1.4,4b2,4b3");
    if (incomeTypeCount > 4)
        r.Fail(Wht::IncomeType, "should not more three");
    if (incomeType == "6" && Trim(f[Wht::IncomeDescription]).empty())
        r.Fail(Wht::IncomeDescription, "If Income Type is 6 this field should not be space");

    // The income type amount: 16 digits, above zero.
    const std::string_view incomeAmount = f[Wht::IncomeTypeAmount];
    const bool incomeAmountLen16 = Trim(incomeAmount).size() == kAmountWidth;
    const bool incomeAmountNumber = IsNumber(incomeAmount);
    if (!incomeAmountLen16)
        r.Fail(Wht::IncomeTypeAmount, "This field should have 16 digits");
    if (incomeAmountLen16 && (!incomeAmountNumber || !(StrToFloat(incomeAmount) > 0)))
        r.Fail(Wht::IncomeTypeAmount, "This field should be number and more than zero");
    if (incomeAmountLen16 && incomeAmountNumber && f.At(Wht::IncomeTypeAmount.Last()) != '0')
        r.Fail(Wht::IncomeTypeAmount, "Amount should have two digits after decimal");
}

} // namespace tallivo
