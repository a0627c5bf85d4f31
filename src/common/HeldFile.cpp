#include "common/HeldFile.h"

#include "common/AppError.h"
#include "common/FileLock.h"
#include "common/TestHooks.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tallivo {

HeldFile::HeldFile(std::string path, const std::string& busyText, std::string changedText)
    : m_path(std::move(path)), m_changedText(std::move(changedText))
{
    const auto deadline = std::chrono::steady_clock::now() + LockWait();
    for (;;) {
        // Non-blocking, so that a FIFO in the file's place does not stop the open itself.
        const int fd = ::open(m_path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            ThrowFileError(errno, m_path);
        if (!LockExclusively(fd, deadline, "lock-wait")) {
            ::close(fd);
            throw AppError(AppError::Kind::File, busyText);
        }
        // The command that held the lock may have replaced the file meanwhile: then the
        // lock is on a file that no longer has the name, and the name is opened again.
        struct stat held
        {
        };
        struct stat named
        {
        };
        if (::fstat(fd, &held) == 0 && ::stat(m_path.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
            held.st_ino == named.st_ino) {
            m_locked.push_back(fd);
            m_seen = StampOf(held);
            return;
        }
        ::close(fd);
    }
}

HeldFile::HeldFile(std::string path, std::string changedText, int fd)
    : m_path(std::move(path)), m_changedText(std::move(changedText)), m_locked{fd}
{
    struct stat held
    {
    };
    if (::fstat(fd, &held) == 0)
        m_seen = StampOf(held);
}

std::unique_ptr<HeldFile> HeldFile::Watching(std::string path, std::string changedText)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        ThrowFileError(errno, path);
    return std::unique_ptr<HeldFile>(new HeldFile(std::move(path), std::move(changedText), fd));
}

HeldFile::~HeldFile()
{
    for (const int fd : m_locked)
        ::close(fd);
}

bool HeldFile::Unchanged() const
{
    return m_seen.exists && SameStamp(StampOf(m_path), m_seen);
}

void HeldFile::CheckUnchanged() const
{
    if (!Unchanged())
        throw AppError(AppError::Kind::File, m_changedText);
}

void HeldFile::BeforeReplace(int tempFd)
{
    CheckUnchanged();
    const int fd = ::fcntl(tempFd, F_DUPFD_CLOEXEC, 0);
    if (fd < 0)
        ThrowFileError(errno);
    // A file made a moment ago by this command: nobody else can hold its lock.
    ::flock(fd, LOCK_EX | LOCK_NB);
    m_locked.push_back(fd);
}

void HeldFile::AfterReplace(int tempFd)
{
    struct stat info
    {
    };
    if (::fstat(tempFd, &info) == 0)
        m_seen = StampOf(info);
    // The file that had the name is let go now, not when the command ends: a command
    // waiting for its lock finds the name on the replacement, whose lock this holds, and
    // closing the last descriptor of a large file takes a while.
    for (std::size_t i = 0; i + 1 < m_locked.size(); ++i)
        ::close(m_locked[i]);
    m_locked.erase(m_locked.begin(), m_locked.end() - 1);
}

} // namespace tallivo
