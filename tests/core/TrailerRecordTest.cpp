#include "RecordBuilder.h"
#include "checking/RecordChecks.h"
#include "common/AppError.h"

#include <gtest/gtest.h>

using namespace tallivo;
using namespace tallivo::test;

namespace {

// A session whose pass so far counted 1 debit record, 1 credit record and a total of 1000000.
struct TrailerFixture : CheckFixture
{
    explicit TrailerFixture(std::string_view product = "DCP")
    {
        s.ctx.currentProduct = product;
        s.ctx.debitCount = 1;
        s.ctx.creditCount = 1;
        s.ctx.debitAmountTotal = 1000000;
    }
    std::vector<std::string> Check(const std::string& line)
    {
        CheckTrailerRecord(s, line, 12);
        std::vector<std::string> rows = Rows();
        for (std::string& r : rows) {
            EXPECT_EQ(r.substr(0, 7), "999|12|");
            r = r.substr(7, r.size() - 9);
        }
        return rows;
    }
};

using Rows = std::vector<std::string>;

} // namespace

TEST(CheckTrailerRecord, MatchingTotalsGiveNoRow)
{
    TrailerFixture fx;
    EXPECT_TRUE(fx.Check(ValidTrailer()).empty());
    EXPECT_TRUE(fx.s.ctx.dataValid);
}

TEST(CheckTrailerRecord, EachFieldsRules)
{
    struct Case { const Field& field; std::string_view text; Rows rows; };
    const Case cases[] = {
        {Trailer::DebitCount, "000000",
         {"4-9|Total No. of Debits|This field should be number and more than zero",
          "4-9|Total No. of Debits|Total No. of Debits does not match with debit detail"}},
        {Trailer::DebitCount, " 00001",
         {"4-9|Total No. of Debits|This field should be number 6 digits and more than zero"}},
        {Trailer::DebitCount, "00001A",
         {"4-9|Total No. of Debits|This field should be number 6 digits and more than zero"}},
        {Trailer::DebitCount, "000002",
         {"4-9|Total No. of Debits|Total No. of Debits does not match with debit detail"}},
        {Trailer::CreditCount, "000000",
         {"10-15|Total No. of Credits|This field should be number and more than zero",
          "10-15|Total No. of Credits|Total No. of Credits does not match with credit detail"}},
        {Trailer::CreditCount, "",
         {"10-15|Total No. of Credits|This field should be number 6 digits and more than zero"}},
        {Trailer::CreditCount, "000003",
         {"10-15|Total No. of Credits|Total No. of Credits does not match with credit detail"}},
    };
    for (const Case& c : cases) {
        TrailerFixture fx;
        EXPECT_EQ(fx.Check(ValidTrailer().Set(c.field, c.text)), c.rows) << c.field.columns << " '" << c.text << "'";
    }
}

TEST(CheckTrailerRecord, TotalAmountRules)
{
    struct Case { std::string_view amount; Rows rows; };
    const Case cases[] = {
        {"00000000 1000000", {"16-31|Total Amount|This field should be number and more than zero"}},
        {"000000001000000 ",
         {"16-31|Total Amount|This field should be number and more than zero",
          "16-31|Total Amount|Total Amount should have 16 digits"}},
        {" 000000001000000", {"16-31|Total Amount|Total Amount should have 16 digits"}}, // same value: matches
        {" 000000002000000",
         {"16-31|Total Amount|Total Amount does not match with detail",
          "16-31|Total Amount|Total Amount should have 16 digits"}},
        {"0000000000000000",
         {"16-31|Total Amount|This field should be number and more than zero",
          "16-31|Total Amount|Total Amount does not match with detail"}},
        {"0000000001000001",
         {"16-31|Total Amount|Total Amount does not match with detail",
          "16-31|Total Amount|Amount should have two digits after decimal"}},
    };
    for (const Case& c : cases) {
        TrailerFixture fx;
        EXPECT_EQ(fx.Check(ValidTrailer().Raw(Trailer::TotalAmount, c.amount)), c.rows) << "'" << c.amount << "'";
    }
}

TEST(CheckTrailerRecord, DirectDebitFileSkipsOnlyTheComparisons)
{
    TrailerFixture fx("DDR");
    EXPECT_TRUE(fx.Check(ValidTrailer("000009", "000009", "0000000009000000")).empty());
    TrailerFixture bad("DDR");
    EXPECT_EQ(bad.Check(ValidTrailer("000000", "000009", "0000000009000001")),
              (Rows{"4-9|Total No. of Debits|This field should be number and more than zero",
                    "16-31|Total Amount|Amount should have two digits after decimal"}));
}

TEST(CheckTrailerRecord, CountThatPassesTheNumberTestButNotTheIntegerConversionEscapes)
{
    TrailerFixture fx;
    fx.s.AddError("002", "2", "4-6", "Product Code", "Invalid Product Code"); // a row written before
    try {
        CheckTrailerRecord(fx.s, ValidTrailer("0001.0"), 12);
        FAIL() << "no conversion error";
    } catch (const AppError& e) {
        EXPECT_STREQ(e.what(), "'0001.0' is not a valid integer value");
    }
    EXPECT_EQ(fx.Rows().size(), 1u);
}
