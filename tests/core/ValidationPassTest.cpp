#include "PaymentRecordFixture.h"
#include "TestFiles.h"
#include "checking/AccountRowStore.h"
#include "checking/ValidationPass.h"
#include "common/AppError.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace tallivo;
using namespace tallivo::test;

namespace {

using Rows = std::vector<std::string>;

// Records that pass their own record check, so that the rows of these tests are the
// pass's cross-record findings (or, where a test says so, the record check's rows that
// the pass's order places among them).
std::string DebitOf(std::string_view amount, std::string_view credits)
{
    return ValidDebit("DCP").Set(Debit::Amount, amount).Set(Debit::CreditCount, credits);
}

// A credit that declares WHT records and invoice records without setting its Y/N flags:
// the credit's own rules on those declarations apply only to a "Y", the pass compares
// them whatever the flags.
std::string CreditOf(std::string_view amount, std::string_view whtCount = "00",
                     std::string_view whtTotal = "0000000000000000", std::string_view invoices = "000000")
{
    return ValidCredit("DCP")
        .Set(Credit::Amount, amount)
        .Set(Credit::WhtCount, whtCount)
        .Set(Credit::TotalWhtAmount, whtTotal)
        .Set(Credit::InvoiceCount, invoices);
}

std::string WhtOf(std::string_view amount, std::string_view incomeType = "1")
{
    return ValidWht()
        .Set(Wht::Amount, amount)
        .Set(Wht::IncomeType, incomeType)
        .Set(Wht::IncomeDescription, "SERVICE FEE");
}

std::string TrailerOf(std::string_view debits, std::string_view credits, std::string_view amount)
{
    return ValidTrailer(debits, credits, amount);
}

struct PassFixture : CheckFixture
{
    TempFolder dir;

    std::vector<std::string> Run(const std::string& bytes)
    {
        ValidatePaymentFile(s, dir.Write("pay.txt", bytes));
        return Rows();
    }
};

const char* const kDebitAmountRow = "002|%d|49-64|Debit Amount|Debit amount does not match with credit detail||";
const char* const kWhtCountRow =
    "003|%d|92-93|No of WHT Detail|No. of Withoding Tax does not match with Total Withoding Tax||";
const char* const kWhtTotalRow = "003|%d|94-109|Total WHT Amount|Total WHT Amount does not match with WHT detail||";
const char* const kInvoiceCountRow =
    "003|%d|110-115|No of Invoice Detail|No. of Invoice does not match with Total Invoice||";
const char* const kCreditCountRow =
    "002|%d|73-78|No.of Credit|No. of Credit does not match with Total Credit Detail||";

std::string Row(const char* format, int line)
{
    char text[200];
    std::snprintf(text, sizeof text, format, line);
    return text;
}

} // namespace

TEST(ValidatePaymentFile, DebitAmountIsComparedWhenTheNextDebitOrTheTrailerCloses)
{
    PassFixture fx;
    const Rows rows = fx.Run(FileOf({ValidHeader(), DebitOf("0000000003000000", "000002"), CreditOf("0000000001000000"),
                                     CreditOf("0000000002000000"), DebitOf("0000000005000000", "000001"),
                                     CreditOf("0000000004000000"),
                                     TrailerOf("000002", "000003", "0000000008000000")}));
    EXPECT_EQ(rows, Rows{Row(kDebitAmountRow, 5)});
    EXPECT_FALSE(fx.s.ctx.dataValid);
    EXPECT_TRUE(fx.s.hasFindingsToSave);
    EXPECT_EQ(fx.s.ctx.debitCount, 2);
    EXPECT_EQ(fx.s.ctx.creditCount, 3);

    PassFixture first;
    EXPECT_EQ(first.Run(FileOf({DebitOf("0000000003000000", "000001"), CreditOf("0000000001000000"),
                                DebitOf("0000000005000000", "000001"), CreditOf("0000000005000000"),
                                TrailerOf("000002", "000002", "0000000008000000")})),
              Rows{Row(kDebitAmountRow, 1)});
}

TEST(ValidatePaymentFile, CleanFileGivesNoRowAndSetsDataValid)
{
    PassFixture fx;
    fx.s.ctx.dataValid = false;
    const Rows rows =
        fx.Run(FileOf({ValidHeader().Set(Header::CompanyId, "  ACME  "), DebitOf("0000000003000000", "000002"),
                       WithWht(ValidCredit("DCP"))
                           .Set(Credit::WhtCount, "02")
                           .Set(Credit::TotalWhtAmount, "0000000000050000")
                           .Set(Credit::InvoicePresent, "Y")
                           .Set(Credit::InvoiceCount, "000001")
                           .Set(Credit::TotalInvoiceAmount, "0000000000100000"),
                       ValidPayee(), WhtOf("0000000000020000", "1"), WhtOf("0000000000030000", "6"), ValidInvoice(),
                       CreditOf("0000000002000000"), TrailerOf("000001", "000002", "0000000003000000")}));
    EXPECT_EQ(rows, Rows{});
    EXPECT_TRUE(fx.s.ctx.dataValid);
    EXPECT_EQ(fx.s.ctx.companyId, "ACME");
    EXPECT_EQ(fx.s.grid.ColCount(), 8u);
    EXPECT_EQ(fx.s.grid.Cell(7, 0), "Payee Name");
}

TEST(ValidatePaymentFile, WhtTotalAndWhtCountAndInvoiceCountFindingsNameTheCreditLine)
{
    PassFixture fx;
    const Rows rows = fx.Run(FileOf({DebitOf("0000000002000000", "000002"),
                                     CreditOf("0000000001000000", "02", "0000000000090000", "000003"),
                                     WhtOf("0000000000020000", "1"), ValidInvoice(), ValidInvoice(), ValidInvoice(),
                                     CreditOf("0000000001000000", "00", "0000000000000000", "000002"), ValidInvoice(),
                                     TrailerOf("000001", "000002", "0000000002000000")}));
    EXPECT_EQ(rows, (Rows{Row(kWhtCountRow, 2), Row(kWhtTotalRow, 2), Row(kInvoiceCountRow, 7)}));
}

TEST(ValidatePaymentFile, WhtCountIsComparedOnlyAtTheFirstInvoice)
{
    PassFixture fx;
    // Declares 2 WHT records, has 1; no invoice record: never compared.
    EXPECT_EQ(fx.Run(FileOf({DebitOf("0000000001000000", "000001"),
                             CreditOf("0000000001000000", "02", "0000000000020000", "000000"),
                             WhtOf("0000000000020000"), TrailerOf("000001", "000001", "0000000001000000")})),
              Rows{});
    // Invoice records before a WHT record of the same credit are not counted.
    PassFixture before;
    EXPECT_EQ(before.Run(FileOf({DebitOf("0000000001000000", "000001"),
                                 CreditOf("0000000001000000", "01", "0000000000020000", "000001"), ValidInvoice(),
                                 WhtOf("0000000000020000"), TrailerOf("000001", "000001", "0000000001000000")})),
              (Rows{Row(kWhtCountRow, 2), Row(kInvoiceCountRow, 2)}));
}

TEST(ValidatePaymentFile, WhtIncomeTypeLimits)
{
    const std::string tooMany = "Witholding Tax Number should not be more five";
    const std::string repeated = "should not be Repeat 1-5 or 4a,4b,4b1,4b1.1,4b1.2,4b1.3,4b1.4,4b2,4b3";
    const std::string typeSix = "Type 6 should not be more than three ";
    // The WHT record check is handed the number of distinct income types so far (the
    // fourth and later type 6 counting as new ones), and reports every count above 4.
    const std::string aboveFour = "should not more three";
    struct Case { std::vector<std::string_view> types; Rows rows; std::vector<int> counts; };
    const Case cases[] = {
        {{"1", "1", "1"}, {"4|" + repeated}, {1, 1, 1}},
        {{"4A", "4A"}, {}, {0, 0}},
        {{"6", "6", "6", "6", "6"}, {"6|" + typeSix, "7|" + typeSix}, {1, 1, 1, 2, 3}},
        {{"1", "2", "4b1.4"}, {}, {1, 2, 3}},
        {{"1", "2", "3", "4a", "5", "4b", "4b2"}, {"8|" + tooMany, "9|" + tooMany}, {1, 2, 3, 4, 5, 6, 7}},
        {{"1", "2", "3", "6", "6", "6", "6"}, {"8|" + tooMany, "9|" + tooMany, "9|" + typeSix}, {1, 2, 3, 4, 4, 4, 5}},
    };
    for (const Case& c : cases) {
        std::string file = FileOf({DebitOf("0000000001000000", "000001"), CreditOf("0000000001000000")});
        for (std::string_view t : c.types)
            file += WhtOf("0000000000000000", t) + "\r\n";
        PassFixture fx;
        Rows rows = fx.Run(file); // no trailer: nothing else is compared
        Rows expected;
        for (const std::string& r : c.rows) {
            const std::size_t bar = r.find('|');
            expected.push_back("005|" + r.substr(0, bar) + "|36-40|WHT Income Type|" + r.substr(bar + 1) + "||");
        }
        for (std::size_t i = 0; i < c.counts.size(); ++i)
            if (c.counts[i] > 4)
                expected.push_back("005|" + std::to_string(3 + i) + "|36-40|WHT Income Type|" + aboveFour + "||");
        std::sort(rows.begin(), rows.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(rows, expected) << c.types.size();
    }
}

TEST(ValidatePaymentFile, TooManyWhtRecordsRowComesBeforeTheIncomeTypeRow)
{
    PassFixture fx;
    std::string file = FileOf({DebitOf("0000000001000000", "000001"), CreditOf("0000000001000000")});
    for (int i = 0; i < 6; ++i)
        file += WhtOf("0000000000000000", "1") + "\r\n";
    const Rows rows = fx.Run(file);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0],
              "005|4|36-40|WHT Income Type|should not be Repeat 1-5 or 4a,4b,4b1,4b1.1,4b1.2,4b1.3,4b1.4,4b2,4b3||");
    EXPECT_EQ(rows[1], "005|8|36-40|WHT Income Type|Witholding Tax Number should not be more five||");
}

TEST(ValidatePaymentFile, CreditCountFindingNamesTheLastDebitRecordAndRepeatsAfterTheTrailer)
{
    // The one debit record on line 2 declares 5 credits and has 4.
    PassFixture usual;
    std::string file = FileOf({ValidHeader(), DebitOf("0000000004000000", "000005")});
    for (int i = 0; i < 4; ++i)
        file += CreditOf("0000000001000000") + "\r\n";
    file += TrailerOf("000001", "000004", "0000000004000000") + "\r\n";
    EXPECT_EQ(usual.Run(file), Rows{Row(kCreditCountRow, 2)});
    PassFixture twice;
    EXPECT_EQ(twice.Run(file + ValidHeader().Text() + "\r\n"),
              (Rows{Row(kCreditCountRow, 2), Row(kCreditCountRow, 2)}));

    // The last debit record stands on line 5: the finding names line 5, not "2".
    PassFixture later;
    EXPECT_EQ(later.Run(FileOf({ValidHeader(), DebitOf("0000000001000000", "000001"), CreditOf("0000000001000000"),
                                ValidHeader(), DebitOf("0000000001000000", "000002"), CreditOf("0000000001000000"),
                                TrailerOf("000002", "000002", "0000000002000000")})),
              Rows{Row(kCreditCountRow, 5)});

    // A credit record without any debit record: the finding names the trailer's line.
    // The trailer's totals cannot match a file without debit records, and the credit
    // amount has no debit to match.
    PassFixture noDebit;
    EXPECT_EQ(noDebit.Run(FileOf({ValidHeader(), CreditOf("0000000001000000"),
                                  TrailerOf("000001", "000001", "0000000001000000")})),
              (Rows{Row(kDebitAmountRow, 0),
                    "999|3|4-9|Total No. of Debits|Total No. of Debits does not match with debit detail||",
                    "999|3|16-31|Total Amount|Total Amount does not match with detail||", Row(kCreditCountRow, 3)}));
}

TEST(ValidatePaymentFile, FileWithoutTrailerComparesNothingAtItsEnd)
{
    PassFixture fx;
    EXPECT_EQ(fx.Run(FileOf({DebitOf("0000000009000000", "000005"),
                             CreditOf("0000000001000000", "03", "0000000000090000", "000004"), ValidInvoice()})),
              Rows{Row(kWhtCountRow, 2)});
}

TEST(ValidatePaymentFile, ResetRulesLetSomeValuesCarryIntoTheNextPass)
{
    PassFixture fx;
    fx.Run(FileOf({ValidHeader().Set(Header::CompanyId, "FIRST"), DebitOf("0000000003000000", "000001"),
                   CreditOf("0000000002000000", "01", "0000000000000000", "000007")})); // no trailer
    EXPECT_EQ(fx.s.ctx.creditAmountSum, 2000000);
    EXPECT_EQ(fx.s.ctx.currentProduct, "DCP");

    // The second pass starts with debitAmount 0 but the first pass's credit sum and
    // debit line: its first debit record's comparison names line 2 of the first file.
    const Rows rows = fx.Run(FileOf({ValidCredit("DCP").Set(Credit::WhtCount, "").Set(Credit::InvoiceCount, ""),
                                     DebitOf("0000000001000000", "000000")}));
    EXPECT_EQ(rows, Rows{Row(kDebitAmountRow, 2)});
    EXPECT_EQ(fx.s.ctx.declaredWhtCountText, "01"); // a blank count field keeps the earlier text
    EXPECT_EQ(fx.s.ctx.declaredInvoiceCountText, "000007");
    EXPECT_EQ(fx.s.ctx.companyId, "FIRST");
    EXPECT_EQ(fx.s.ctx.debitCount, 1);
    EXPECT_EQ(fx.s.ctx.creditCount, 1);
}

namespace {

class RecordingRowStore : public AccountRowStore
{
public:
    void StartRow(std::string_view) override {}
    void SetNames(std::string_view, std::string_view) override {}
    std::string_view Account() override { return {}; }
    std::string_view NameEn() override { return {}; }
    void Flush() override { ++flushes; }
    void Forget() override {}
    int flushes = 0;
};

} // namespace

TEST(ValidatePaymentFile, UnguardedIntegerConversionsEndThePassKeepingTheRows)
{
    const std::string blankCreditCount =
        "002|4|73-78|No. of Credits|This field should be number 6 digits|" + std::string(kGoodAccount) +
        std::string(15, ' ') + "|";
    struct Case { std::string file; const char* message; Rows rowsBefore; };
    const Case cases[] = {
        // The second debit record closes the first again (its credit sum was reset by the
        // trailer); its own check reports the blank count before the pass converts it.
        {FileOf({DebitOf("0000000001000000", "000001"), CreditOf("0000000001000000"),
                 TrailerOf("000001", "000001", "0000000001000000"), DebitOf("0000000001000000", "")}),
         "'      ' is not a valid integer value", Rows{Row(kDebitAmountRow, 1), blankCreditCount}},
        // A WHT count that is no number leaves the count text empty in a new session.
        {FileOf({DebitOf("0000000001000000", "000000"), DebitOf("0000000001000000", "000001"),
                 CreditOf("0000000001000000", "AB")}),
         "'' is not a valid integer value", Rows{Row(kDebitAmountRow, 1)}},
    };
    for (const Case& c : cases) {
        PassFixture fx;
        RecordingRowStore store;
        fx.s.accountRow = &store;
        try {
            fx.Run(c.file);
            ADD_FAILURE() << "no conversion error";
        } catch (const AppError& e) {
            EXPECT_EQ(e.kind(), AppError::Kind::Conversion);
            EXPECT_STREQ(e.what(), c.message);
        }
        EXPECT_EQ(fx.Rows(), c.rowsBefore) << "the rows written before stay";
        EXPECT_EQ(store.flushes, 1);
    }
}

TEST(ValidatePaymentFile, FlushesTheAccountRowAtTheEnd)
{
    PassFixture fx;
    RecordingRowStore store;
    fx.s.accountRow = &store;
    fx.Run(FileOf({ValidHeader()}));
    EXPECT_EQ(store.flushes, 1);
}

TEST(ValidatePaymentFile, UnknownAndShortLinesAreCountedButNotChecked)
{
    PassFixture fx;
    // Line 3 is "00" and line 4 empty; the blank header on line 5 is checked.
    const Rows rows = fx.Run(FileOf({Rec("XYZ", 10), Rec("00", 2), "", "", Rec(RecordCode::Header)}));
    ASSERT_EQ(rows.size(), 5u);
    for (const std::string& row : rows)
        EXPECT_EQ(row.substr(0, 6), "001|5|");
}

TEST(ValidatePaymentFile, RecordChecksInTheirOrderWithTheCrossRecordRows)
{
    PassFixture fx;
    const Rows rows = fx.Run(FileOf({ValidHeader().Set(Header::ChannelId, "XXX"),
                                     ValidDebit("DCP").Set(Debit::Currency, "USD"),
                                     ValidTrailer("000001", "000000", "0000000001000000")}));
    const std::string account = std::string(kGoodAccount) + std::string(15, ' ');
    EXPECT_EQ(rows, (Rows{
                        "001|1|62-64|Channel Id|This field should  be VYN||",
                        "002|2|46-48|Debit Currency|Currency should be THB|" + account + "|",
                        "002|2|46-48|Debit Currency|Currency should be THB||",
                        Row(kDebitAmountRow, 2),
                        "999|3|10-15|Total No. of Credits|This field should be number and more than zero||",
                        Row(kCreditCountRow, 2),
                    }));
}

TEST(ValidatePaymentFile, CleanDirectDebitFile)
{
    PassFixture fx;
    const Rows rows = fx.Run(FileOf({ValidHeader(), ValidDirectDebitBatch(), ValidDirectDebitItem(),
                                     ValidDirectDebitItem(), ValidTrailer("000001", "000002", "0000000002000000")}));
    EXPECT_EQ(rows, Rows{});
    EXPECT_TRUE(fx.s.ctx.dataValid);
    EXPECT_EQ(fx.s.ctx.currentProduct, "DDR");
}
