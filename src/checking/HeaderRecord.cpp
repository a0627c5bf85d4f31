// The file header record ("001"): company, customer reference, file date and time, channel.
#include "format/Primitives.h"
#include "checking/RecordChecks.h"
#include "checking/RuleReporter.h"

namespace tallivo {

namespace {
const std::string_view kChannels[] = {"VYN", "CNC"};
} // namespace

void CheckHeaderRecord(CheckSession& s, std::string_view line, int lineNo)
{
    RuleReporter r(s, "001", lineNo);
    const Fields f(line);

    if (Trim(f["4-15"]).empty())               r.Fail("4-15",  "Company Id",         "This field should not be space");
    if (Trim(f["16-47"]).empty())              r.Fail("16-47", "Customer Reference", "This field should not be space");
    if (!IsNumber(f["48-55"]))                 r.Fail("48-55", "Message/File Date",  "This field should be number");
    if (!IsNumber(f["56-61"]))                 r.Fail("56-61", "Message/File Time",  "This field should be number");
    if (!Contains(kChannels, Trim(f["62-64"]))) r.Fail("62-64", "Channel Id",        "This field should  be VYN");
}

} // namespace tallivo
