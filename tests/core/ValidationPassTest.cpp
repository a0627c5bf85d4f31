#include "RecordBuilder.h"
#include "TestFiles.h"
#include "checking/AccountRowStore.h"
#include "format/Primitives.h"
#include "checking/RecordChecks.h"
#include "format/RecordTypes.h"
#include "checking/ValidationPass.h"
#include "common/AppError.h"

#include <gtest/gtest.h>

using namespace tallivo;
using namespace tallivo::test;

namespace {

using Rows = std::vector<std::string>;

// Record checks that do only what the pass relies on them for: the credit record
// writes the amount sum and its declarations, the WHT record adds its amount, and the
// WHT income type counts handed over are recorded. They report nothing, so every row
// of these tests is the pass's own.
std::vector<int> g_incomeTypeCounts;

void NoHeaderCheck(CheckSession&, std::string_view, int) {}
void NoDirectDebitCheck(CheckSession&, std::string_view, int) {}
void NoTrailerCheck(CheckSession&, std::string_view, int) {}
void NoProductCheck(CheckSession&, std::string_view, int, std::string_view) {}

void DebitStub(CheckSession& s, std::string_view line, int lineNo, std::string_view)
{
    s.ctx.DebitAmount = static_cast<double>(StrToFloat(Columns(line, 49, 64)));
    s.ctx.DebitLine = lineNo;
}

void CreditStub(CheckSession& s, std::string_view line, int lineNo, std::string_view)
{
    s.ctx.CreditAmountSum += static_cast<double>(StrToFloat(Columns(line, 35, 50)));
    if (IsNumber(Columns(line, 94, 109))) {
        s.ctx.TotalWhtAmount = static_cast<double>(StrToFloat(Columns(line, 94, 109)));
        s.ctx.CreditLine = lineNo;
    }
    if (IsNumber(Columns(line, 92, 93)))
        s.ctx.DeclaredWhtCountText = Columns(line, 92, 93);
    if (IsNumber(Columns(line, 110, 115)))
        s.ctx.DeclaredInvoiceCountText = Columns(line, 110, 115);
}

void WhtStub(CheckSession& s, std::string_view line, int, int incomeTypes, std::string_view)
{
    s.ctx.WhtAmountSum += static_cast<double>(StrToFloat(Columns(line, 20, 35)));
    g_incomeTypeCounts.push_back(incomeTypes);
}

const RecordCheckSet kStubs{NoHeaderCheck, DebitStub,          CreditStub,         NoProductCheck, WhtStub,
                            NoProductCheck, NoDirectDebitCheck, NoDirectDebitCheck, NoTrailerCheck};

std::string Debit(std::string_view amount, std::string_view credits)
{
    return Rec("002", 109).Set("4-6", "DCP").Set("49-64", amount).Set("73-78", credits);
}

std::string Credit(std::string_view amount, std::string_view whtCount = "00", std::string_view whtTotal = "0000000000000000",
                   std::string_view invoices = "000000")
{
    return Rec("003", 355).Set("35-50", amount).Set("92-93", whtCount).Set("94-109", whtTotal).Set("110-115", invoices);
}

std::string Wht(std::string_view amount, std::string_view incomeType = "1")
{
    return Rec("005", 138).Set("20-35", amount).Set("36-40", incomeType);
}

std::string Invoice()
{
    return Rec("006", 196);
}

std::string Trailer()
{
    return Rec("999", 31);
}

struct PassFixture : CheckFixture
{
    TempFolder dir;

    PassFixture() { g_incomeTypeCounts.clear(); }
    std::vector<std::string> Run(const std::string& bytes, const RecordCheckSet& checks = kStubs)
    {
        ValidatePaymentFile(s, dir.Write("pay.txt", bytes), checks);
        return Rows();
    }
};

const char* const kDebitAmountRow = "002|%d|49-64|Debit Amount|Debit amount does not match with credit detail||";

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
    const Rows rows = fx.Run(FileOf({Rec("001", 96), Debit("0000000003000000", "000002"), Credit("0000000001000000"),
                                     Credit("0000000002000000"), Debit("0000000005000000", "000001"),
                                     Credit("0000000004000000"), Trailer()}));
    EXPECT_EQ(rows, Rows{Row(kDebitAmountRow, 5)});
    EXPECT_FALSE(fx.s.ctx.DataValid);
    EXPECT_TRUE(fx.s.hasFindingsToSave);
    EXPECT_EQ(fx.s.ctx.DebitCount, 2);
    EXPECT_EQ(fx.s.ctx.CreditCount, 3);

    PassFixture first;
    EXPECT_EQ(first.Run(FileOf({Debit("0000000003000000", "000001"), Credit("0000000001000000"),
                                Debit("0000000005000000", "000001"), Credit("0000000005000000"), Trailer()})),
              Rows{Row(kDebitAmountRow, 1)});
}

TEST(ValidatePaymentFile, CleanFileGivesNoRowAndSetsDataValid)
{
    PassFixture fx;
    fx.s.ctx.DataValid = false;
    const Rows rows = fx.Run(FileOf({Rec("001", 96).Set("4-15", "  ACME  "), Debit("0000000003000000", "000002"),
                                     Credit("0000000001000000", "02", "0000000000050000", "000001"),
                                     Wht("0000000000020000", "1"), Wht("0000000000030000", "6"), Invoice(),
                                     Credit("0000000002000000"), Trailer()}));
    EXPECT_EQ(rows, Rows{});
    EXPECT_TRUE(fx.s.ctx.DataValid);
    EXPECT_EQ(fx.s.ctx.CompanyId, "ACME");
    EXPECT_EQ(fx.s.grid.ColCount(), 8u);
    EXPECT_EQ(fx.s.grid.Cell(7, 0), "Payee Name");
}

TEST(ValidatePaymentFile, WhtTotalAndWhtCountAndInvoiceCountFindingsNameTheCreditLine)
{
    PassFixture fx;
    const Rows rows = fx.Run(FileOf({Debit("0000000002000000", "000002"),
                                     Credit("0000000001000000", "02", "0000000000090000", "000003"),
                                     Wht("0000000000020000", "1"), Invoice(), Invoice(), Invoice(),
                                     Credit("0000000001000000", "00", "0000000000000000", "000002"), Invoice(),
                                     Trailer()}));
    EXPECT_EQ(rows, (Rows{
                        "003|2|92-93|No of WHT Detail|No. of Withoding Tax does not match with Total Withoding Tax||",
                        "003|2|94-109|Total WHT Amount|Total WHT Amount does not match with WHT detail||",
                        "003|7|110-115|No of Invoice Detail|No. of Invoice does not match with Total Invoice||",
                    }));
}

TEST(ValidatePaymentFile, WhtCountIsComparedOnlyAtTheFirstInvoice)
{
    PassFixture fx;
    // Declares 2 WHT records, has 1; no invoice record: never compared.
    EXPECT_EQ(fx.Run(FileOf({Debit("0000000001000000", "000001"),
                             Credit("0000000001000000", "02", "0000000000020000", "000000"),
                             Wht("0000000000020000"), Trailer()})),
              Rows{});
    // Invoice records before a WHT record of the same credit are not counted.
    PassFixture before;
    EXPECT_EQ(before.Run(FileOf({Debit("0000000001000000", "000001"),
                                 Credit("0000000001000000", "01", "0000000000020000", "000001"), Invoice(),
                                 Wht("0000000000020000"), Trailer()})),
              (Rows{"003|2|92-93|No of WHT Detail|No. of Withoding Tax does not match with Total Withoding Tax||",
                    "003|2|110-115|No of Invoice Detail|No. of Invoice does not match with Total Invoice||"}));
}

TEST(ValidatePaymentFile, WhtIncomeTypeLimits)
{
    const std::string tooMany = "Witholding Tax Number should not be more five";
    const std::string repeated = "should not be Repeat 1-5 or 4a,4b,4b1,4b1.1,4b1.2,4b1.3,4b1.4,4b2,4b3";
    const std::string typeSix = "Type 6 should not be more than three ";
    struct Case { std::vector<std::string_view> types; Rows rows; std::vector<int> counts; };
    const Case cases[] = {
        {{"1", "1", "1"}, {"4|" + repeated}, {1, 1, 1}},
        {{"4A", "4A"}, {}, {0, 0}},
        {{"6", "6", "6", "6", "6"}, {"6|" + typeSix, "7|" + typeSix}, {1, 1, 1, 2, 3}},
        {{"1", "2", "4b1.4"}, {}, {1, 2, 3}},
        {{"1", "2", "3", "4a", "5", "4b", "4b2"}, {"8|" + tooMany, "9|" + tooMany}, {1, 2, 3, 4, 5, 6, 7}},
    };
    for (const Case& c : cases) {
        std::string file = FileOf({Debit("0000000001000000", "000001"), Credit("0000000001000000", "00", "0000000000000000")});
        for (std::string_view t : c.types)
            file += Wht("0000000000000000", t) + "\r\n";
        PassFixture fx;
        Rows rows = fx.Run(file); // no trailer: nothing else is compared
        Rows expected;
        for (const std::string& r : c.rows) {
            const std::size_t bar = r.find('|');
            expected.push_back("005|" + r.substr(0, bar) + "|36-40|WHT Income Type|" + r.substr(bar + 1) + "||");
        }
        std::sort(rows.begin(), rows.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(rows, expected) << c.types.size();
        EXPECT_EQ(g_incomeTypeCounts, c.counts);
    }
}

TEST(ValidatePaymentFile, TooManyWhtRecordsRowComesBeforeTheIncomeTypeRow)
{
    PassFixture fx;
    std::string file = FileOf({Debit("0000000001000000", "000001"), Credit("0000000001000000")});
    for (int i = 0; i < 6; ++i)
        file += Wht("0000000000000000", "1") + "\r\n";
    const Rows rows = fx.Run(file);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], "005|4|36-40|WHT Income Type|should not be Repeat 1-5 or 4a,4b,4b1,4b1.1,4b1.2,4b1.3,4b1.4,4b2,4b3||");
    EXPECT_EQ(rows[1], "005|8|36-40|WHT Income Type|Witholding Tax Number should not be more five||");
}

TEST(ValidatePaymentFile, CreditCountFindingNamesTheLastDebitRecordAndRepeatsAfterTheTrailer)
{
    const std::string creditCount = "|73-78|No.of Credit|No. of Credit does not match with Total Credit Detail||";
    // The one debit record on line 2 declares 5 credits and has 4.
    PassFixture usual;
    std::string file = FileOf({Rec("001", 96), Debit("0000000004000000", "000005")});
    for (int i = 0; i < 4; ++i)
        file += Credit("0000000001000000") + "\r\n";
    EXPECT_EQ(usual.Run(file + Trailer() + "\r\n"), Rows{"002|2" + creditCount});
    PassFixture twice;
    EXPECT_EQ(twice.Run(file + Trailer() + "\r\n" + Rec("001", 96).Text() + "\r\n"), (Rows{"002|2" + creditCount, "002|2" + creditCount}));

    // The last debit record stands on line 5: the finding names line 5, not "2".
    PassFixture later;
    EXPECT_EQ(later.Run(FileOf({Rec("001", 96), Debit("0000000001000000", "000001"), Credit("0000000001000000"),
                                Rec("001", 96), Debit("0000000001000000", "000002"), Credit("0000000001000000"),
                                Trailer()})),
              Rows{"002|5" + creditCount});

    // Credit records without any debit record: the finding names the trailer's line.
    PassFixture noDebit;
    EXPECT_EQ(noDebit.Run(FileOf({Rec("001", 96), Credit("0000000000000000"), Trailer()})),
              Rows{"002|3" + creditCount});
}

TEST(ValidatePaymentFile, FileWithoutTrailerComparesNothingAtItsEnd)
{
    PassFixture fx;
    EXPECT_EQ(fx.Run(FileOf({Debit("0000000009000000", "000005"),
                             Credit("0000000001000000", "03", "0000000000090000", "000004"), Invoice()})),
              Rows{"003|2|92-93|No of WHT Detail|No. of Withoding Tax does not match with Total Withoding Tax||"});
}

TEST(ValidatePaymentFile, ResetRulesLetSomeValuesCarryIntoTheNextPass)
{
    PassFixture fx;
    fx.Run(FileOf({Rec("001", 96).Set("4-15", "FIRST"), Debit("0000000003000000", "000001"),
                   Credit("0000000002000000", "01", "0000000000000000", "000007")})); // no trailer
    EXPECT_EQ(fx.s.ctx.CreditAmountSum, 2000000);
    EXPECT_EQ(fx.s.ctx.CurrentProduct, "DCP");

    // The second pass starts with DebitAmount 0 but the first pass's credit sum and
    // debit line: its first debit record's comparison names line 2 of the first file.
    const Rows rows = fx.Run(FileOf({Rec("003", 355).Set("35-50", "0000000000000000"), Debit("0000000001000000", "000000")}));
    EXPECT_EQ(rows, Rows{Row(kDebitAmountRow, 2)});
    EXPECT_EQ(fx.s.ctx.DeclaredWhtCountText, "01"); // a blank count field keeps the earlier text
    EXPECT_EQ(fx.s.ctx.DeclaredInvoiceCountText, "000007");
    EXPECT_EQ(fx.s.ctx.CompanyId, "FIRST");
    EXPECT_EQ(fx.s.ctx.DebitCount, 1);
    EXPECT_EQ(fx.s.ctx.CreditCount, 1);
}

namespace {

class RecordingRowStore : public AccountRowStore
{
public:
    void StartRow(std::string_view) override {}
    void SetNames(std::string_view, std::string_view) override {}
    std::string Account() override { return {}; }
    std::string NameEn() override { return {}; }
    void Flush() override { ++flushes; }
    int flushes = 0;
};

} // namespace

TEST(ValidatePaymentFile, UnguardedIntegerConversionsEndThePassKeepingTheRows)
{
    struct Case { std::string file; const char* message; std::size_t rowsBefore; };
    const Case cases[] = {
        // The second debit record closes the first again (its credit sum was reset by the trailer).
        {FileOf({Debit("0000000001000000", "000000"), Trailer(), Debit("0000000001000000", "")}),
         "'      ' is not a valid integer value", 2},
        {FileOf({Debit("0000000001000000", "000000"), Trailer(), Credit("0000000000000000", "AB")}),
         "'' is not a valid integer value", 1},
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
        EXPECT_EQ(fx.Rows(), Rows(c.rowsBefore, Row(kDebitAmountRow, 1))) << "the rows written before stay";
        EXPECT_EQ(store.flushes, 1);
    }
}

TEST(ValidatePaymentFile, FlushesTheAccountRowAtTheEnd)
{
    PassFixture fx;
    RecordingRowStore store;
    fx.s.accountRow = &store;
    fx.Run(FileOf({Rec("001", 96)}));
    EXPECT_EQ(store.flushes, 1);
}

TEST(ValidatePaymentFile, UnknownAndShortLinesAreCountedButNotChecked)
{
    PassFixture fx;
    // Line 3 is "00" and line 4 empty; the header on line 5 is checked with the real check.
    RecordCheckSet checks = kStubs;
    checks.header = CheckHeaderRecord;
    const Rows rows = fx.Run(FileOf({Rec("XYZ", 10), Rec("00", 2), "", "", Rec("001", 96)}), checks);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0].substr(0, 6), "001|5|");
}

TEST(ValidatePaymentFile, RealChecksInTheirOrderWithTheCrossRecordRows)
{
    PassFixture fx;
    const Rows rows = fx.Run(FileOf({ValidHeader().Set("62-64", "XXX"), ValidDebit("DCP").Set("46-48", "USD"),
                                     ValidTrailer("000001", "000000", "0000000001000000")}),
                             StandardRecordChecks());
    const std::string account = std::string(kGoodAccount) + std::string(15, ' ');
    EXPECT_EQ(rows, (Rows{
                        "001|1|62-64|Channel Id|This field should  be VYN||",
                        "002|2|46-48|Debit Currency|Currency should be THB|" + account + "|",
                        "002|2|46-48|Debit Currency|Currency should be THB||",
                        Row(kDebitAmountRow, 2),
                        "999|3|10-15|Total No. of Credits|This field should be number and more than zero||",
                        "002|2|73-78|No.of Credit|No. of Credit does not match with Total Credit Detail||",
                    }));
}

TEST(ValidatePaymentFile, CleanDirectDebitFileWithTheRealChecks)
{
    PassFixture fx;
    const Rows rows = fx.Run(FileOf({ValidHeader(), ValidDirectDebitBatch(), ValidDirectDebitItem(), ValidDirectDebitItem(),
                                     ValidTrailer("000001", "000002", "0000000002000000")}),
                             StandardRecordChecks());
    EXPECT_EQ(rows, Rows{});
    EXPECT_TRUE(fx.s.ctx.DataValid);
    EXPECT_EQ(fx.s.ctx.CurrentProduct, "DDR");
}
