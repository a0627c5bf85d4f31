#include "RecordBuilder.h"
#include "checking/RecordChecks.h"

#include <gtest/gtest.h>

using namespace tallivo;
using namespace tallivo::test;

namespace {

struct Case
{
    std::string_view columns;
    std::string_view text;
    std::vector<std::string> rows; // cells 3 to 5 of each expected row: columns|field name|message
};

std::vector<std::string> Tail(std::vector<std::string> rows, std::string_view prefix)
{
    for (std::string& r : rows) {
        EXPECT_EQ(r.substr(0, prefix.size()), prefix);
        r = r.substr(prefix.size());
        r = r.substr(0, r.size() - 2); // the empty Account and Payee Name cells
    }
    return rows;
}

} // namespace

TEST(CheckDirectDebitBatchRecord, ValidRecordAndTodayPass)
{
    for (std::string_view date : {"20250120", kToday}) {
        CheckFixture fx;
        CheckDirectDebitBatchRecord(fx.s, ValidDirectDebitBatch().Set("15-22", date), 4);
        EXPECT_TRUE(fx.Rows().empty()) << date;
        EXPECT_TRUE(fx.s.ctx.DataValid);
    }
}

TEST(CheckDirectDebitBatchRecord, EachRuleGivesItsRows)
{
    const Case cases[] = {
        {"7-14", "", {"7-14|Internal Reference|This field should not be space"}},
        {"15-22", "20250114", {"15-22|Value Date|Value date should be today or future date"}},
        {"15-22", "20250229", {"15-22|Value Date|Invalid value date"}},
        {"15-22", "2025011", {"15-22|Value Date|Invalid value date"}},
        {"23-24", "",
         {"23-24|Processing Round|This field should not be space",
          "23-24|Processing Round|This field should be number 2 digits",
          "23-24|Processing Round|This field should be 00,01 or 02"}},
        {"23-24", "03", {"23-24|Processing Round|This field should be 00,01 or 02"}},
        {"23-24", "1",
         {"23-24|Processing Round|This field should be number 2 digits",
          "23-24|Processing Round|This field should be 00,01 or 02"}},
        {"25-49", "", {"25-49|Credit Account No|This field should be number "}},
        {"25-49", "12345", {}}, // padded with blanks: only a number is asked for
        {"59-83", "", {"59-83|Credit Account No|This field should be number 25 digits"}},
        {"59-83", "12A45", {"59-83|Credit Account No|This field should be number 25 digits"}},
        {"93-95", "thb", {"93-95|Credit Currency|Currency should be THB"}},
    };
    for (const Case& c : cases) {
        CheckFixture fx;
        CheckDirectDebitBatchRecord(fx.s, ValidDirectDebitBatch().Set(c.columns, c.text), 4);
        EXPECT_EQ(Tail(fx.Rows(), "007|4|"), c.rows) << c.columns << " '" << c.text << "'";
        EXPECT_EQ(fx.s.ctx.DataValid, c.rows.empty());
    }
}

TEST(CheckDirectDebitItemRecord, EachRuleGivesItsRow)
{
    const Case cases[] = {
        {"4-11", "", {"4-11|Internal Reference|This field should not be space"}},
        {"12-17", "12345", {"12-17|Debit Sequence Number|This field should be number 6 digits"}},
        {"12-17", " 12345", {"12-17|Debit Sequence Number|This field should be number 6 digits"}},
        {"18-42", "12345", {}},
        {"18-42", "1234A", {"18-42|Debit Account No|This field should be number 25 digits"}},
        {"43-45", "thb", {"43-45|Debit Currency|This field should THB"}},
    };
    {
        CheckFixture fx;
        CheckDirectDebitItemRecord(fx.s, ValidDirectDebitItem(), 9);
        EXPECT_TRUE(fx.Rows().empty());
    }
    for (const Case& c : cases) {
        CheckFixture fx;
        CheckDirectDebitItemRecord(fx.s, ValidDirectDebitItem().Set(c.columns, c.text), 9);
        EXPECT_EQ(Tail(fx.Rows(), "008|9|"), c.rows) << c.columns << " '" << c.text << "'";
    }
}

TEST(DirectDebitRecords, EmptyLinesRunEveryRuleWithoutReadingPastTheEnd)
{
    CheckFixture fx;
    CheckDirectDebitBatchRecord(fx.s, "007", 1);
    CheckDirectDebitItemRecord(fx.s, "008", 2);
    EXPECT_EQ(fx.Rows().size(), 8u + 4u); // batch: every rule but the date comparison; item: all four
}
