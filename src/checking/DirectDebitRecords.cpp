// The direct-debit records: the batch record ("007") and the item record ("008").
// Their account fields are tested only as numbers, not as home-bank accounts.
#include "format/Primitives.h"
#include "checking/RecordChecks.h"
#include "checking/RuleReporter.h"

namespace tallivo {

namespace {
const std::string_view kProcessingRounds[] = {"00", "01", "02"};
} // namespace

void CheckDirectDebitBatchRecord(CheckSession& s, std::string_view line, int lineNo)
{
    RuleReporter r(s, "007", lineNo);
    const Fields f(line);
    const bool dateValid = IsValidDate(f["15-18"], f["19-20"], f["21-22"]);

    if (Trim(f["7-14"]).empty())               r.Fail("7-14",  "Internal Reference", "This field should not be space");
    if (!dateValid)                            r.Fail("15-22", "Value Date",         "Invalid value date");
    if (dateValid && f["15-22"] < TodayYyyymmdd(s))
                                               r.Fail("15-22", "Value Date",         "Value date should be today or future date");
    if (Trim(f["23-24"]).empty())              r.Fail("23-24", "Processing Round",   "This field should not be space");
    if (!IsNumber(f["23-24"]) || Trim(f["23-24"]).size() != 2)
                                               r.Fail("23-24", "Processing Round",   "This field should be number 2 digits");
    if (!Contains(kProcessingRounds, f["23-24"])) r.Fail("23-24", "Processing Round", "This field should be 00,01 or 02");
    if (!IsNumber(Trim(f["25-49"])))           r.Fail("25-49", "Credit Account No",  "This field should be number ");
    if (!IsNumber(Trim(f["59-83"])))           r.Fail("59-83", "Credit Account No",  "This field should be number 25 digits");
    if (f["93-95"] != "THB")                   r.Fail("93-95", "Credit Currency",    "Currency should be THB");
}

void CheckDirectDebitItemRecord(CheckSession& s, std::string_view line, int lineNo)
{
    RuleReporter r(s, "008", lineNo);
    const Fields f(line);

    if (Trim(f["4-11"]).empty())               r.Fail("4-11",  "Internal Reference",    "This field should not be space");
    if (!IsNumber(f["12-17"]) || Trim(f["12-17"]).size() != 6)
                                               r.Fail("12-17", "Debit Sequence Number", "This field should be number 6 digits");
    if (!IsNumber(Trim(f["18-42"])))           r.Fail("18-42", "Debit Account No",      "This field should be number 25 digits");
    if (f["43-45"] != "THB")                   r.Fail("43-45", "Debit Currency",        "This field should THB");
}

} // namespace tallivo
