// The trailer record: the number of debit records, the number of credit records and the
// total amount, each checked for form and then against what the pass counted. A
// direct-debit file (current product "DDR") skips the comparisons.
#include "format/Primitives.h"
#include "format/ProductSets.h"
#include "format/TrailerLayout.h"
#include "checking/RecordChecks.h"
#include "checking/RuleReporter.h"

namespace tallivo {

void CheckTrailerRecord(CheckSession& s, std::string_view line, int lineNo)
{
    RuleReporter r(s, RecordCode::Trailer, lineNo);
    const Fields f(line);
    const CheckContext& c = s.ctx;
    const bool compare = c.currentProduct != Product::DirectDebit;

    if (!IsFullWidthNumber(f, Trailer::DebitCount)) {
        r.Fail(Trailer::DebitCount, "This field should be number 6 digits and more than zero");
    } else {
        const std::string_view debits = f[Trailer::DebitCount];
        if (!(StrToFloat(debits) > 0))
            r.Fail(Trailer::DebitCount, "This field should be number and more than zero");
        if (StrToInt(debits) != c.debitCount && compare)
            r.Fail(Trailer::DebitCount, "Total No. of Debits does not match with debit detail");
    }

    if (!IsFullWidthNumber(f, Trailer::CreditCount)) {
        r.Fail(Trailer::CreditCount, "This field should be number 6 digits and more than zero");
    } else {
        const std::string_view credits = f[Trailer::CreditCount];
        if (!(StrToFloat(credits) > 0))
            r.Fail(Trailer::CreditCount, "This field should be number and more than zero");
        if (StrToInt(credits) != c.creditCount && compare)
            r.Fail(Trailer::CreditCount, "Total No. of Credits does not match with credit detail");
    }

    const std::string_view amount = f[Trailer::TotalAmount];
    if (!IsNumber(amount)) {
        r.Fail(Trailer::TotalAmount, "This field should be number and more than zero");
    } else {
        const long double value = StrToFloat(amount);
        if (!(value > 0))
            r.Fail(Trailer::TotalAmount, "This field should be number and more than zero");
        if (value != static_cast<long double>(c.debitAmountTotal) && compare)
            r.Fail(Trailer::TotalAmount, "Total Amount does not match with detail");
    }
    const bool len16 = Trim(amount).size() == kAmountWidth;
    if (!len16)
        r.Fail(Trailer::TotalAmount, "Total Amount should have 16 digits");
    if (len16 && IsNumber(amount) && f.At(Trailer::TotalAmount.Last()) != '0')
        r.Fail(Trailer::TotalAmount, "Amount should have two digits after decimal");
}

} // namespace tallivo
