#include "RecordBuilder.h"
#include "checking/RecordChecks.h"

#include <gtest/gtest.h>

using namespace tallivo;
using namespace tallivo::test;

namespace {

struct Case
{
    const Field& field;
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
        CheckDirectDebitBatchRecord(fx.s, ValidDirectDebitBatch().Set(DirectDebitBatch::ValueDate, date), 4);
        EXPECT_TRUE(fx.Rows().empty()) << date;
        EXPECT_TRUE(fx.s.ctx.dataValid);
    }
}

TEST(CheckDirectDebitBatchRecord, EachRuleGivesItsRows)
{
    const Case cases[] = {
        {DirectDebitBatch::InternalReference, "", {"7-14|Internal Reference|This field should not be space"}},
        {DirectDebitBatch::ValueDate, "20250114", {"15-22|Value Date|Value date should be today or future date"}},
        {DirectDebitBatch::ValueDate, "20250229", {"15-22|Value Date|Invalid value date"}},
        {DirectDebitBatch::ValueDate, "2025011", {"15-22|Value Date|Invalid value date"}},
        {DirectDebitBatch::ProcessingRound, "",
         {"23-24|Processing Round|This field should not be space",
          "23-24|Processing Round|This field should be number 2 digits",
          "23-24|Processing Round|This field should be 00,01 or 02"}},
        {DirectDebitBatch::ProcessingRound, "03", {"23-24|Processing Round|This field should be 00,01 or 02"}},
        {DirectDebitBatch::ProcessingRound, "1",
         {"23-24|Processing Round|This field should be number 2 digits",
          "23-24|Processing Round|This field should be 00,01 or 02"}},
        {DirectDebitBatch::CreditAccount, "", {"25-49|Credit Account No|This field should be number "}},
        {DirectDebitBatch::CreditAccount, "12345", {}}, // padded with blanks: only a number is asked for
        {DirectDebitBatch::CreditAccount2, "", {"59-83|Credit Account No|This field should be number 25 digits"}},
        {DirectDebitBatch::CreditAccount2, "12A45", {"59-83|Credit Account No|This field should be number 25 digits"}},
        {DirectDebitBatch::Currency, "thb", {"93-95|Credit Currency|Currency should be THB"}},
    };
    for (const Case& c : cases) {
        CheckFixture fx;
        CheckDirectDebitBatchRecord(fx.s, ValidDirectDebitBatch().Set(c.field, c.text), 4);
        EXPECT_EQ(Tail(fx.Rows(), "007|4|"), c.rows) << c.field.columns << " '" << c.text << "'";
        EXPECT_EQ(fx.s.ctx.dataValid, c.rows.empty());
    }
}

TEST(CheckDirectDebitItemRecord, EachRuleGivesItsRow)
{
    const Case cases[] = {
        {DirectDebitItem::InternalReference, "", {"4-11|Internal Reference|This field should not be space"}},
        {DirectDebitItem::SequenceNumber, "12345",
         {"12-17|Debit Sequence Number|This field should be number 6 digits"}},
        {DirectDebitItem::SequenceNumber, " 12345",
         {"12-17|Debit Sequence Number|This field should be number 6 digits"}},
        {DirectDebitItem::Account, "12345", {}},
        {DirectDebitItem::Account, "1234A", {"18-42|Debit Account No|This field should be number 25 digits"}},
        {DirectDebitItem::Currency, "thb", {"43-45|Debit Currency|This field should THB"}},
    };
    {
        CheckFixture fx;
        CheckDirectDebitItemRecord(fx.s, ValidDirectDebitItem(), 9);
        EXPECT_TRUE(fx.Rows().empty());
    }
    for (const Case& c : cases) {
        CheckFixture fx;
        CheckDirectDebitItemRecord(fx.s, ValidDirectDebitItem().Set(c.field, c.text), 9);
        EXPECT_EQ(Tail(fx.Rows(), "008|9|"), c.rows) << c.field.columns << " '" << c.text << "'";
    }
}

TEST(DirectDebitRecords, EmptyLinesRunEveryRuleWithoutReadingPastTheEnd)
{
    CheckFixture fx;
    CheckDirectDebitBatchRecord(fx.s, RecordCode::DirectDebitBatch, 1);
    CheckDirectDebitItemRecord(fx.s, RecordCode::DirectDebitItem, 2);
    EXPECT_EQ(fx.Rows().size(), 8u + 4u); // batch: every rule but the date comparison; item: all four
}
