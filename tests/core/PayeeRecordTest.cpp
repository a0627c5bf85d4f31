// The payee record: names stored first, the rules in order, and which cell a row fills.
#include "PaymentRecordFixture.h"
#include "checking/RecordChecks.h"

#include <gtest/gtest.h>

namespace tallivo {
namespace {

using test::Rec;
using test::ValidPayee;
using Rows = std::vector<std::string>;

struct PayeeFixture : test::CheckFixture
{
    test::MemoryAccountRow row;
    PayeeFixture()
    {
        s.accountRow = &row;
        row.account = "1111111114";
    }
    std::vector<std::string> Check(const Rec& r, std::string_view product, bool fax = false, bool wht = false)
    {
        s.ctx.beneNotifyByFax = fax;
        s.ctx.whtPresent = wht;
        CheckPayeeRecord(s, r.Text(), 3, product);
        return test::Findings(s);
    }
};

const std::string kThai =
    "33-132|Payee1 Name(Thai)|This field should not Name Thai should not ~ ! @ # $ % ^  _ * + = { }[ ] | \\ ; \" \"< > ?";
const std::string kPayee2 = "507-606|Payee2 Name(Thai)|This field should not Name English should not ~ ! @ # $ % ^  _ "
                            "* + = { }[ ] | \\ ; \" \"< > ?";
const std::string kEnglish = "353-422|Payee1 Name(English)|This field should not Name English should not ~ ! @ # $ % ^  "
                             "_ * + = { }[ ] | \\ ; \" \"< > ?";

TEST(PayeeRecord, Rules)
{
    struct Case
    {
        const char* name;
        const char* product;
        Rec record;
        bool fax;
        bool wht;
        Rows expected;
    };
    const Case cases[] = {
        {"valid with fax and WHT", "MCP", ValidPayee(), true, true, {}},
        {"sequence number with a leading blank", "PAY", ValidPayee().Set(Payee::SequenceNumber, " 12345"), false, false,
         {"12-17|Credit Sequence Number|This field should be number 6 digits"}},
        {"blank reference", "PAY", ValidPayee().Set(Payee::InternalReference, ""), false, false,
         {"4-11|Internal Reference|This field should not be space"}},
        {"names of a name-rule product", "XDQ",
         ValidPayee().Set(Payee::NameThai, "A_B").Set(Payee::Payee2NameThai, "?")
             .Set(Payee::NameEnglish, "A&B (THAI), CO.;"), false, false,
         {kThai, kPayee2, kEnglish}},
        {"names not examined for PAY", "PAY", ValidPayee().Set(Payee::NameThai, "A_B").Set(Payee::NameEnglish, "@"),
         false, false, {}},
        {"blank fax number", "DDP", ValidPayee().Set(Payee::FaxNumber, ""), true, false,
         {"423-432|Payee 1 Fax Number|This field should  be Payee1 Fax Number",
          "423-432|Payee 1 Fax Number|This field should be number "}},
        {"fax number with leading blanks passes", "DDP", ValidPayee().Set(Payee::FaxNumber, "   1234567"), true, false,
         {}},
        {"fax number with an inner blank", "DDP", ValidPayee().Set(Payee::FaxNumber, "02 1234567"), true, false,
         {"423-432|Payee 1 Fax Number|This field should be number "}},
        {"fax number not examined without fax notification", "DDP", ValidPayee().Set(Payee::FaxNumber, "ABC"), false,
         false, {}},
        {"tax id and id number both blank", "PAY", ValidPayee().Set(Payee::TaxId, ""), false, true,
         {"343-352|Payee1 Tax ID|This field should  be Payee1 Tax ID"}},
        {"the id number stands in for the tax id", "PAY", ValidPayee().Set(Payee::TaxId, "").Set(Payee::IdNumber, "X"),
         false, true, {}},
        {"tax id not asked for without WHT", "PAY", ValidPayee().Set(Payee::TaxId, ""), false, false, {}},
    };
    for (const Case& c : cases) {
        PayeeFixture fx;
        EXPECT_EQ(fx.Check(c.record, c.product, c.fax, c.wht), c.expected) << c.name;
        EXPECT_EQ(fx.s.ctx.dataValid, c.expected.empty()) << c.name;
    }
}

TEST(PayeeRecord, StoresTheNamesFirstAndRowsShowPayeeOrAccount)
{
    struct Case
    {
        const char* product;
        const char* nameEn;
        const char* cells;
    };
    const Case cases[] = {
        {"MCP", "ENGLISH NAME", "|ENGLISH NAME"},
        {"CCP", "", "|THAI NAME"}, // a blank English name falls back to the Thai one
        {"XMQ", "ENGLISH NAME", "1111111114|"},
        {"PAY", "ENGLISH NAME", "1111111114|"},
    };
    for (const Case& c : cases) {
        PayeeFixture fx;
        fx.Check(ValidPayee().Set(Payee::NameEnglish, c.nameEn).Set(Payee::InternalReference, ""), c.product);
        EXPECT_EQ(test::RowNames(fx.s), Rows{c.cells}) << c.product;
        EXPECT_EQ(fx.row.nameTh, "THAI NAME");
        EXPECT_EQ(fx.row.nameEn, *c.nameEn ? c.nameEn : "THAI NAME");
        EXPECT_EQ(fx.row.account, "1111111114");
    }
}

} // namespace
} // namespace tallivo
