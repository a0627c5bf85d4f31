#include "app/ReportObjects.h"

#include "app/AppState.h"
#include "common/AppError.h"

#include <cerrno>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace tallivo {

bool LoadReportTemplate(std::string& reportObject, const std::string& path)
{
    struct stat info
    {
    };
    if (::stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode))
        return false;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        ThrowFileError(errno != 0 ? errno : EACCES, path);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        ThrowFileError(errno != 0 ? errno : EIO, path);
    reportObject = std::move(text);
    return true;
}

ReportState& ReportStateOf(AppState& app)
{
    if (!app.reports)
        app.reports = std::make_shared<ReportState>();
    return *app.reports;
}

ReportObjects& ReportObjectsOf(AppState& app)
{
    return ReportStateOf(app).objects;
}

ReportStore& ReportStoreOf(AppState& app)
{
    ReportState& state = ReportStateOf(app);
    if (!state.store)
        state.store = ReportStoreOver(app.Tables());
    return *state.store;
}

} // namespace tallivo
