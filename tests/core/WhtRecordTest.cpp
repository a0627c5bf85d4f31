// The WHT record: the rules in order, the income type codes, the WHT amount sum and the
// row cells from the addAccBatchError row.
#include "PaymentRecordFixture.h"
#include "checking/RecordChecks.h"
#include "common/AppError.h"

#include <gtest/gtest.h>

namespace tallivo {
namespace {

using test::Rec;
using test::ValidWht;
using Rows = std::vector<std::string>;

struct WhtFixture : test::CheckFixture
{
    test::MemoryAccountRow row;
    WhtFixture()
    {
        s.accountRow = &row;
        row.account = "1111111114";
        row.nameEn = "PAYEE";
    }
    std::vector<std::string> Check(const Rec& r, int incomeTypes = 1, std::string_view product = "PAY")
    {
        CheckWhtRecord(s, r.Text(), 5, incomeTypes, product);
        return test::Findings(s);
    }
};

TEST(WhtRecord, Rules)
{
    struct Case
    {
        const char* name;
        Rec record;
        Rows expected;
    };
    const Case cases[] = {
        {"valid", ValidWht(), {}},
        {"credit sequence number", ValidWht().Set(Wht::CreditSequenceNo, "1234"),
         {"12-17|Credit Sequence No.|This field should be number 6 digits"}},
        {"blank reference", ValidWht().Set(Wht::InternalReference, ""),
         {"4-11|Internal Reference|This field should not be space"}},
        {"WHT sequence number", ValidWht().Set(Wht::SequenceNo, "A"),
         {"18-19|WHT Sequence No.|This field should be number 2 digits"}},
        {"rate 00", ValidWht().Set(Wht::DeductRate, "00"),
         {"121-122|WHT Deduct Rate.|This field should be WHT Deduct Rate > 0"}},
        {"rate one digit and a blank", ValidWht().Set(Wht::DeductRate, "5"),
         {"121-122|WHT Deduct Rate.|This field should be number 2 digits",
          "121-122|WHT Deduct Rate.|This field should be WHT Deduct Rate > 0"}},
        {"WHT amount blank inside", ValidWht().Set(Wht::Amount, "00000000 0010000"),
         {"20-35|WHT Amount|This field should be number "}},
        {"WHT amount 15 digits and a blank", ValidWht().Set(Wht::Amount, "000000000001000"),
         {"20-35|WHT Amount|This field should be number ", "20-35|WHT Amount|This field should have 16 digits"}},
        {"WHT amount last digit", ValidWht().Set(Wht::Amount, "0000000000010005"),
         {"20-35|WHT Amount|Amount should have two digits after decimal"}},
        {"WHT amount zero", ValidWht().Set(Wht::Amount, "0000000000000000"), {}},
        {"income type 4b1.1", ValidWht().Set(Wht::IncomeType, "4b1.1"), {}},
        {"income type blank and 5", ValidWht().Set(Wht::IncomeType, " 5"), {}},
        {"income type 06 needs no description", ValidWht().Set(Wht::IncomeType, "06"), {}},
        {"income type 4B1", ValidWht().Set(Wht::IncomeType, "4B1"),
         {"36-40|WHT Income Type|Should be 1-6 or 4a,4b,4b1.1,4b1.2,4b1.3,4b1.4,4b2,4b3"}},
        {"income type 4", ValidWht().Set(Wht::IncomeType, "4"),
         {"36-40|WHT Income Type|Should be 1-6 or 4a,4b,4b1.1,4b1.2,4b1.3,4b1.4,4b2,4b3"}},
        {"income type blank", ValidWht().Set(Wht::IncomeType, ""),
         {"36-40|WHT Income Type|Should be 1-6 or 4a,4b,4b1.1,4b1.2,4b1.3,4b1.4,4b2,4b3"}},
        {"income type 6 without description", ValidWht().Set(Wht::IncomeType, "6"),
         {"41-120|Income Description|If Income Type is 6 this field should not be space"}},
        {"income amount blank", ValidWht().Set(Wht::IncomeTypeAmount, ""),
         {"123-138|Income Type Amount|This field should have 16 digits"}},
        {"income amount zero", ValidWht().Set(Wht::IncomeTypeAmount, "0000000000000000"),
         {"123-138|Income Type Amount|This field should be number and more than zero"}},
        {"income amount not a number", ValidWht().Set(Wht::IncomeTypeAmount, "00000000001000X0"),
         {"123-138|Income Type Amount|This field should be number and more than zero"}},
        {"income amount last digit", ValidWht().Set(Wht::IncomeTypeAmount, "0000000000100005"),
         {"123-138|Income Type Amount|Amount should have two digits after decimal"}},
    };
    for (const Case& c : cases) {
        WhtFixture fx;
        EXPECT_EQ(fx.Check(c.record), c.expected) << c.name;
        EXPECT_EQ(fx.s.ctx.dataValid, c.expected.empty()) << c.name;
    }
}

TEST(WhtRecord, IncomeTypeCountAboveFour)
{
    for (const int count : {4, 5, 7}) {
        WhtFixture fx;
        EXPECT_EQ(fx.Check(ValidWht(), count),
                  count > 4 ? Rows{"36-40|WHT Income Type|should not more three"} : Rows{})
            << count;
    }
}

TEST(WhtRecord, AddsPositiveWellFormedAmountsOnly)
{
    WhtFixture fx;
    fx.s.ctx.whtAmountSum = 1;
    fx.Check(ValidWht().Set(Wht::Amount, "0000000000010000"));
    fx.Check(ValidWht().Set(Wht::Amount, "0000000000000000"));
    fx.Check(ValidWht().Set(Wht::Amount, "0000000000020005"));
    fx.Check(ValidWht().Set(Wht::Amount, "000000000002000"));
    EXPECT_EQ(fx.s.ctx.whtAmountSum, 1 + 10000.0);
}

TEST(WhtRecord, RowsShowPayeeNameOrAccount)
{
    for (const auto& [product, cells] : {std::pair<const char*, const char*>{"MCP", "|PAYEE"}, {"DDP", "|PAYEE"},
                                         {"XDQ", "1111111114|"}, {"DCP", "1111111114|"}}) {
        WhtFixture fx;
        fx.Check(ValidWht().Set(Wht::InternalReference, ""), 1, product);
        EXPECT_EQ(test::RowNames(fx.s), Rows{cells}) << product;
    }
}

TEST(WhtRecord, IncomeTypeThatIsNotWholeEndsThePass)
{
    WhtFixture fx;
    EXPECT_THROW(fx.Check(ValidWht().Set(Wht::IncomeType, "1.5")), AppError);
}

} // namespace
} // namespace tallivo
