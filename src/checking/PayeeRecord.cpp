// The payee record: stores the payee's names in the addAccBatchError row, then
// checks the sequence number, the names (cheque products only), the fax number and the
// tax id.
#include "checking/AccountRowStore.h"
#include "format/PayeeLayout.h"
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

// No forbidden byte in the field's columns.
bool IsCleanField(const Fields& f, const Field& field)
{
    return IsCleanName(f[field], std::min(field.Width(), f[field].size()));
}

} // namespace

void CheckPayeeRecord(CheckSession& s, std::string_view line, int lineNo, std::string_view product)
{
    const CheckContext& c = s.ctx;
    const Fields f(line);

    // The names go into the row first, even when the record has errors; the English name
    // falls back to the Thai one.
    const std::string_view nameTh = Trim(f[Payee::NameThai]);
    std::string_view nameEn = Trim(f[Payee::NameEnglish]);
    if (nameEn.empty())
        nameEn = nameTh;
    const bool payeeNameProduct = Contains(kPayeeNameProducts, product);
    std::string_view rowAccount;
    if (s.accountRow != nullptr) {
        s.accountRow->SetNames(nameEn, nameTh);
        if (!payeeNameProduct)
            rowAccount = s.accountRow->Account();
    }
    // The row's payee name is the English name just stored.
    const std::string_view rowPayeeName = s.accountRow != nullptr ? nameEn : std::string_view();
    RuleReporter r(s, RecordCode::Payee, lineNo, payeeNameProduct ? std::string_view() : rowAccount,
                   payeeNameProduct ? rowPayeeName : std::string_view());

    // The sequence number and the reference.
    if (!IsFullWidthNumber(f, Payee::SequenceNumber))
        r.Fail(Payee::SequenceNumber, "This field should be number 6 digits");
    if (Trim(f[Payee::InternalReference]).empty())
        r.Fail(Payee::InternalReference, "This field should not be space");

    // The names a cheque is written to hold no forbidden character.
    if (Contains(kNameRuleProducts, product)) {
        if (!IsCleanField(f, Payee::NameThai))
            r.Fail(Payee::NameThai, kThaiNameMessage);
        if (!IsCleanField(f, Payee::Payee2NameThai))
            r.Fail(Payee::Payee2NameThai, kEnglishNameMessage);
        if (!IsCleanField(f, Payee::NameEnglish))
            r.Fail(Payee::NameEnglish, kEnglishNameMessage);
    }

    // A notification by fax needs the payee's fax number.
    if (c.beneNotifyByFax) {
        const std::string_view fax = Trim(f[Payee::FaxNumber]);
        if (fax.empty())
            r.Fail(Payee::FaxNumber, "This field should  be Payee1 Fax Number");
        if (line.size() >= Payee::FaxNumber.First() && !IsNumber(fax))
            r.Fail(Payee::FaxNumber, "This field should be number ");
    }

    // Withholding tax needs the payee's tax id or another identification.
    if (c.whtPresent && Trim(f[Payee::TaxId]).empty() && Trim(f[Payee::IdNumber]).empty())
        r.Fail(Payee::TaxId, "This field should  be Payee1 Tax ID");
}

} // namespace tallivo
