// The record layouts by line: every record type's fields, the debit record's by product.
#include "TestFiles.h"
#include "format/DebitLayout.h"
#include "format/RecordLayouts.h"

#include <gtest/gtest.h>

namespace tallivo {
namespace {

TEST(RecordLayouts, EveryRecordTypeByItsCodeAndTheDebitByItsProduct)
{
    const struct
    {
        std::string line;
        const char* name;
        const char* lastField;
    } kCases[] = {
        {test::Record(RecordCode::Header), "Header", "Channel Id"},
        {test::Record("002PAY", 109), "Debit", "Debit Branch Code(Fee)"},
        {test::Record("002MCL", 109), "Debit", "Media Circle"},
        {test::Record("002PA5", 109), "Debit", "Media Circle"},
        {test::Record(RecordCode::Credit), "Credit", "Bene Charge"},
        {test::Record(RecordCode::Payee), "Payee", "Payee2 Name(Thai)"},
        {test::Record(RecordCode::Wht), "WHT", "Income Type Amount"},
        {test::Record(RecordCode::Invoice), "Invoice", "Print Language"},
        {test::Record(RecordCode::DirectDebitBatch), "Direct debit batch", "No. of Items"},
        {test::Record(RecordCode::DirectDebitItem), "Direct debit item", "Debit Currency"},
        {test::Record(RecordCode::Trailer), "Trailer", "Total Amount"},
        {"003 a short credit line", "Credit", "Bene Charge"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.line.substr(0, 6));
        const auto layout = LayoutOfLine(c.line);
        ASSERT_TRUE(layout);
        EXPECT_EQ(layout->name, c.name);
        EXPECT_EQ(layout->code, c.line.substr(0, 3));
        EXPECT_EQ(layout->length, RecordLength(layout->code));
        ASSERT_FALSE(layout->fields.empty());
        EXPECT_EQ(layout->fields.back().name, c.lastField);
        EXPECT_LE(layout->fields.back().Last(), layout->length);
    }
    for (const char* line : {"", "00", "000 unknown", "ABC"})
        EXPECT_FALSE(LayoutOfLine(line)) << line;
}

} // namespace
} // namespace tallivo
