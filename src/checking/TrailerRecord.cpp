// The trailer record ("999"): the number of debit records, the number of credit records
// and the total amount, each checked for form and then against what the pass counted.
// A direct-debit file (current product "DDR") skips the comparisons.
#include "format/Primitives.h"
#include "checking/RecordChecks.h"
#include "checking/RuleReporter.h"

namespace tallivo {

namespace {
constexpr std::string_view kDirectDebitProduct = "DDR";
} // namespace

void CheckTrailerRecord(CheckSession& s, std::string_view line, int lineNo)
{
    RuleReporter r(s, "999", lineNo);
    const Fields f(line);
    const CheckContext& c = s.ctx;
    const bool compare = c.CurrentProduct != kDirectDebitProduct;

    const std::string_view debits = f["4-9"];
    if (!IsNumber(debits) || Trim(debits).size() != 6) {
        r.Fail("4-9", "Total No. of Debits", "This field should be number 6 digits and more than zero");
    } else {
        if (!(StrToFloat(debits) > 0))
            r.Fail("4-9", "Total No. of Debits", "This field should be number and more than zero");
        if (StrToInt(debits) != c.DebitCount && compare)
            r.Fail("4-9", "Total No. of Debits", "Total No. of Debits does not match with debit detail");
    }

    const std::string_view credits = f["10-15"];
    if (!IsNumber(credits) || Trim(credits).size() != 6) {
        r.Fail("10-15", "Total No. of Credits", "This field should be number 6 digits and more than zero");
    } else {
        if (!(StrToFloat(credits) > 0))
            r.Fail("10-15", "Total No. of Credits", "This field should be number and more than zero");
        if (StrToInt(credits) != c.CreditCount && compare)
            r.Fail("10-15", "Total No. of Credits", "Total No. of Credits does not match with credit detail");
    }

    const std::string_view amount = f["16-31"];
    if (!IsNumber(amount)) {
        r.Fail("16-31", "Total Amount", "This field should be number and more than zero");
    } else {
        const long double value = StrToFloat(amount);
        if (!(value > 0))
            r.Fail("16-31", "Total Amount", "This field should be number and more than zero");
        if (value != static_cast<long double>(c.DebitAmountTotal) && compare)
            r.Fail("16-31", "Total Amount", "Total Amount does not match with detail");
    }
    if (Trim(amount).size() != 16)
        r.Fail("16-31", "Total Amount", "Total Amount should have 16 digits");
    if (Trim(amount).size() == 16 && IsNumber(amount) && f.At(31) != '0')
        r.Fail("16-31", "Total Amount", "Amount should have two digits after decimal");
}

} // namespace tallivo
