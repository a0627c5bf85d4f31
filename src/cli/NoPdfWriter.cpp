// tallivo-cli's side of the PDF writer: it writes none (see CliReports.h), so these are
// reached only when a command line that asks for a PDF was not handed on.
#include "cli/CliReports.h"

namespace tallivo::cli {

namespace {

int NoPdfWriter(CliDialogs& dialogs)
{
    dialogs.ShowError("tallivo-cli: this program writes no PDF; tallivo-cli-pdf does");
    return 2;
}

} // namespace

int WriteReportPdf(AppState&, CliDialogs& dialogs, const std::string&)
{
    return NoPdfWriter(dialogs);
}

int WriteDocumentPdf(const ReportDocument&, CliDialogs& dialogs, const std::string&)
{
    return NoPdfWriter(dialogs);
}

bool WritesPdfItself()
{
    return false;
}

} // namespace tallivo::cli
