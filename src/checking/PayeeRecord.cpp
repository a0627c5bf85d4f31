// The payee record (004): stores the payee's names in the addAccBatchError row, then
// checks the sequence number, the names (cheque products only), the fax number and the
// tax id.
#include "checking/AccountRowStore.h"
#include "format/Primitives.h"
#include "format/ProductSets.h"
#include "checking/RecordChecks.h"
#include "checking/RuleReporter.h"

#include <algorithm>
#include <string>

namespace tallivo {

namespace {

constexpr std::string_view kThaiNameMessage =
    "This field should not Name Thai should not ~ ! @ # $ % ^  _ * + = { }[ ] | \\ ; \" \"< > ?";
constexpr std::string_view kEnglishNameMessage =
    "This field should not Name English should not ~ ! @ # $ % ^  _ * + = { }[ ] | \\ ; \" \"< > ?";

bool IsCleanField(std::string_view field, std::size_t width)
{
    return IsCleanName(field, std::min(width, field.size()));
}

} // namespace

void CheckPayeeRecord(CheckSession& s, std::string_view line, int lineNo, std::string_view product)
{
    const CheckContext& c = s.ctx;
    const Fields f(line);

    // The names go into the row first, even when the record has errors; the English name
    // falls back to the Thai one.
    const std::string_view nameTh = Trim(f["33-132"]);
    std::string_view nameEn = Trim(f["353-422"]);
    if (nameEn.empty())
        nameEn = nameTh;
    const bool payeeNameProduct = Contains(kPayeeNameProducts, product);
    std::string rowAccount;
    if (s.accountRow != nullptr) {
        s.accountRow->SetNames(nameEn, nameTh);
        if (!payeeNameProduct)
            rowAccount = s.accountRow->Account();
    }
    // The row's payee name is the English name just stored.
    const std::string_view rowPayeeName = s.accountRow != nullptr ? nameEn : std::string_view();
    RuleReporter r(s, "004", lineNo, payeeNameProduct ? std::string_view() : std::string_view(rowAccount),
                   payeeNameProduct ? rowPayeeName : std::string_view());

    // 1-2
    if (!(IsNumber(f["12-17"]) && Trim(f["12-17"]).size() == 6))
        r.Fail("12-17", "Credit Sequence Number", "This field should be number 6 digits");
    if (Trim(f["4-11"]).empty())
        r.Fail("4-11", "Internal Reference", "This field should not be space");

    // 3-5
    if (Contains(kNameRuleProducts, product)) {
        if (!IsCleanField(f["33-132"], 100))
            r.Fail("33-132", "Payee1 Name(Thai)", kThaiNameMessage);
        if (!IsCleanField(f["507-606"], 100))
            r.Fail("507-606", "Payee2 Name(Thai)", kEnglishNameMessage);
        if (!IsCleanField(f["353-422"], 70))
            r.Fail("353-422", "Payee1 Name(English)", kEnglishNameMessage);
    }

    // 6-7
    if (c.BeneNotifyByFax) {
        const std::string_view fax = Trim(f["423-432"]);
        if (fax.empty())
            r.Fail("423-432", "Payee 1 Fax Number", "This field should  be Payee1 Fax Number");
        if (line.size() >= 423 && !IsNumber(fax))
            r.Fail("423-432", "Payee 1 Fax Number", "This field should be number ");
    }

    // 8
    if (c.WhtPresent && Trim(f["343-352"]).empty() && Trim(f["18-32"]).empty())
        r.Fail("343-352", "Payee1 Tax ID", "This field should  be Payee1 Tax ID");
}

} // namespace tallivo
