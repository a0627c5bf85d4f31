#include "RecordBuilder.h"
#include "checking/RecordChecks.h"
#include "common/AppError.h"

#include <gtest/gtest.h>

using namespace tallivo;
using namespace tallivo::test;

namespace {

using Rows = std::vector<std::string>;

// The debit account cell of every row but one: columns 15-39 as read.
const std::string kAccountCell = std::string(kGoodAccount) + std::string(15, ' ');

// Runs the check on a line at line 5 and gives its rows as "columns|field|message|account".
Rows Check(CheckFixture& fx, const Rec& rec)
{
    CheckDebitRecord(fx.s, rec, 5, rec.Text().substr(3, 3));
    Rows rows = fx.Rows();
    for (std::string& r : rows) {
        EXPECT_EQ(r.substr(0, 6), "002|5|");
        EXPECT_EQ(r.back(), '|') << "the Payee Name cell is empty";
        r = r.substr(6, r.size() - 7);
        const std::size_t at = r.find(kAccountCell);
        if (at != std::string::npos)
            r.replace(at, kAccountCell.size(), "ACCT");
    }
    return rows;
}

} // namespace

TEST(CheckDebitRecord, ValidRecordOfEveryProductGivesNoRow)
{
    for (std::string_view product :
         {"PAY", "PA2", "PA3", "PA4", "PA5", "PA6", "DCP", "MCL", "BNT", "MCP", "CCP", "DDP", "XMQ", "XDQ"}) {
        CheckFixture fx;
        EXPECT_EQ(Check(fx, ValidDebit(product)), Rows{}) << product;
        EXPECT_TRUE(fx.s.ctx.dataValid);
        EXPECT_EQ(fx.s.ctx.invalidAccountCount, 0);
        EXPECT_EQ(fx.s.ctx.debitAmount, 1000000);
        EXPECT_EQ(fx.s.ctx.debitAmountTotal, 1000000);
        EXPECT_EQ(fx.s.ctx.debitLine, 5);
    }
}

TEST(CheckDebitRecord, EachRuleGivesItsRows)
{
    struct Case { std::string_view product; const Field& field; std::string_view text; Rows rows; };
    const Case cases[] = {
        {"DDR", Debit::ProductCode, "DDR", {"4-6|Product Code|Invalid Product Code|ACCT"}},
        {"DCP", Debit::ValueDate, "20250230", {"7-14|Value Date|Invalid value date|ACCT"}},
        {"DCP", Debit::ValueDate, "20250114", {"7-14|Value Date|Value date should be today or future date|ACCT"}},
        {"DCP", Debit::ValueDate, kToday, {}},
        {"MCL", Debit::ValueDate, kToday, {"7-14|Value Date|Value date in media clearing should be future date|ACCT"}},
        {"PA5", Debit::ValueDate, "20250101",
         {"7-14|Value Date|Value date in media clearing should be future date|ACCT"}},
        {"DDR", Debit::ValueDate, "20250114",
         {"4-6|Product Code|Invalid Product Code|ACCT",
          "7-14|Value Date|Value date should be today or future date|ACCT"}},
        {"DCP", Debit::AccountType, "A1", {"40-41|Acct Type of Debit|Account type should be number|ACCT"}},
        {"DCP", Debit::AccountType, "", {}},
        {"XMQ", Debit::AccountType, "A1",
         {"40-41|Acct Type of Debit|Account type should be number|ACCT",
          "40-41|Acct Type of Debit|Account type should be number|ACCT"}},
        {"XDQ", Debit::AccountType, "", {"40-41|Acct Type of Debit|Account type should be number|ACCT"}},
        {"XDQ", Debit::AccountType, " 1", {}}, // leading blank passes the number test
        {"DCP", Debit::BranchCode, "12B4", {"42-45|Debit Branch Code|Debit Branch should be number|ACCT"}},
        {"DCP", Debit::Currency, "USD",
         {"46-48|Debit Currency|Currency should be THB|ACCT", "46-48|Debit Currency|Currency should be THB|"}},
        {"DCP", Debit::FeeAccountType, "X", {"104-105|Acct Type(Fee)|Account type should be number|ACCT"}},
        {"DCP", Debit::FeeBranchCode, "1 2", {"106-109|Debit Branch Code(Fee)|Debit Branch should be number|ACCT"}},
        {"DCP", Debit::Amount, "000000000100000", {"49-64|Debit Amount|Amount should have 16 digits|ACCT"}},
        {"DCP", Debit::Amount, "0000000001,00000", {"49-64|Debit Amount|Amount should be number|ACCT"}},
        {"DCP", Debit::Amount, "0000000000000000", {"49-64|Debit Amount|Amount should be more than zero|ACCT"}},
        {"DCP", Debit::Amount, "-000000001000000", {"49-64|Debit Amount|Amount should be more than zero|ACCT"}},
        {"DCP", Debit::Amount, "0000000001000001",
         {"49-64|Debit Amount|Amount should have two digits after decimal|ACCT"}},
        {"DCP", Debit::CreditCount, "12", {"73-78|No. of Credits|This field should be number 6 digits|ACCT"}},
        {"DCP", Debit::CreditCount, "   123", {"73-78|No. of Credits|This field should be number 6 digits|ACCT"}},
        {"DCP", Debit::InternalReference, "", {"65-72|Internal Reference|This field should not be space|ACCT"}},
        {"BNT", Debit::FeeAccount, "anything at all !", {}},
        {"MCL", Debit::FeeDebitAccount, "", {"79-93|Fee Debit Account|This field should not be number|ACCT"}},
        {"MCL", Debit::FeeDebitAccount, "12345X", {"79-93|Fee Debit Account|This field should not be number|ACCT"}},
        {"MCL", Debit::Filler, "X", {"94-102|Filler|This field should be space|ACCT"}},
        {"MCL", Debit::MediaCircle, "A", {"103|Media Circle|This field should  be space , 0 , 1 or 2|ACCT"}},
        {"MCL", Debit::MediaCircle, "3", {"103|Media Circle|This field should  be space , 0 , 1 or 2|ACCT"}},
        {"MCL", Debit::MediaCircle, "", {}},
    };
    for (const Case& c : cases) {
        CheckFixture fx;
        EXPECT_EQ(Check(fx, ValidDebit(c.product).Set(c.field, c.text)), c.rows)
            << c.product << " " << c.field.columns << " '" << c.text << "'";
        EXPECT_EQ(fx.s.ctx.dataValid, c.rows.empty());
        EXPECT_EQ(fx.s.ctx.invalidAccountCount, 0);
    }
}

TEST(CheckDebitRecord, MediaCircleOneOrTwoLiftsTheDateRule)
{
    for (std::string_view circle : {"1", "2"}) {
        for (std::string_view date : {"20240101", kToday, "20250120"}) {
            CheckFixture fx;
            EXPECT_EQ(Check(fx, ValidDebit("MCL").Set(Debit::MediaCircle, circle).Set(Debit::ValueDate, date)),
                      Rows{}) << circle << date;
        }
    }
}

TEST(CheckDebitRecord, AccountFailuresAreCountedAndLeaveDataValid)
{
    CheckFixture fx;
    const Rows rows = Check(fx,
                            ValidDebit("PAY").Set(Debit::Account, "1111111111").Set(Debit::FeeAccount, "0000000000"));
    EXPECT_EQ(rows, (Rows{"15-39|Debit Account No|Invalid Orvane Account|1111111111               ",
                          "79-103|Debit Account No|Invalid Orvane Account|1111111111               "}));
    EXPECT_EQ(fx.s.ctx.invalidAccountCount, 2);
    EXPECT_TRUE(fx.s.ctx.dataValid);
    EXPECT_FALSE(fx.s.hasFindingsToSave);
    EXPECT_EQ(fx.s.statusText, "");
}

TEST(CheckDebitRecord, AmountStateFollowsTheAmountRule)
{
    struct Case { std::string_view amount; double debitAmount; double total; bool debitLineSet; };
    const Case cases[] = {
        {"0000000001000000", 1000000, 3000000, true},
        {"0000000000000000", 0, 2000000, true},
        {"0000000001000001", 1000001, 2000000, true},
        {" 000000001000000", 777, 2000000, false},
        {"00000000010000X0", 777, 2000000, false},
    };
    for (const Case& c : cases) {
        CheckFixture fx;
        fx.s.ctx.debitAmount = 777;
        fx.s.ctx.debitLine = 2;
        fx.s.ctx.debitAmountTotal = 2000000;
        CheckDebitRecord(fx.s, ValidDebit("DCP").Raw(Debit::Amount, c.amount), 9, "DCP");
        EXPECT_EQ(fx.s.ctx.debitAmount, c.debitAmount) << c.amount;
        EXPECT_EQ(fx.s.ctx.debitAmountTotal, c.total) << c.amount;
        EXPECT_EQ(fx.s.ctx.debitLine, c.debitLineSet ? 9 : 2) << c.amount;
    }
}

TEST(CheckDebitRecord, UnconvertibleAmountOrAccountEndsTheCheckWithTheConversionError)
{
    struct Case { const Field& field; std::string_view text; const char* message; };
    const Case cases[] = {
        {Debit::Amount, "E000000001000000", "'E000000001000000' is not a valid floating point value"},
        {Debit::Account, "-111111114", "'-' is not a valid integer value"},
    };
    for (const Case& c : cases) {
        CheckFixture fx;
        try {
            CheckDebitRecord(fx.s, ValidDebit("DCP").Set(c.field, c.text), 5, "DCP");
            ADD_FAILURE() << "no conversion error for " << c.text;
        } catch (const AppError& e) {
            EXPECT_EQ(e.kind(), AppError::Kind::Conversion);
            EXPECT_STREQ(e.what(), c.message);
        }
    }
}

TEST(CheckDebitRecord, ShortLineRunsEveryRuleWithoutReadingPastTheEnd)
{
    CheckFixture fx;
    const Rec shortDebit = ValidDebit("MCL").Cut(60);
    CheckDebitRecord(fx.s, shortDebit, 5, "MCL");
    const Rows rows = fx.Rows();
    ASSERT_FALSE(rows.empty());
    EXPECT_NE(rows.front().find("49-64|Debit Amount|Amount should have 16 digits"), std::string::npos);
}
