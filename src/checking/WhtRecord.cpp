// The withholding-tax record (005): its fields, the income type code, and the WHT amount
// added to the sum the pass compares with the credit record's declared total.
#include "checking/AccountRowStore.h"
#include "format/Primitives.h"
#include "format/ProductSets.h"
#include "checking/RecordChecks.h"
#include "checking/RuleReporter.h"

#include <string>

namespace tallivo {

namespace {

constexpr std::string_view kLetterIncomeTypes[] = {"4A", "4B", "4B1.1", "4B1.2", "4B1.3", "4B1.4", "4B2", "4B3"};

bool IsDigitsOfLength(std::string_view field, std::size_t length)
{
    return IsNumber(field) && Trim(field).size() == length;
}

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
    std::string rowValue;
    if (s.accountRow != nullptr)
        rowValue = payeeNameProduct ? s.accountRow->NameEn() : s.accountRow->Account();
    RuleReporter r(s, "005", lineNo, payeeNameProduct ? std::string_view() : std::string_view(rowValue),
                   payeeNameProduct ? std::string_view(rowValue) : std::string_view());

    // 1-5
    if (!IsDigitsOfLength(f["12-17"], 6))
        r.Fail("12-17", "Credit Sequence No.", "This field should be number 6 digits");
    if (Trim(f["4-11"]).empty())
        r.Fail("4-11", "Internal Reference", "This field should not be space");
    if (!IsDigitsOfLength(f["18-19"], 2))
        r.Fail("18-19", "WHT Sequence No.", "This field should be number 2 digits");
    if (!IsDigitsOfLength(f["121-122"], 2))
        r.Fail("121-122", "WHT Deduct Rate.", "This field should be number 2 digits");
    if (!IsPositiveTwoDigit(f["121-122"]))
        r.Fail("121-122", "WHT Deduct Rate.", "This field should be WHT Deduct Rate > 0");

    // 6-8 and the WHT amount sum (a zero amount is neither an error nor added)
    const std::string_view whtAmount = f["20-35"];
    const bool whtAmountLen16 = Trim(whtAmount).size() == 16;
    if (!IsNumber(whtAmount))
        r.Fail("20-35", "WHT Amount", "This field should be number ");
    if (!whtAmountLen16)
        r.Fail("20-35", "WHT Amount", "This field should have 16 digits");
    if (whtAmountLen16 && IsNumber(whtAmount) && f.At(35) == '0') {
        const long double value = StrToFloat(whtAmount);
        if (value > 0)
            c.WhtAmountSum = static_cast<double>(c.WhtAmountSum + value);
    }
    if (whtAmountLen16 && IsNumber(whtAmount) && f.At(35) != '0')
        r.Fail("20-35", "WHT Amount", "Amount should have two digits after decimal");

    // 9-11
    const std::string_view incomeType = Trim(f["36-40"]);
    if (!IsIncomeType(incomeType))
        r.Fail("36-40", "WHT Income Type", "Should be 1-6 or 4a,4b,4b1.1,4b1.2,4b1.3,4b1.4,4b2,4b3");
    if (incomeTypeCount > 4)
        r.Fail("36-40", "WHT Income Type", "should not more three");
    if (incomeType == "6" && Trim(f["41-120"]).empty())
        r.Fail("41-120", "Income Description", "If Income Type is 6 this field should not be space");

    // 12-14
    const std::string_view incomeAmount = f["123-138"];
    const bool incomeAmountLen16 = Trim(incomeAmount).size() == 16;
    if (!incomeAmountLen16)
        r.Fail("123-138", "Income Type Amount", "This field should have 16 digits");
    if (incomeAmountLen16 && (!IsNumber(incomeAmount) || !(StrToFloat(incomeAmount) > 0)))
        r.Fail("123-138", "Income Type Amount", "This field should be number and more than zero");
    if (incomeAmountLen16 && IsNumber(incomeAmount) && f.At(138) != '0')
        r.Fail("123-138", "Income Type Amount", "Amount should have two digits after decimal");
}

} // namespace tallivo
