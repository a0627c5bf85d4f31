#include "reports/TierRate.h"

#include "format/CreditLayout.h"
#include "format/PaymentFileReader.h"
#include "format/ProductSets.h"
#include "format/RecordTypes.h"
#include "reports/CurrencySum.h"
#include "reports/NumberFormat.h"

namespace tallivo {

namespace {
constexpr Currency kTier1Limit{100000LL * 10000};
constexpr Currency kTier2Limit{500000LL * 10000};
constexpr Currency kTier3Limit{2000000LL * 10000};
} // namespace

int TierOf(Currency amount)
{
    if (amount <= kTier1Limit)
        return 1;
    if (amount <= kTier2Limit)
        return 2;
    if (amount <= kTier3Limit)
        return 3;
    return 0;
}

TierCounts CountCreditTiers(const std::string& path)
{
    TierCounts counts;
    PaymentFileReader reader(path);
    PaymentLine line;
    while (reader.Next(line)) {
        if (CodeOf(line.text) != RecordCode::Credit)
            continue;
        // The amount is converted before the bank code is looked at, so a record to
        // the home bank with an amount that does not convert still ends the report.
        const Currency amount = StrToCurr(AmountText(line.text, Credit::Amount));
        if (Fields(line.text)[Credit::ReceivingBankCode] == kHomeBankCode)
            continue;
        switch (TierOf(amount)) {
        case 1: ++counts.range1; break;
        case 2: ++counts.range2; break;
        case 3: ++counts.range3; break;
        default: break;
        }
    }
    return counts;
}

FeeVariables ComputeFeeVariables(const TierCounts& counts, Currency fee1, Currency fee2, Currency fee3)
{
    const Currency total1 = MultiplyCurrency(fee1, counts.range1);
    const Currency total2 = MultiplyCurrency(fee2, counts.range2);
    const Currency total3 = MultiplyCurrency(fee3, counts.range3);
    const Currency total = AddCurrency(AddCurrency(total1, total2), total3);
    const std::string values[] = {
        std::to_string(counts.range1), std::to_string(counts.range2), std::to_string(counts.range3),
        std::to_string(counts.range1 + counts.range2 + counts.range3),
        total1.ToText(), total2.ToText(), total3.ToText(), total.ToText(),
    };
    FeeVariables variables;
    for (std::size_t i = 0; i < variables.size(); ++i)
        variables[i] = {kFeeVariableNames[i], values[i]};
    return variables;
}

} // namespace tallivo
