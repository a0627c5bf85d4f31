#include "common/FilePaths.h"

#include "common/AppError.h"
#include "common/ReplacingFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tallivo {

namespace {

constexpr int kMaxLinks = 40; // as the kernel allows in one path
constexpr int kNameTries = 100;

// Six random letters or digits.
std::string RandomSuffix()
{
    static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char bytes[kTempSuffixLength];
    std::size_t got = 0;
    while (got < sizeof bytes) {
        const ssize_t n = ::getrandom(bytes + got, sizeof bytes - got, 0);
        if (n > 0)
            got += static_cast<std::size_t>(n);
        else if (errno != EINTR)
            ThrowFileError(errno);
    }
    std::string suffix;
    for (const unsigned char b : bytes)
        suffix += kChars[b % (sizeof kChars - 1)];
    return suffix;
}

// The longest file name the folder's file system takes.
std::size_t NameLimit(const std::string& folder)
{
    const long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    return limit > 0 ? static_cast<std::size_t>(limit) : NAME_MAX;
}

// The folder's path with links resolved, then the name: one spelling per file.
std::string CanonicalName(const std::string& path)
{
    std::string followed = path;
    try {
        followed = FollowLinks(path);
    } catch (const AppError&) {
        // A loop of links: compared by the name as given.
    }
    const std::string folder = FolderOf(followed);
    const std::string name = followed.substr(followed.find_last_of('/') + 1);
    char resolved[PATH_MAX];
    if (::realpath(folder.c_str(), resolved))
        return std::string(resolved) + "/" + name;
    std::error_code ec;
    return std::filesystem::absolute(followed, ec).lexically_normal().string();
}

} // namespace

std::string FollowLinks(const std::string& path)
{
    std::string current = path;
    for (int i = 0; i < kMaxLinks; ++i) {
        struct stat info
        {
        };
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return current;
        std::string target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : PATH_MAX), '\0');
        const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
        if (n < 0)
            return current;
        target.resize(static_cast<std::size_t>(n));
        if (target.empty() || target[0] != '/') {
            const auto slash = current.find_last_of('/');
            if (slash != std::string::npos)
                target = current.substr(0, slash + 1) + target;
        }
        current = target;
    }
    ThrowFileError(ELOOP, path);
}

bool SameFile(const std::string& a, const std::string& b)
{
    if (a.empty() || b.empty())
        return false;
    struct stat sa
    {
    };
    struct stat sb
    {
    };
    if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    return CanonicalName(a) == CanonicalName(b);
}

std::string TempPrefixBeside(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    const std::string folderPart = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t added = kTempMarker.size() + kTempSuffixLength;
    const std::size_t limit = NameLimit(FolderOf(path));
    if (limit > added && name.size() + added > limit) {
        std::size_t keep = limit - added;
        // Never cut a UTF-8 character in two: step back over its continuation bytes.
        while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80)
            --keep;
        name.resize(keep);
    }
    return folderPart + name + std::string(kTempMarker);
}

int CreateTempFile(const std::string& prefix, unsigned mode, std::string& path)
{
    for (int i = 0; i < kNameTries; ++i) {
        std::string candidate = prefix + RandomSuffix();
        const int fd = ::open(candidate.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, static_cast<mode_t>(mode));
        if (fd >= 0) {
            path = std::move(candidate);
            return fd;
        }
        if (errno != EEXIST)
            ThrowFileError(errno, FolderOf(candidate));
    }
    ThrowFileError(EEXIST, prefix);
}

bool HoldMadeTemporary(int fd)
{
    int locked;
    while ((locked = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
    }
    struct stat made {};
    return locked != 0 || ::fstat(fd, &made) != 0 || made.st_nlink > 0;
}

bool CreateTempFolder(const std::string& prefix, std::string& path)
{
    for (int i = 0; i < kNameTries; ++i) {
        std::string candidate = prefix + RandomSuffix();
        if (::mkdir(candidate.c_str(), 0700) == 0) {
            path = std::move(candidate);
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

} // namespace tallivo
