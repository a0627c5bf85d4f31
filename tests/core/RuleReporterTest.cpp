#include "RecordBuilder.h"
#include "checking/RuleReporter.h"
#include "format/CreditLayout.h"
#include "format/DebitLayout.h"

#include <gtest/gtest.h>

using namespace tallivo;
using namespace tallivo::test;

TEST(Fields, ReadColumnRangesAndStopAtTheLinesEnd)
{
    const Fields f("0021234567");
    EXPECT_EQ(f["1-3"], "002");
    EXPECT_EQ(f["4"], "1");
    EXPECT_EQ(f["9-14"], "67");
    EXPECT_EQ(f["11-12"], "");
    EXPECT_EQ(f.At(10), '7');
    EXPECT_EQ(f.At(11), '\0');
    EXPECT_EQ(f[Debit::ProductCode], "123");
    EXPECT_EQ(f[Debit::ValueDate], "4567") << "a field the line cuts short";
    EXPECT_EQ(f[Debit::Amount], "") << "a field past the line's end";
    EXPECT_EQ(f.At(Debit::MediaCircle), '\0');
}

TEST(Fields, DateFieldsSplitIntoYearMonthDayAsFarAsTheLineHoldsThem)
{
    const std::string line = std::string(6, ' ') + "20250131";
    const Fields whole(line); // Fields views the line: it must outlive them
    const DateText date = whole.Date(Debit::ValueDate);
    EXPECT_EQ(date.year, "2025");
    EXPECT_EQ(date.month, "01");
    EXPECT_EQ(date.day, "31");
    EXPECT_TRUE(IsValidDate(date));

    const std::string shortLine = std::string(6, ' ') + "202502";
    const DateText cut = Fields(shortLine).Date(Debit::ValueDate);
    EXPECT_EQ(cut.year, "2025");
    EXPECT_EQ(cut.month, "02");
    EXPECT_EQ(cut.day, "");
    EXPECT_FALSE(IsValidDate(cut));
}

TEST(Field, CarriesItsPrintedColumnsNameAndWidth)
{
    struct Case
    {
        const Field& field;
        std::string_view columns;
        std::string_view name;
        std::size_t first;
        std::size_t width;
    };
    const Case cases[] = {
        {Credit::Amount, "35-50", "Credit Amount", 35, 16},
        {Credit::WhtPresent, "62-62", "WHT Present", 62, 1},
        {Debit::MediaCircle, "103", "Media Circle", 103, 1},
        {Credit::WhtDeductDate, "173-180", "WHT Deduct Date", 173, 8},
        // The same columns under the names other findings print.
        {Credit::WhtCountCompared, "92-93", "No of WHT Detail", 92, 2},
        {Credit::InvoiceCountCompared, "110-115", "No of Invoice Detail", 110, 6},
        {Credit::ReceivingBankCodeLowerCase, "181-183", "Receiving Bank code", 181, 3},
        {Debit::CreditCountCompared, "73-78", "No.of Credit", 73, 6},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.field.columns, c.columns) << c.name;
        EXPECT_EQ(c.field.name, c.name);
        EXPECT_EQ(c.field.First(), c.first) << c.name;
        EXPECT_EQ(c.field.Width(), c.width) << c.name;
    }
    EXPECT_EQ(WholeDigits(Credit::Amount).first, 35u);
    EXPECT_EQ(WholeDigits(Credit::Amount).last, 47u);
    EXPECT_EQ(DecimalDigits(Credit::Amount).first, 48u);
    EXPECT_EQ(DecimalDigits(Credit::Amount).last, 50u);
}

TEST(SetField, PadsWithBlanksAndRefusesWhatDoesNotFit)
{
    std::string line(std::string(RecordCode::Debit) + std::string(106, 'x'));
    SetField(line, Debit::ProductCode, "DC");
    EXPECT_EQ(line.substr(0, 8), "002DC xx");
    SetField(line, Debit::MediaCircle, "1");
    EXPECT_EQ(line.substr(101, 4), "x1xx");
    EXPECT_EQ(line.size(), 109u);
    EXPECT_THROW(SetField(line, Debit::ProductCode, "DCPX"), std::logic_error);
    std::string shortLine(60, ' ');
    EXPECT_THROW(SetField(shortLine, Debit::Amount, "1"), std::logic_error);
}

TEST(RuleReporter, TheFailureKindsDifferInDataValidSaveAndCount)
{
    struct Case
    {
        const char* name;
        void (*report)(CheckSession&);
        bool dataValid;
        bool flagged;
        int invalidAccounts;
        const char* row;
    };
    static constexpr Field kField{"4-15", "F"};
    const Case cases[] = {
        {"plain data failure", [](CheckSession& s) { RuleReporter(s, "001", 4).Fail(kField, "M"); }, false, true, 0,
         "001|4|4-15|F|M||"},
        {"data failure with cells",
         [](CheckSession& s) { RuleReporter(s, "003", 4, "ACC", "PAYEE").Fail(Credit::SequenceNumber, "M"); }, false,
         true, 0, "003|4|4-9|Credit Sequence Number|M|ACC|PAYEE"},
        {"data failure without the cells",
         [](CheckSession& s) { RuleReporter(s, "002", 4, "ACC", "").FailWithoutAccount(Debit::Currency, "M"); }, false,
         true, 0, "002|4|46-48|Debit Currency|M||"},
        {"account failure keeping dataValid",
         [](CheckSession& s) { RuleReporter(s, "002", 4, "ACC", "").AccountFail(Debit::Account, "M"); }, true, false,
         1, "002|4|15-39|Debit Account No|M|ACC|"},
        {"account failure clearing dataValid",
         [](CheckSession& s) {
             RuleReporter(s, "003", 4, "ACC", "", AccountFailure::ClearsDataValid).AccountFail(Credit::Account, "M");
         },
         false, false, 1, "003|4|10-34|Credit Account No|M|ACC|"},
    };
    for (const Case& c : cases) {
        CheckFixture fx;
        c.report(fx.s);
        EXPECT_EQ(fx.Rows(), std::vector<std::string>{c.row}) << c.name;
        EXPECT_EQ(fx.s.ctx.dataValid, c.dataValid) << c.name;
        EXPECT_EQ(fx.s.hasFindingsToSave, c.flagged) << c.name;
        EXPECT_EQ(fx.s.ctx.invalidAccountCount, c.invalidAccounts) << c.name;
    }
}
