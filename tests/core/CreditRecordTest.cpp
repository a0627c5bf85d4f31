// The credit record: every rule family on a valid default record, the row cells per
// product, the two kinds of failure, the context values and the addAccBatchError row.
#include "PaymentRecordFixture.h"
#include "checking/RecordChecks.h"
#include "common/AppError.h"

#include <gtest/gtest.h>

namespace tallivo {
namespace {

using test::Rec;
using test::ValidCredit;
using test::WithWht;
using Rows = std::vector<std::string>;

struct CreditFixture : test::CheckFixture
{
    test::MemoryAccountRow row;
    CreditFixture() { s.accountRow = &row; }

    std::vector<std::string> Check(const Rec& r, std::string_view product, int lineNo = 1)
    {
        CheckCreditRecord(s, r.Text(), lineNo, product);
        return test::Findings(s);
    }
};

struct Field
{
    const char* columns;
    const char* text;
};

struct Case
{
    const char* name;
    const char* product;
    std::vector<Field> fields;
    bool withWht;
    Rows expected;
};

Rec Build(const Case& c)
{
    Rec r = c.withWht ? WithWht(ValidCredit(c.product)) : ValidCredit(c.product);
    for (const Field& f : c.fields)
        r.Set(f.columns, f.text);
    return r;
}

TEST(CreditRecord, ValidDefaultsPassForEveryProduct)
{
    for (const char* product : {"DCP", "PAY", "PA2", "PA3", "PA4", "PA5", "PA6", "MCL", "BNT", "DDR", "MCP", "DDP",
                                "CCP", "XMQ", "XDQ", "ZZZ", ""}) {
        CreditFixture fx;
        EXPECT_EQ(fx.Check(ValidCredit(product), product), Rows{}) << product;
        EXPECT_EQ(fx.Check(WithWht(ValidCredit(product)), product), Rows{}) << product << " with WHT";
        EXPECT_TRUE(fx.s.ctx.DataValid) << product;
    }
}

TEST(CreditRecord, FieldRules)
{
    const Case cases[] = {
        {"C1 five digits", "DCP", {{"4-9", "12345"}}, false,
         {"4-9|Credit Sequence Number|This field should be number 6 digits"}},
        {"C1 letter", "DCP", {{"4-9", "00000A"}}, false,
         {"4-9|Credit Sequence Number|This field should be number 6 digits"}},
        {"C2 blank", "DCP", {{"35-50", ""}}, false, {"35-50|Credit Amount|Amount should have 16 digits"}},
        {"C2 not a number", "DCP", {{"35-50", "000000000100000A"}}, false,
         {"35-50|Credit Amount|Amount should be number"}},
        {"C2 zero", "DCP", {{"35-50", "0000000000000000"}}, false,
         {"35-50|Credit Amount|Amount should be more than zero,Acc_No"}},
        {"C2 negative", "DCP", {{"35-50", "-000000001000000"}}, false,
         {"35-50|Credit Amount|Amount should be more than zero,Acc_No"}},
        {"C3 last digit", "DCP", {{"35-50", "0000000001000005"}}, false,
         {"35-50|Credit Amount|Amount should have two digits after decimal"}},
        {"C4", "DCP", {{"51-53", "USD"}}, false, {"51-53|Credit Currency|Currency should be THB"}},
        {"C5", "DCP", {{"54-61", ""}}, false, {"54-61|Internal Reference|This field should not be space"}},
        {"C6", "DCP", {{"62", "X"}}, false, {"62-62|WHT Present|This field should be Y or N"}},
        {"C7 with C19 still applying", "DCP", {{"63", "X"}, {"116-131", "0000000000100005"}}, false,
         {"63-63|Invoice Details Present|This field should be Y or N",
          "116-131|Total Invoice Amount|Amount should have two digits after decimal"}},
        {"C7 skips C16-C18", "DCP", {{"63", "X"}, {"116-131", ""}}, false,
         {"63-63|Invoice Details Present|This field should be Y or N"}},
        {"C8", "DCP", {{"64", "y"}}, false, {"64-64|Credit Advice Required|This field should be Y or N"}},
        {"C9", "DCP", {{"94-109", "000000000001000A"}}, true, {"94-109|Total WHT Amount|This field should be number"}},
        {"C10 whatever WHT Present holds", "DCP", {{"94-109", ""}}, false,
         {"94-109|Total WHT Amount|This field should have 16 digits"}},
        {"C11", "DCP", {{"94-109", "0000000000010005"}}, false,
         {"94-109|Total WHT Amount|Amount should have two digits after decimal"}},
        {"C12-C14", "DCP", {{"70-71", "04"}, {"86-91", "12345"}, {"92-93", "1"}}, true,
         {"70-71|WHT Form Type|This field should be 01,02,03 or 53",
          "86-91|WHT Attach No.|This field should be number 6 digits",
          "92-93|No. of WHT Details|This field should be number 2 digits"}},
        {"C12-C14 skipped for a zero WHT total, C20-C22 apply", "DCP",
         {{"62", "Y"}, {"70-71", "99"}, {"86-91", "X"}}, false,
         {"132-132|WHT Pay Type|If the record have WHT this field should be 1,2,3 or 4",
          "173-180|WHT Deduct Date|Invalid WHT Deduct Date",
          "258-258|WHT Signatory|If the record have WHT this field should be B or C"}},
        {"C15", "DCP", {{"63", "Y"}, {"110-115", "12345"}, {"116-131", "0000000000100000"}}, false,
         {"110-115|No. of Invoice Details|This field should be number 6 digits"}},
        {"C16", "DCP", {{"63", "Y"}, {"110-115", "000001"}, {"116-131", "00000000001000A0"}}, false,
         {"116-131|Total Invoice Amount|This field should be number"}},
        {"C17", "DCP", {{"116-131", "000000000010000"}}, false,
         {"116-131|Total Invoice Amount|This field should have 16 digits"}},
        {"C18 only with Y", "DCP", {{"63", "Y"}, {"110-115", "000001"}}, false,
         {"116-131|Total Invoice Amount|This field should not equal 0"}},
        {"C19", "DCP", {{"116-131", "0000000000100005"}}, false,
         {"116-131|Total Invoice Amount|Amount should have two digits after decimal"}},
        {"C20", "DCP", {{"132", "5"}}, true,
         {"132-132|WHT Pay Type|If the record have WHT this field should be 1,2,3 or 4"}},
        {"C21 30 February", "DCP", {{"173-180", "20240230"}}, true,
         {"173-180|WHT Deduct Date|Invalid WHT Deduct Date"}},
        {"C22", "DCP", {{"258", "X"}}, true,
         {"258-258|WHT Signatory|If the record have WHT this field should be B or C"}},
        {"C23 without WHT", "DCP", {{"132", "4"}}, false,
         {"133-172|WHT Remark|It WHT Pay Type is 4 this field should not be space"}},
        {"C24", "DCP", {{"259", "X"}}, false,
         {"259-259|Beneficiary Notification|If this field have value it should be N,F,S or E"}},
        {"C2 limit: exactly 2,000,000.000 to another bank", "MCL", {{"35-50", "0000002000000000"}}, false, {}},
        {"C2 limit: 2,000,000.010", "MCL", {{"35-50", "0000002000000010"}}, false,
         {"35-50|Credit Amount|Amount have not over 2,000,000 "}},
        {"C2 limit: not to bank 014", "MCL", {{"35-50", "0000002000000010"}, {"181-183", "014"}}, false, {}},
        {"C2 limit: MCL only", "PA4", {{"35-50", "0000002000000010"}}, false, {}},
    };
    for (const Case& c : cases) {
        CreditFixture fx;
        EXPECT_EQ(fx.Check(Build(c), c.product), c.expected) << c.name;
        EXPECT_EQ(fx.s.ctx.DataValid, c.expected.empty()) << c.name;
    }
}

TEST(CreditRecord, DeliveryRules)
{
    const Case cases[] = {
        {"flags N: mode not examined", "PAY", {{"65", "X"}}, false, {}},
        {"D1 cheque product, mode S", "MCP", {{"65", "S"}}, true,
         {"65-65|Delivery Mode|If WHT Present is Y and product code is MCP This field should be M,C or P"}},
        {"D2 allows S", "DCP", {{"65", "S"}}, true, {}},
        {"D2 one row per flag, in order", "PAY",
         {{"63-64", "YY"}, {"65", "X"}, {"110-115", "000001"}, {"116-131", "0000000000100000"}}, true,
         {"65-65|Delivery Mode|If WHT Present is Y and product code is PAY This field should be M,C,P or S",
          "65-65|Delivery Mode|If Invoice Details Present is Y and product code is PAY This field should be M,C,P or S",
          "65-65|Delivery Mode|If Credit Advice Required is Y and product code is PAY This field should be M,C,P or S"}},
        {"DDR has no delivery mode rule", "DDR", {{"64", "Y"}, {"65", "X"}}, false, {}},
        {"D3 every product, flags N", "DDR", {{"65", "C"}, {"66-69", "C013"}}, false,
         {"66-69|Pickup Location|Invalid Pickup Location"}},
        {"D3 listed location", "DDR", {{"65", "C"}, {"66-69", "0355"}}, false, {}},
        {"D3 case-sensitive", "DCP", {{"65", "C"}, {"66-69", "c001"}}, false,
         {"66-69|Pickup Location|Invalid Pickup Location"}},
        {"mode M ignores the location", "DCP", {{"66-69", "XXXX"}}, false, {}},
    };
    for (const Case& c : cases) {
        CreditFixture fx;
        EXPECT_EQ(fx.Check(Build(c), c.product), c.expected) << c.name;
    }
}

TEST(CreditRecord, ProductRules)
{
    const Case cases[] = {
        {"P1a-P1d", "MCL", {{"181-183", "02"}, {"184-218", ""}, {"219-222", "001"}, {"284-285", "08"}}, false,
         {"181-183|Receiving Bank Code|If product code is MCL,PA4,PA5,PA6 this field should be number and length "
          "equal 3 digits",
          "184-218|Receiving Bank Name|If product code is MCL,PA4,PA5,PA6 this field should not be space",
          "219-222|Receiving Branch Code|If product code is MCL,PA4,PA5,PA6 this field should be number  and length "
          "equal 4 digits",
          "284-285|ServicesType|If product code is MCL,PA4,PA5,PA6 this field should be 01-07 or 59"}},
        {"P1d MCL only", "PA5", {{"284-285", "08"}}, false, {}},
        {"P1d 59", "MCL", {{"284-285", "59"}}, false, {}},
        {"P2a-P2d", "BNT", {{"181-183", "AB"}, {"184-218", ""}, {"219-222", "X"}, {"281-283", "csh"}}, false,
         {"181-183|Receiving Bank Code|If product code is BNT this field should be number",
          "184-218|Receiving Bank Name|If product code is BNT this field should not be space",
          "219-222|Receiving Branch Code|If product code is BNT this field should be number",
          "281-283|Payment Type Code|If product code is BNT this field should be in code"}},
        {"P2e 23", "BNT", {{"284-285", "23"}}, false, {}},
        {"P2e 24", "BNT", {{"284-285", "24"}}, false,
         {"284-285|ServicesType|If product code is BNT this field should be 00-23"}},
        {"P2e -1", "BNT", {{"284-285", "-1"}}, false,
         {"284-285|ServicesType|If product code is BNT this field should be 00-23"}},
        {"P2e blank", "BNT", {{"284-285", ""}}, false,
         {"284-285|ServicesType|If product code is BNT this field should be 00-23"}},
        {"P3a-P3c-P3d-P3e", "XMQ", {{"219-222", "A"}, {"260-279", ""}, {"280", ""}, {"181-183", "002"}}, false,
         {"219-222|Receiving Branch Code|If product code is XMQ this field should be number",
          "260-279|Cheque Reference Number|If product code is XMQ this field should not be space",
          "280-280|Cheque Reference Document Type|If product code is XMQ this field should not be space",
          "280-280|Cheque Reference Document Type|If product code is XMQ this field should be 1-9 and A-H",
          "181-183|Receiving Bank Code|If product code is MCP,DDP,CCP,XMQ,XDQ this field should be 014"}},
        {"P3d K passes", "CCP", {{"280", "K"}}, false, {}},
        {"P3d R", "CCP", {{"280", "R"}}, false,
         {"280-280|Cheque Reference Document Type|If product code is CCP this field should be 1-9 and A-H"}},
        {"P3d a", "CCP", {{"280", "a"}}, false,
         {"280-280|Cheque Reference Document Type|If product code is CCP this field should be 1-9 and A-H"}},
        {"cheque account not examined", "XDQ", {{"10-34", "NOT AN ACCOUNT"}}, false, {}},
        {"P4b and P7 for another bank", "DCP", {{"181-183", "002"}}, false,
         {"181-183|Receiving Bank Code|If product code is DCP,PAY,PA2,PA3 this field should be 014",
          "181-183|Receiving Bank code|This field should  be 014"}},
        {"P4a and P4c for an empty account", "PAY", {{"10-34", ""}}, false,
         {"10-34|Credit Account No|Invalid Orvane Account",
          "10-34|Credit Account No|If product code is PAY this field should be number"}},
        {"P5a bank 014", "MCL", {{"181-183", "014"}, {"10-34", "1111111115"}}, false,
         {"10-34|Credit Account No|Invalid Orvane Account"}},
        {"P5a DDR bank 014", "DDR", {{"181-183", "014"}, {"10-34", "1111111115"}}, false,
         {"10-34|Credit Account No|Invalid Orvane Account"}},
        {"P5b only to another bank", "BNT", {{"10-34", "ABC"}}, false,
         {"10-34|Credit Account No|If product code is BNT this field should be number"}},
        {"P5b number passes to another bank", "BNT", {{"10-34", "123"}}, false, {}},
        {"P6 and P5a", "PA6", {{"181-183", "014"}, {"10-34", "1111111115"}}, false,
         {"10-34|Credit Account No|Invalid Orvane Account", "181-183|Receiving Bank code|This field should not be 014"}},
    };
    for (const Case& c : cases) {
        CreditFixture fx;
        EXPECT_EQ(fx.Check(Build(c), c.product), c.expected) << c.name;
    }
}

TEST(CreditRecord, AccountFailuresCountAndClearDataValidWithoutFlagging)
{
    CreditFixture fx;
    fx.Check(ValidCredit("DCP").Set("181-183", "002").Set("10-34", "1111111115"), "DCP");
    // P4a and P4b are account failures, P7 a data failure.
    EXPECT_EQ(fx.s.ctx.InvalidAccountCount, 2);
    EXPECT_FALSE(fx.s.ctx.DataValid);
    EXPECT_EQ(fx.s.grid.RowCount(), 5u);

    CreditFixture only;
    only.Check(ValidCredit("MCL").Set("181-183", "014").Set("10-34", "1111111115"), "MCL");
    EXPECT_EQ(only.s.ctx.InvalidAccountCount, 1);
    EXPECT_FALSE(only.s.ctx.DataValid);
    EXPECT_FALSE(only.s.hasFindingsToSave); // FlagInvalidData not called
    EXPECT_EQ(only.s.statusText, "");
}

TEST(CreditRecord, RowCellsPerProduct)
{
    const std::pair<const char*, const char*> cases[] = {
        {"MCP", "|"}, {"DDP", "|"}, {"CCP", "|"}, {"XMQ", "1111111114|"}, {"PAY", "1111111114|"}, {"ZZZ", "1111111114|"},
    };
    for (const auto& [product, cells] : cases) {
        CreditFixture fx;
        fx.Check(ValidCredit(product).Set("10-34", "  1111111114").Set("51-53", "USD"), product, 7);
        EXPECT_EQ(test::RowNames(fx.s), Rows{cells}) << product;
        EXPECT_EQ(test::ErrorRows(fx.s.grid).at(0).substr(0, 6), "003|7|") << product;
    }
}

TEST(CreditRecord, ContextValues)
{
    CreditFixture fx;
    CheckContext& c = fx.s.ctx;
    c.CreditAmountSum = 5;
    fx.Check(ValidCredit().Set("35-50", "-000000001000000"), "DCP");
    EXPECT_EQ(c.CreditAmountSum, 5 - 1000000.0); // a negative amount is still added
    fx.Check(ValidCredit().Set("35-50", "0000000001000005"), "DCP");
    EXPECT_EQ(c.CreditAmountSum, 5 + 5.0); // whatever the last digit
    fx.Check(ValidCredit().Set("35-50", "00000000010000X0"), "DCP");
    EXPECT_EQ(c.CreditAmountSum, 10.0); // not a number: nothing added

    fx.Check(WithWht(ValidCredit()).Set("92-93", "03").Set("110-115", "000002").Set("259", "F"), "DCP", 4);
    EXPECT_TRUE(c.WhtPresent);
    EXPECT_TRUE(c.BeneNotifyByFax);
    EXPECT_EQ(c.TotalWhtAmount, 10000.0);
    EXPECT_EQ(c.CreditLine, 4);
    EXPECT_EQ(c.DeclaredWhtCountText, "03");
    EXPECT_EQ(c.DeclaredInvoiceCountText, "000002");

    // Fields that do not qualify leave the earlier credit's values.
    fx.Check(ValidCredit().Set("94-109", "0000000000020005").Set("92-93", "X").Set("110-115", "ABC"), "DCP", 9);
    EXPECT_FALSE(c.WhtPresent);
    EXPECT_FALSE(c.BeneNotifyByFax);
    EXPECT_EQ(c.TotalWhtAmount, 10000.0);
    EXPECT_EQ(c.CreditLine, 4);
    EXPECT_EQ(c.DeclaredWhtCountText, "03");
    EXPECT_EQ(c.DeclaredInvoiceCountText, "000002");

    // Counts are kept whatever the flags hold.
    fx.Check(ValidCredit().Set("92-93", "07").Set("110-115", "000009"), "DCP", 10);
    EXPECT_EQ(c.DeclaredWhtCountText, "07");
    EXPECT_EQ(c.DeclaredInvoiceCountText, "000009");
    EXPECT_EQ(c.TotalWhtAmount, 0.0);
    EXPECT_EQ(c.CreditLine, 10);
}

TEST(CreditRecord, StartsTheAccountRowWhateverTheRecordHolds)
{
    CreditFixture fx;
    fx.row.account = "OLD";
    fx.row.nameEn = "OLD NAME";
    fx.Check(Rec("003", 355).Set("10-34", "  12345 "), "DCP");
    EXPECT_EQ(fx.row.account, "12345");
    EXPECT_EQ(fx.row.nameEn, "");
}

TEST(CreditRecord, UnguardedConversionsEndThePass)
{
    const std::pair<const char*, Rec> cases[] = {
        {"BNT", ValidCredit("BNT").Set("284-285", "1.")},
        {"MCL", ValidCredit("MCL").Set("35-50", "00000000001E0000")}, // "00000000001E0.000"
        {"PAY", ValidCredit("PAY").Set("10-34", "-111111111")},
    };
    for (const auto& [product, record] : cases) {
        CreditFixture fx;
        try {
            fx.Check(record, product);
            ADD_FAILURE() << product << ": no conversion error";
        } catch (const AppError& e) {
            EXPECT_EQ(e.kind(), AppError::Kind::Conversion) << product;
        }
    }
}

} // namespace
} // namespace tallivo
