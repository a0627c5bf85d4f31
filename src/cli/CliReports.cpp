#include "cli/CliReports.h"

#include <cstdio>

namespace tallivo::cli {

int WriteReportPdf(AppState&, CliDialogs&, const std::string&)
{
    std::fputs("tallivo-cli: --report-pdf is not available yet\n", stderr);
    return 2;
}

int RunFee(const std::string&, const std::vector<MsgButton>&, const std::string&)
{
    std::fputs("tallivo-cli: fee is not available yet\n", stderr);
    return 2;
}

} // namespace tallivo::cli
