// The direct-debit records: the batch record and the item record. Their account fields
// are tested only as numbers, not as home-bank accounts.
#include "format/DirectDebitBatchLayout.h"
#include "format/DirectDebitItemLayout.h"
#include "format/Primitives.h"
#include "checking/RecordChecks.h"
#include "checking/RuleReporter.h"

namespace tallivo {

namespace {
const std::string_view kProcessingRounds[] = {"00", "01", "02"};
} // namespace

void CheckDirectDebitBatchRecord(CheckSession& s, std::string_view line, int lineNo)
{
    namespace Batch = DirectDebitBatch;
    RuleReporter r(s, RecordCode::DirectDebitBatch, lineNo);
    const Fields f(line);
    const bool dateValid = IsValidDate(f.Date(Batch::ValueDate));
    const std::string_view round = f[Batch::ProcessingRound];

    if (Trim(f[Batch::InternalReference]).empty())
        r.Fail(Batch::InternalReference, "This field should not be space");
    if (!dateValid)
        r.Fail(Batch::ValueDate, "Invalid value date");
    if (dateValid && f[Batch::ValueDate] < TodayYyyymmdd(s))
        r.Fail(Batch::ValueDate, "Value date should be today or future date");
    if (Trim(round).empty())
        r.Fail(Batch::ProcessingRound, "This field should not be space");
    if (!IsFullWidthNumber(f, Batch::ProcessingRound))
        r.Fail(Batch::ProcessingRound, "This field should be number 2 digits");
    if (!Contains(kProcessingRounds, round))
        r.Fail(Batch::ProcessingRound, "This field should be 00,01 or 02");
    if (!IsNumber(Trim(f[Batch::CreditAccount])))
        r.Fail(Batch::CreditAccount, "This field should be number ");
    if (!IsNumber(Trim(f[Batch::CreditAccount2])))
        r.Fail(Batch::CreditAccount2, "This field should be number 25 digits");
    if (f[Batch::Currency] != "THB")
        r.Fail(Batch::Currency, "Currency should be THB");
}

void CheckDirectDebitItemRecord(CheckSession& s, std::string_view line, int lineNo)
{
    namespace Item = DirectDebitItem;
    RuleReporter r(s, RecordCode::DirectDebitItem, lineNo);
    const Fields f(line);

    if (Trim(f[Item::InternalReference]).empty())
        r.Fail(Item::InternalReference, "This field should not be space");
    if (!IsFullWidthNumber(f, Item::SequenceNumber))
        r.Fail(Item::SequenceNumber, "This field should be number 6 digits");
    if (!IsNumber(Trim(f[Item::Account])))
        r.Fail(Item::Account, "This field should be number 25 digits");
    if (f[Item::Currency] != "THB")
        r.Fail(Item::Currency, "This field should THB");
}

} // namespace tallivo
