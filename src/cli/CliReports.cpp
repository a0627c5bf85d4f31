#include "cli/CliReports.h"

#include "cli/Streams.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace tallivo::cli {

std::string MissingReportTemplate(const AppState& app, std::initializer_list<const char*> names)
{
    for (const char* name : names) {
        const std::string path = app.ReportFolder() + name;
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
            return "tallivo-cli: the report template " + path + " is missing: no PDF is written";
        if (info.st_size == 0)
            return "tallivo-cli: the report template " + path + " is empty: no PDF is written";
    }
    return {};
}

int RunByPdfProgram(char** argv)
{
    const std::string program = ExecutableFolder() + "tallivo-cli-pdf";
    ::execv(program.c_str(), argv);
    WriteStderr("tallivo-cli: cannot write PDF files: " + program + ": " + std::strerror(errno) + "\n");
    return 2;
}

} // namespace tallivo::cli
