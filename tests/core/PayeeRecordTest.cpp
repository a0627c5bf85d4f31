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
        s.ctx.BeneNotifyByFax = fax;
        s.ctx.WhtPresent = wht;
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
        {"1 leading blank", "PAY", ValidPayee().Set("12-17", " 12345"), false, false,
         {"12-17|Credit Sequence Number|This field should be number 6 digits"}},
        {"2", "PAY", ValidPayee().Set("4-11", ""), false, false,
         {"4-11|Internal Reference|This field should not be space"}},
        {"3-5 name-rule product", "XDQ",
         ValidPayee().Set("33-132", "A_B").Set("507-606", "?").Set("353-422", "A&B (THAI), CO.;"), false, false,
         {kThai, kPayee2, kEnglish}},
        {"names not examined for PAY", "PAY", ValidPayee().Set("33-132", "A_B").Set("353-422", "@"), false, false, {}},
        {"6 and 7 on a blank fax", "DDP", ValidPayee().Set("423-432", ""), true, false,
         {"423-432|Payee 1 Fax Number|This field should  be Payee1 Fax Number",
          "423-432|Payee 1 Fax Number|This field should be number "}},
        {"7 leading blanks pass", "DDP", ValidPayee().Set("423-432", "   1234567"), true, false, {}},
        {"7 inner blank", "DDP", ValidPayee().Set("423-432", "02 1234567"), true, false,
         {"423-432|Payee 1 Fax Number|This field should be number "}},
        {"6-7 without fax notification", "DDP", ValidPayee().Set("423-432", "ABC"), false, false, {}},
        {"8 both blank", "PAY", ValidPayee().Set("343-352", ""), false, true,
         {"343-352|Payee1 Tax ID|This field should  be Payee1 Tax ID"}},
        {"8 columns 18-32 stand in", "PAY", ValidPayee().Set("343-352", "").Set("18-32", "X"), false, true, {}},
        {"8 without WHT", "PAY", ValidPayee().Set("343-352", ""), false, false, {}},
    };
    for (const Case& c : cases) {
        PayeeFixture fx;
        EXPECT_EQ(fx.Check(c.record, c.product, c.fax, c.wht), c.expected) << c.name;
        EXPECT_EQ(fx.s.ctx.DataValid, c.expected.empty()) << c.name;
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
        fx.Check(ValidPayee().Set("353-422", c.nameEn).Set("4-11", ""), c.product);
        EXPECT_EQ(test::RowNames(fx.s), Rows{c.cells}) << c.product;
        EXPECT_EQ(fx.row.nameTh, "THAI NAME");
        EXPECT_EQ(fx.row.nameEn, *c.nameEn ? c.nameEn : "THAI NAME");
        EXPECT_EQ(fx.row.account, "1111111114");
    }
}

} // namespace
} // namespace tallivo
