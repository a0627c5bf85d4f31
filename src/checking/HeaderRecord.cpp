// The file header record: company, customer reference, file date and time, channel.
#include "format/HeaderLayout.h"
#include "format/Primitives.h"
#include "checking/RecordChecks.h"
#include "checking/RuleReporter.h"

namespace tallivo {

namespace {
const std::string_view kChannels[] = {"VYN", "CNC"};
} // namespace

void CheckHeaderRecord(CheckSession& s, std::string_view line, int lineNo)
{
    RuleReporter r(s, RecordCode::Header, lineNo);
    const Fields f(line);

    if (Trim(f[Header::CompanyId]).empty())         r.Fail(Header::CompanyId,         "This field should not be space");
    if (Trim(f[Header::CustomerReference]).empty()) r.Fail(Header::CustomerReference, "This field should not be space");
    if (!IsNumber(f[Header::FileDate]))             r.Fail(Header::FileDate,          "This field should be number");
    if (!IsNumber(f[Header::FileTime]))             r.Fail(Header::FileTime,          "This field should be number");
    if (!Contains(kChannels, Trim(f[Header::ChannelId])))
                                                    r.Fail(Header::ChannelId,         "This field should  be VYN");
}

} // namespace tallivo
