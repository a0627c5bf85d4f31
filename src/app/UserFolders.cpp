#include "app/UserFolders.h"

#include "common/AppError.h"
#include "common/ReplacingFile.h"
#include "common/SignalCleanup.h"
#include "common/TestHooks.h"
#include "store/TableStore.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tallivo {

namespace {

// The user's home folder: HOME when it holds an absolute path, else the one the user
// database gives (as a login would); empty when neither does.
std::string HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home && home[0] == '/')
        return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir &&
        found->pw_dir[0] == '/')
        return found->pw_dir;
    return {};
}

// An XDG base folder: the variable when it holds an absolute path, else the default
// under the home folder.
std::string BaseFolder(const char* variable, const char* underHome)
{
    if (const char* value = std::getenv(variable); value && value[0] == '/')
        return std::string(value) + "/";
    const std::string home = HomeFolder();
    if (home.empty())
        throw AppError(AppError::Kind::File, std::string("Each user's table files are kept under $") + variable +
                                                 " or the home folder, and neither is known (HOME is not set)");
    return home + "/" + underHome;
}

// Makes each missing folder of the path (ending in '/'); the ones made get the mode.
void MakeFolders(const std::string& path, mode_t mode)
{
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        if (::mkdir(folder.c_str(), mode) != 0 && errno != EEXIST)
            throw AppError(AppError::Kind::File, "Cannot make the folder " + folder +
                                                     " for this user's table files: " + FileErrorText(errno));
    }
}

// The program folder's Data/ holds the tables only for a program folder of the user's own
// (a build folder, a copy they made): one they may write and own, not installed under
// /usr. An installed program's files are never state, whoever runs it, root included.
bool IsOwnProgramFolder(const std::string& data)
{
    struct stat info
    {
    };
    return data.rfind("/usr/", 0) != 0 && ::stat(data.c_str(), &info) == 0 && info.st_uid == ::geteuid() &&
           ::access(data.c_str(), W_OK) == 0;
}

} // namespace

std::string TableFolder(const std::string& programFolder)
{
    const std::string shipped = programFolder + "Data/";
    if (IsOwnProgramFolder(shipped))
        return shipped;
    const std::string own = BaseFolder("XDG_DATA_HOME", ".local/share/") + "tallivo/Data/";
    MakeFolders(own, 0700);
    CreateMissingTableFiles(own);
    return own;
}

std::vector<std::string> SettingsFiles(const std::string& programFolder)
{
    std::vector<std::string> files;
    const char* value = std::getenv("XDG_CONFIG_HOME");
    if (value && value[0] == '/')
        files.push_back(std::string(value) + "/tallivo/Config.ini");
    else if (const std::string home = HomeFolder(); !home.empty())
        files.push_back(home + "/.config/tallivo/Config.ini");
    files.push_back(SystemSettingsFile());
    files.push_back(programFolder + "Data/Config.ini");
    return files;
}

} // namespace tallivo
