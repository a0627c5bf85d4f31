#include "app/UserFolders.h"

#include "common/AppError.h"
#include "common/FileExists.h"
#include "common/ReplacingFile.h"
#include "common/SignalCleanup.h"
#include "store/TableStore.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <pwd.h>
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
    passwd entry {};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir && found->pw_dir[0] == '/')
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

// Copies a file to a new file of mode 0600, through a temporary name, so that a copy
// cut short never stands as a table file.
void CopyPrivately(const std::string& from, const std::string& to)
{
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        throw AppError(AppError::Kind::File, "Cannot read the table file " + from + ": " + FileErrorText(errno));
    std::string temp = to + std::string(kTempMarker) + "XXXXXX";
    const int out = ::mkostemp(temp.data(), O_CLOEXEC); // mode 0600
    if (out < 0) {
        const int error = errno;
        ::close(in);
        ThrowFileError(error);
    }
    const int slot = RegisterTemporary(temp, false);
    int error = 0;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            error = got < 0 ? errno : 0;
            break;
        }
        for (ssize_t done = 0; done < got && error == 0;) {
            const ssize_t n = ::write(out, buffer + done, static_cast<std::size_t>(got - done));
            if (n < 0 && errno != EINTR)
                error = errno;
            else if (n > 0)
                done += n;
        }
        if (error != 0)
            break;
    }
    ::close(in);
    if (error == 0 && ::fsync(out) != 0)
        error = errno;
    if (::close(out) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temp.c_str(), to.c_str()) != 0)
        error = errno;
    if (error != 0)
        ::unlink(temp.c_str());
    UnregisterTemporary(slot);
    if (error != 0)
        ThrowFileError(error);
}

} // namespace

std::string TableFolder(const std::string& programFolder)
{
    const std::string shipped = programFolder + "Data/";
    if (::access(shipped.c_str(), W_OK) == 0)
        return shipped;
    const std::string own = BaseFolder("XDG_DATA_HOME", ".local/share/") + "tallivo/Data/";
    MakeFolders(own, 0700);
    for (const std::string_view table : kTableNames) {
        const std::string path = TableFilePath(own, table);
        if (!FileExists(path))
            CopyPrivately(TableFilePath(shipped, table), path);
    }
    return own;
}

std::string SettingsFile(const std::string& programFolder)
{
    const char* value = std::getenv("XDG_CONFIG_HOME");
    const std::string home = HomeFolder();
    std::string own;
    if (value && value[0] == '/')
        own = std::string(value) + "/tallivo/Config.ini";
    else if (!home.empty())
        own = home + "/.config/tallivo/Config.ini";
    if (!own.empty() && FileExists(own))
        return own;
    return programFolder + "Data/Config.ini";
}

} // namespace tallivo
