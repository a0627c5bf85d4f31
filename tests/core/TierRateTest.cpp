// The tier-rate fee: tier boundaries, the home bank's records left out, exact fees.
#include "RecordBuilder.h"
#include "TestFiles.h"
#include "common/AppError.h"
#include "format/CreditLayout.h"
#include "reports/TierRate.h"

#include <gtest/gtest.h>

namespace tallivo {
namespace {

using test::Rec;

Rec CreditTo(const std::string& bank, const std::string& amount16)
{
    return Rec(RecordCode::Credit).Set(Credit::Amount, amount16).Set(Credit::ReceivingBankCode, bank);
}

Currency Curr(const char* text)
{
    return StrToCurr(text);
}

TEST(TierRate, BoundariesBelongToTheLowerTier)
{
    struct Case
    {
        const char* amount;
        int tier;
    };
    const Case cases[] = {{"0", 1},         {"100000", 1},    {"100000.0001", 2}, {"100000.01", 2},
                          {"500000", 2},    {"500000.01", 3}, {"2000000", 3},     {"2000000.01", 0}};
    for (const Case& c : cases)
        EXPECT_EQ(TierOf(Curr(c.amount)), c.tier) << c.amount;
}

TEST(TierRate, CountsCreditsToOtherBanksOnly)
{
    test::TempFolder dir;
    const std::string path = dir.Write("pay.txt", test::FileOf({
                                                      test::ValidHeader(),
                                                      test::ValidDebit("MCL"),
                                                      CreditTo("002", "0000000100000000"), // 100,000.00
                                                      CreditTo("002", "0000000100000010"), // 100,000.01
                                                      CreditTo("025", "0000000500000000"), // 500,000.00
                                                      CreditTo("004", "0000002000000000"), // 2,000,000.00
                                                      CreditTo("004", "0000002000000010"), // 2,000,000.01
                                                      CreditTo("014", "0000000000010000"), // home bank
                                                      Rec(RecordCode::Payee).Set("181-183", "002"),
                                                      test::ValidTrailer(),
                                                  }));
    const TierCounts counts = CountCreditTiers(path);
    EXPECT_EQ(counts.range1, 1);
    EXPECT_EQ(counts.range2, 2);
    EXPECT_EQ(counts.range3, 1);
    EXPECT_EQ(ComputeFeeVariables(counts, {}, {}, {})[3].second, "4");
}

TEST(TierRate, AmountThatDoesNotConvertEndsTheCount)
{
    test::TempFolder dir;
    // Converted before the bank code is looked at, so a home-bank record fails too.
    const std::string path =
        dir.Write("pay.txt", test::FileOf({CreditTo("002", "0000000000010000"), CreditTo("014", "00000000 0010000")}));
    try {
        CountCreditTiers(path);
        ADD_FAILURE() << "no conversion error";
    } catch (const AppError& e) {
        EXPECT_EQ(std::string(e.what()), "'00000000 0010.000' is not a valid floating point value");
    }
}

TEST(TierRate, FeesAreExactCurrency)
{
    const FeeVariables v = ComputeFeeVariables({3, 2, 1}, Curr("10"), Curr("20"), Curr("30"));
    const FeeVariables expected = {{{"report_range1", "3"},
                                    {"report_range2", "2"},
                                    {"report_range3", "1"},
                                    {"report_total_range", "6"},
                                    {"report_total_fee_range1", "30"},
                                    {"report_total_fee_range2", "40"},
                                    {"report_total_fee_range3", "30"},
                                    {"report_total_fee_range", "100"}}};
    EXPECT_EQ(v, expected);

    const FeeVariables w = ComputeFeeVariables({3, 4, 0}, Curr("12.50"), Curr("10"), Curr("0.1"));
    EXPECT_EQ(w[4].second, "37.5");
    EXPECT_EQ(w[5].second, "40");
    EXPECT_EQ(w[6].second, "0");
    EXPECT_EQ(w[7].second, "77.5");

    // 0.1 three times is exactly 0.3, which floating point would not give.
    EXPECT_EQ(ComputeFeeVariables({3, 0, 0}, Curr("0.1"), {}, {})[4].second, "0.3");
    EXPECT_EQ(ComputeFeeVariables({0, 0, 0}, Curr("10"), Curr("20"), Curr("30"))[7].second, "0");
}

TEST(TierRate, FeeBeyondTheCurrencyRangeIsAnError)
{
    EXPECT_THROW(ComputeFeeVariables({1000000, 0, 0}, Curr("900000000000000"), {}, {}), AppError);
}

} // namespace
} // namespace tallivo
