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

// One field of the default record set to a text.
struct Setting
{
    const Field& field;
    const char* text;
};

struct Case
{
    const char* name;
    const char* product;
    std::vector<Setting> fields;
    bool withWht;
    Rows expected;
};

Rec Build(const Case& c)
{
    Rec r = c.withWht ? WithWht(ValidCredit(c.product)) : ValidCredit(c.product);
    for (const Setting& f : c.fields)
        r.Set(f.field, f.text);
    return r;
}

TEST(CreditRecord, ValidDefaultsPassForEveryProduct)
{
    for (const char* product : {"DCP", "PAY", "PA2", "PA3", "PA4", "PA5", "PA6", "MCL", "BNT", "DDR", "MCP", "DDP",
                                "CCP", "XMQ", "XDQ", "ZZZ", ""}) {
        CreditFixture fx;
        EXPECT_EQ(fx.Check(ValidCredit(product), product), Rows{}) << product;
        EXPECT_EQ(fx.Check(WithWht(ValidCredit(product)), product), Rows{}) << product << " with WHT";
        EXPECT_TRUE(fx.s.ctx.dataValid) << product;
    }
}

TEST(CreditRecord, FieldRules)
{
    const Case cases[] = {
        {"sequence number of five digits", "DCP", {{Credit::SequenceNumber, "12345"}}, false,
         {"4-9|Credit Sequence Number|This field should be number 6 digits"}},
        {"sequence number with a letter", "DCP", {{Credit::SequenceNumber, "00000A"}}, false,
         {"4-9|Credit Sequence Number|This field should be number 6 digits"}},
        {"blank amount", "DCP", {{Credit::Amount, ""}}, false, {"35-50|Credit Amount|Amount should have 16 digits"}},
        {"amount not a number", "DCP", {{Credit::Amount, "000000000100000A"}}, false,
         {"35-50|Credit Amount|Amount should be number"}},
        {"amount zero", "DCP", {{Credit::Amount, "0000000000000000"}}, false,
         {"35-50|Credit Amount|Amount should be more than zero,Acc_No"}},
        {"amount negative", "DCP", {{Credit::Amount, "-000000001000000"}}, false,
         {"35-50|Credit Amount|Amount should be more than zero,Acc_No"}},
        {"amount last digit", "DCP", {{Credit::Amount, "0000000001000005"}}, false,
         {"35-50|Credit Amount|Amount should have two digits after decimal"}},
        {"currency", "DCP", {{Credit::Currency, "USD"}}, false, {"51-53|Credit Currency|Currency should be THB"}},
        {"blank reference", "DCP", {{Credit::InternalReference, ""}}, false,
         {"54-61|Internal Reference|This field should not be space"}},
        {"WHT Present neither Y nor N", "DCP", {{Credit::WhtPresent, "X"}}, false,
         {"62-62|WHT Present|This field should be Y or N"}},
        {"Invoice Details Present neither Y nor N, the last-digit rule of the invoice total still applying", "DCP",
         {{Credit::InvoicePresent, "X"}, {Credit::TotalInvoiceAmount, "0000000000100005"}}, false,
         {"63-63|Invoice Details Present|This field should be Y or N",
          "116-131|Total Invoice Amount|Amount should have two digits after decimal"}},
        {"Invoice Details Present neither Y nor N skips the other invoice total rules", "DCP",
         {{Credit::InvoicePresent, "X"}, {Credit::TotalInvoiceAmount, ""}}, false,
         {"63-63|Invoice Details Present|This field should be Y or N"}},
        {"Credit Advice Required lower case", "DCP", {{Credit::AdviceRequired, "y"}}, false,
         {"64-64|Credit Advice Required|This field should be Y or N"}},
        {"WHT total not a number with WHT", "DCP", {{Credit::TotalWhtAmount, "000000000001000A"}}, true,
         {"94-109|Total WHT Amount|This field should be number"}},
        {"WHT total length whatever WHT Present holds", "DCP", {{Credit::TotalWhtAmount, ""}}, false,
         {"94-109|Total WHT Amount|This field should have 16 digits"}},
        {"WHT total last digit", "DCP", {{Credit::TotalWhtAmount, "0000000000010005"}}, false,
         {"94-109|Total WHT Amount|Amount should have two digits after decimal"}},
        {"WHT form, attachment and count", "DCP",
         {{Credit::WhtFormType, "04"}, {Credit::WhtAttachNo, "12345"}, {Credit::WhtCount, "1"}}, true,
         {"70-71|WHT Form Type|This field should be 01,02,03 or 53",
          "86-91|WHT Attach No.|This field should be number 6 digits",
          "92-93|No. of WHT Details|This field should be number 2 digits"}},
        {"WHT form, attachment and count skipped for a zero WHT total, the certificate rules apply", "DCP",
         {{Credit::WhtPresent, "Y"}, {Credit::WhtFormType, "99"}, {Credit::WhtAttachNo, "X"}}, false,
         {"132-132|WHT Pay Type|If the record have WHT this field should be 1,2,3 or 4",
          "173-180|WHT Deduct Date|Invalid WHT Deduct Date",
          "258-258|WHT Signatory|If the record have WHT this field should be B or C"}},
        {"invoice count", "DCP",
         {{Credit::InvoicePresent, "Y"}, {Credit::InvoiceCount, "12345"},
          {Credit::TotalInvoiceAmount, "0000000000100000"}}, false,
         {"110-115|No. of Invoice Details|This field should be number 6 digits"}},
        {"invoice total not a number", "DCP",
         {{Credit::InvoicePresent, "Y"}, {Credit::InvoiceCount, "000001"},
          {Credit::TotalInvoiceAmount, "00000000001000A0"}}, false,
         {"116-131|Total Invoice Amount|This field should be number"}},
        {"invoice total length", "DCP", {{Credit::TotalInvoiceAmount, "000000000010000"}}, false,
         {"116-131|Total Invoice Amount|This field should have 16 digits"}},
        {"invoice total zero only with Y", "DCP", {{Credit::InvoicePresent, "Y"}, {Credit::InvoiceCount, "000001"}},
         false,
         {"116-131|Total Invoice Amount|This field should not equal 0"}},
        {"invoice total last digit", "DCP", {{Credit::TotalInvoiceAmount, "0000000000100005"}}, false,
         {"116-131|Total Invoice Amount|Amount should have two digits after decimal"}},
        {"WHT pay type", "DCP", {{Credit::WhtPayType, "5"}}, true,
         {"132-132|WHT Pay Type|If the record have WHT this field should be 1,2,3 or 4"}},
        {"WHT deduct date 30 February", "DCP", {{Credit::WhtDeductDate, "20240230"}}, true,
         {"173-180|WHT Deduct Date|Invalid WHT Deduct Date"}},
        {"WHT signatory", "DCP", {{Credit::WhtSignatory, "X"}}, true,
         {"258-258|WHT Signatory|If the record have WHT this field should be B or C"}},
        {"WHT remark for pay type 4, even without WHT", "DCP", {{Credit::WhtPayType, "4"}}, false,
         {"133-172|WHT Remark|It WHT Pay Type is 4 this field should not be space"}},
        {"beneficiary notification", "DCP", {{Credit::BeneficiaryNotification, "X"}}, false,
         {"259-259|Beneficiary Notification|If this field have value it should be N,F,S or E"}},
        {"media clearing limit: exactly 2,000,000.000 to another bank", "MCL", {{Credit::Amount, "0000002000000000"}},
         false, {}},
        {"media clearing limit: 2,000,000.010", "MCL", {{Credit::Amount, "0000002000000010"}}, false,
         {"35-50|Credit Amount|Amount have not over 2,000,000 "}},
        {"media clearing limit: not to bank 014", "MCL",
         {{Credit::Amount, "0000002000000010"}, {Credit::ReceivingBankCode, "014"}}, false, {}},
        {"media clearing limit: MCL only", "PA4", {{Credit::Amount, "0000002000000010"}}, false, {}},
    };
    for (const Case& c : cases) {
        CreditFixture fx;
        EXPECT_EQ(fx.Check(Build(c), c.product), c.expected) << c.name;
        EXPECT_EQ(fx.s.ctx.dataValid, c.expected.empty()) << c.name;
    }
}

TEST(CreditRecord, DeliveryRules)
{
    const Case cases[] = {
        {"flags N: mode not examined", "PAY", {{Credit::DeliveryMode, "X"}}, false, {}},
        {"cheque product, mode S", "MCP", {{Credit::DeliveryMode, "S"}}, true,
         {"65-65|Delivery Mode|If WHT Present is Y and product code is MCP This field should be M,C or P"}},
        {"transfer product allows S", "DCP", {{Credit::DeliveryMode, "S"}}, true, {}},
        {"transfer product: one row per flag, in order", "PAY",
         {{Credit::InvoicePresent, "Y"}, {Credit::AdviceRequired, "Y"}, {Credit::DeliveryMode, "X"},
          {Credit::InvoiceCount, "000001"}, {Credit::TotalInvoiceAmount, "0000000000100000"}}, true,
         {"65-65|Delivery Mode|If WHT Present is Y and product code is PAY This field should be M,C,P or S",
          "65-65|Delivery Mode|If Invoice Details Present is Y and product code is PAY This field should be M,C,P or S",
          "65-65|Delivery Mode|If Credit Advice Required is Y and product code is PAY This field should be M,C,P or S"}},
        {"DDR has no delivery mode rule", "DDR", {{Credit::AdviceRequired, "Y"}, {Credit::DeliveryMode, "X"}}, false,
         {}},
        {"pickup location for every product, flags N", "DDR",
         {{Credit::DeliveryMode, "C"}, {Credit::PickupLocation, "C013"}}, false,
         {"66-69|Pickup Location|Invalid Pickup Location"}},
        {"listed pickup location", "DDR", {{Credit::DeliveryMode, "C"}, {Credit::PickupLocation, "0355"}}, false, {}},
        {"pickup location case-sensitive", "DCP", {{Credit::DeliveryMode, "C"}, {Credit::PickupLocation, "c001"}},
         false,
         {"66-69|Pickup Location|Invalid Pickup Location"}},
        {"mode M ignores the location", "DCP", {{Credit::PickupLocation, "XXXX"}}, false, {}},
    };
    for (const Case& c : cases) {
        CreditFixture fx;
        EXPECT_EQ(fx.Check(Build(c), c.product), c.expected) << c.name;
    }
}

TEST(CreditRecord, ProductRules)
{
    const Case cases[] = {
        {"media clearing bank, branch and services type", "MCL",
         {{Credit::ReceivingBankCode, "02"}, {Credit::ReceivingBankName, ""}, {Credit::ReceivingBranchCode, "001"},
          {Credit::ServicesType, "08"}}, false,
         {"181-183|Receiving Bank Code|If product code is MCL,PA4,PA5,PA6 this field should be number and length "
          "equal 3 digits",
          "184-218|Receiving Bank Name|If product code is MCL,PA4,PA5,PA6 this field should not be space",
          "219-222|Receiving Branch Code|If product code is MCL,PA4,PA5,PA6 this field should be number  and length "
          "equal 4 digits",
          "284-285|ServicesType|If product code is MCL,PA4,PA5,PA6 this field should be 01-07 or 59"}},
        {"services type for MCL only", "PA5", {{Credit::ServicesType, "08"}}, false, {}},
        {"services type 59", "MCL", {{Credit::ServicesType, "59"}}, false, {}},
        {"BahtNet bank, branch and payment type", "BNT",
         {{Credit::ReceivingBankCode, "AB"}, {Credit::ReceivingBankName, ""}, {Credit::ReceivingBranchCode, "X"},
          {Credit::PaymentTypeCode, "csh"}}, false,
         {"181-183|Receiving Bank Code|If product code is BNT this field should be number",
          "184-218|Receiving Bank Name|If product code is BNT this field should not be space",
          "219-222|Receiving Branch Code|If product code is BNT this field should be number",
          "281-283|Payment Type Code|If product code is BNT this field should be in code"}},
        {"BahtNet services type 23", "BNT", {{Credit::ServicesType, "23"}}, false, {}},
        {"BahtNet services type 24", "BNT", {{Credit::ServicesType, "24"}}, false,
         {"284-285|ServicesType|If product code is BNT this field should be 00-23"}},
        {"BahtNet services type -1", "BNT", {{Credit::ServicesType, "-1"}}, false,
         {"284-285|ServicesType|If product code is BNT this field should be 00-23"}},
        {"BahtNet services type blank", "BNT", {{Credit::ServicesType, ""}}, false,
         {"284-285|ServicesType|If product code is BNT this field should be 00-23"}},
        {"cheque branch, reference, document type and bank", "XMQ",
         {{Credit::ReceivingBranchCode, "A"}, {Credit::ChequeReference, ""}, {Credit::ChequeDocumentType, ""},
          {Credit::ReceivingBankCode, "002"}}, false,
         {"219-222|Receiving Branch Code|If product code is XMQ this field should be number",
          "260-279|Cheque Reference Number|If product code is XMQ this field should not be space",
          "280-280|Cheque Reference Document Type|If product code is XMQ this field should not be space",
          "280-280|Cheque Reference Document Type|If product code is XMQ this field should be 1-9 and A-H",
          "181-183|Receiving Bank Code|If product code is MCP,DDP,CCP,XMQ,XDQ this field should be 014"}},
        {"cheque document type K passes", "CCP", {{Credit::ChequeDocumentType, "K"}}, false, {}},
        {"cheque document type R", "CCP", {{Credit::ChequeDocumentType, "R"}}, false,
         {"280-280|Cheque Reference Document Type|If product code is CCP this field should be 1-9 and A-H"}},
        {"cheque document type a", "CCP", {{Credit::ChequeDocumentType, "a"}}, false,
         {"280-280|Cheque Reference Document Type|If product code is CCP this field should be 1-9 and A-H"}},
        {"cheque account not examined", "XDQ", {{Credit::Account, "NOT AN ACCOUNT"}}, false, {}},
        {"home-bank transfer to another bank", "DCP", {{Credit::ReceivingBankCode, "002"}}, false,
         {"181-183|Receiving Bank Code|If product code is DCP,PAY,PA2,PA3 this field should be 014",
          "181-183|Receiving Bank code|This field should  be 014"}},
        {"home-bank transfer to an empty account", "PAY", {{Credit::Account, ""}}, false,
         {"10-34|Credit Account No|Invalid Orvane Account",
          "10-34|Credit Account No|If product code is PAY this field should be number"}},
        {"media clearing to bank 014 checks the account", "MCL",
         {{Credit::ReceivingBankCode, "014"}, {Credit::Account, "1111111115"}}, false,
         {"10-34|Credit Account No|Invalid Orvane Account"}},
        {"direct debit to bank 014 checks the account", "DDR",
         {{Credit::ReceivingBankCode, "014"}, {Credit::Account, "1111111115"}}, false,
         {"10-34|Credit Account No|Invalid Orvane Account"}},
        {"account not a number, to another bank", "BNT", {{Credit::Account, "ABC"}}, false,
         {"10-34|Credit Account No|If product code is BNT this field should be number"}},
        {"account a number passes, to another bank", "BNT", {{Credit::Account, "123"}}, false, {}},
        {"media clearing to another bank paying to bank 014", "PA6",
         {{Credit::ReceivingBankCode, "014"}, {Credit::Account, "1111111115"}}, false,
         {"10-34|Credit Account No|Invalid Orvane Account",
          "181-183|Receiving Bank code|This field should not be 014"}},
    };
    for (const Case& c : cases) {
        CreditFixture fx;
        EXPECT_EQ(fx.Check(Build(c), c.product), c.expected) << c.name;
    }
}

TEST(CreditRecord, AccountFailuresCountAndClearDataValidWithoutFlagging)
{
    CreditFixture fx;
    fx.Check(ValidCredit("DCP").Set(Credit::ReceivingBankCode, "002").Set(Credit::Account, "1111111115"), "DCP");
    // The account and bank code rules of a home-bank transfer are account failures,
    // the bank code rule of paying to the home bank a data failure.
    EXPECT_EQ(fx.s.ctx.invalidAccountCount, 2);
    EXPECT_FALSE(fx.s.ctx.dataValid);
    EXPECT_EQ(fx.s.grid.RowCount(), 5u);

    CreditFixture only;
    only.Check(ValidCredit("MCL").Set(Credit::ReceivingBankCode, "014").Set(Credit::Account, "1111111115"), "MCL");
    EXPECT_EQ(only.s.ctx.invalidAccountCount, 1);
    EXPECT_FALSE(only.s.ctx.dataValid);
    EXPECT_FALSE(only.s.hasFindingsToSave); // FlagInvalidData not called
    EXPECT_EQ(only.s.statusText, "");
}

TEST(CreditRecord, RowCellsPerProduct)
{
    const std::pair<const char*, const char*> cases[] = {
        {"MCP", "|"}, {"DDP", "|"}, {"CCP", "|"},
        {"XMQ", "1111111114|"}, {"PAY", "1111111114|"}, {"ZZZ", "1111111114|"},
    };
    for (const auto& [product, cells] : cases) {
        CreditFixture fx;
        fx.Check(ValidCredit(product).Set(Credit::Account, "  1111111114").Set(Credit::Currency, "USD"), product, 7);
        EXPECT_EQ(test::RowNames(fx.s), Rows{cells}) << product;
        EXPECT_EQ(test::ErrorRows(fx.s.grid).at(0).substr(0, 6), "003|7|") << product;
    }
}

TEST(CreditRecord, ContextValues)
{
    CreditFixture fx;
    CheckContext& c = fx.s.ctx;
    c.creditAmountSum = 5;
    fx.Check(ValidCredit().Set(Credit::Amount, "-000000001000000"), "DCP");
    EXPECT_EQ(c.creditAmountSum, 5 - 1000000.0); // a negative amount is still added
    fx.Check(ValidCredit().Set(Credit::Amount, "0000000001000005"), "DCP");
    EXPECT_EQ(c.creditAmountSum, 5 + 5.0); // whatever the last digit
    fx.Check(ValidCredit().Set(Credit::Amount, "00000000010000X0"), "DCP");
    EXPECT_EQ(c.creditAmountSum, 10.0); // not a number: nothing added

    fx.Check(WithWht(ValidCredit()).Set(Credit::WhtCount, "03").Set(Credit::InvoiceCount, "000002")
        .Set(Credit::BeneficiaryNotification, "F"), "DCP", 4);
    EXPECT_TRUE(c.whtPresent);
    EXPECT_TRUE(c.beneNotifyByFax);
    EXPECT_EQ(c.totalWhtAmount, 10000.0);
    EXPECT_EQ(c.creditLine, 4);
    EXPECT_EQ(c.declaredWhtCountText, "03");
    EXPECT_EQ(c.declaredInvoiceCountText, "000002");

    // Fields that do not qualify leave the earlier credit's values.
    fx.Check(ValidCredit().Set(Credit::TotalWhtAmount, "0000000000020005").Set(Credit::WhtCount, "X")
        .Set(Credit::InvoiceCount, "ABC"), "DCP", 9);
    EXPECT_FALSE(c.whtPresent);
    EXPECT_FALSE(c.beneNotifyByFax);
    EXPECT_EQ(c.totalWhtAmount, 10000.0);
    EXPECT_EQ(c.creditLine, 4);
    EXPECT_EQ(c.declaredWhtCountText, "03");
    EXPECT_EQ(c.declaredInvoiceCountText, "000002");

    // Counts are kept whatever the flags hold.
    fx.Check(ValidCredit().Set(Credit::WhtCount, "07").Set(Credit::InvoiceCount, "000009"), "DCP", 10);
    EXPECT_EQ(c.declaredWhtCountText, "07");
    EXPECT_EQ(c.declaredInvoiceCountText, "000009");
    EXPECT_EQ(c.totalWhtAmount, 0.0);
    EXPECT_EQ(c.creditLine, 10);
}

TEST(CreditRecord, StartsTheAccountRowWhateverTheRecordHolds)
{
    CreditFixture fx;
    fx.row.account = "OLD";
    fx.row.nameEn = "OLD NAME";
    fx.Check(Rec(RecordCode::Credit).Set(Credit::Account, "  12345 "), "DCP");
    EXPECT_EQ(fx.row.account, "12345");
    EXPECT_EQ(fx.row.nameEn, "");
}

TEST(CreditRecord, UnguardedConversionsEndThePass)
{
    const std::pair<const char*, Rec> cases[] = {
        {"BNT", ValidCredit("BNT").Set(Credit::ServicesType, "1.")},
        {"MCL", ValidCredit("MCL").Set(Credit::Amount, "00000000001E0000")}, // "00000000001E0.000"
        {"PAY", ValidCredit("PAY").Set(Credit::Account, "-111111111")},
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
