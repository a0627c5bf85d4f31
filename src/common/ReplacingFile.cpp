#include "common/ReplacingFile.h"

#include "common/AppError.h"
#include "common/CommandProgress.h"
#include "common/FilePaths.h"
#include "common/SignalCleanup.h"
#include "common/SyncAhead.h"
#include "common/WriteAll.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tallivo {

namespace {
constexpr std::size_t kBufferSize = 1 << 20;
// Written bytes are synced in steps of this size while the file is being written, so that
// Finish does not wait for the whole file to go to disk at once (common/SyncAhead.h).
constexpr std::uint64_t kSyncStep = 32 << 20;
constexpr mode_t kNewFileMode = 0666; // less the umask, as every program creates files
constexpr mode_t kPrivateMode = 0600; // until the replaced file's own mode is set
} // namespace

std::string FolderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

void ThrowNotARegularFile(const std::string& path)
{
    throw AppError(AppError::Kind::File, "Cannot write " + path + ": it is not a regular file");
}

bool StickyFolderForbidsReplacing(const std::string& destination)
{
    struct stat file
    {
    };
    struct stat folder
    {
    };
    const uid_t me = ::geteuid();
    if (me == 0 || ::stat(destination.c_str(), &file) != 0 || ::stat(FolderOf(destination).c_str(), &folder) != 0)
        return false;
    // In a sticky folder (/tmp, a shared drop folder) only the file's or the folder's
    // owner may rename over it: writing the file is not enough.
    return (folder.st_mode & S_ISVTX) != 0 && file.st_uid != me && folder.st_uid != me;
}

void CheckMayReplaceInFolder(const std::string& target, const std::string& destination)
{
    if (StickyFolderForbidsReplacing(destination))
        ThrowFileError(EPERM, target);
}

void CheckCanReplace(const std::string& target)
{
    ReplacingFile probe(target);
}

ReplacingFile::ReplacingFile(std::string target) : m_target(std::move(target))
{
    if (m_target.empty())
        throw AppError(AppError::Kind::File, FileErrorText(ENOENT));
    m_destination = FollowLinks(m_target);
    struct stat existing
    {
    };
    const bool exists = ::stat(m_destination.c_str(), &existing) == 0;
    if (exists) {
        if (S_ISDIR(existing.st_mode))
            ThrowFileError(EISDIR, m_target);
        if (!S_ISREG(existing.st_mode))
            ThrowNotARegularFile(m_target);
        if (::access(m_destination.c_str(), W_OK) != 0)
            ThrowFileError(errno, m_target);
        CheckMayReplaceInFolder(m_target, m_destination);
    } else if (errno != ENOENT) {
        ThrowFileError(errno, m_target);
    }
    RemoveDeadTemporaries(m_destination);
    // Held while it is written: it is not a leftover. Another run's probe of the same
    // target may clear leftovers at the moment it is made; then it is made again.
    for (;;) {
        m_fd = CreateTempFile(TempPrefixBeside(m_destination), exists ? kPrivateMode : kNewFileMode, m_tempPath);
        if (HoldMadeTemporary(m_fd))
            break;
        ::close(m_fd);
    }
    m_cleanupSlot = RegisterTemporary(m_tempPath, false);
    m_toDisk = std::make_unique<ToDiskWhileWriting>(m_fd, m_tempPath, kSyncStep);
    if (exists) {
        // The owner passes only for the superuser, the group for a member of it; what
        // cannot pass leaves the new file the writer's own, as any new file is. The mode
        // is set last: a change of owner clears the set-user and set-group bits.
        struct stat created
        {
        };
        if (::fstat(m_fd, &created) == 0 && (created.st_uid != existing.st_uid || created.st_gid != existing.st_gid)) {
            const uid_t owner = ::geteuid() == 0 ? existing.st_uid : static_cast<uid_t>(-1);
            if (::fchown(m_fd, owner, existing.st_gid) != 0) {
                // Not a member of the file's group: the new file keeps the writer's group.
            }
        }
        ::fchmod(m_fd, existing.st_mode & 07777);
    }
    m_buffer.reserve(kBufferSize);
}

void RemoveDeadTemporaries(const std::string& target) noexcept
{
    if (target.empty())
        return;
    try {
        namespace fs = std::filesystem;
        const fs::path file(FollowLinks(target));
        if (file.filename().empty())
            return;
        const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
        const std::string prefix = fs::path(TempPrefixBeside(file.string())).filename().string();
        std::error_code ec;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            if (name.size() != prefix.size() + kTempSuffixLength || name.compare(0, prefix.size(), prefix) != 0)
                continue;
            bool generated = true;
            for (std::size_t i = prefix.size(); i < name.size(); ++i)
                generated = generated && std::isalnum(static_cast<unsigned char>(name[i]));
            std::error_code statError;
            const fs::file_status kind = it->symlink_status(statError);
            const bool workFolder = fs::is_directory(kind); // an archive's work folder
            if (!generated || !(workFolder || fs::is_regular_file(kind)))
                continue;
            const int fd = ::open(it->path().c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
            if (fd < 0)
                continue;
            if (::flock(fd, LOCK_EX | LOCK_NB) == 0) { // no writer holds it
                std::error_code removeError;
                if (workFolder)
                    fs::remove_all(it->path(), removeError);
                else
                    ::unlink(it->path().c_str());
            }
            ::close(fd);
        }
    } catch (...) {
        // A leftover that cannot be removed stays; the command goes on.
    }
}

ReplacingFile::~ReplacingFile()
{
    m_toDisk.reset();
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_committed && !m_tempPath.empty())
        ::unlink(m_tempPath.c_str());
    UnregisterTemporary(m_cleanupSlot);
}

void ReplacingFile::WriteOut(const char* data, std::size_t size)
{
    WriteAll(m_fd, data, size, m_target);
    m_written += size;
    m_toDisk->Written(m_written);
}

void ReplacingFile::FlushBuffer()
{
    WriteOut(m_buffer.data(), m_buffer.size());
    m_buffer.clear();
}

void ReplacingFile::Write(const char* data, std::size_t size)
{
    if (m_buffer.size() + size > kBufferSize)
        FlushBuffer();
    if (size >= kBufferSize) {
        WriteOut(data, size); // a large piece goes out as it is, without a copy
        return;
    }
    m_buffer.append(data, size);
}

void ReplacingFile::WriteAt(std::size_t offset, std::string_view text)
{
    FlushBuffer();
    if (!WriteAllAt(m_fd, text.data(), text.size(), offset))
        ThrowFileError(errno, m_target);
}

void ReplacingFile::Finish()
{
    if (m_finished)
        return;
    FlushBuffer();
    m_toDisk->StopSyncing();
    if (::fsync(m_fd) != 0)
        ThrowFileError(errno, m_target);
    m_finished = true;
}

void ReplacingFile::Commit(ReplaceObserver* observer)
{
    Finish();
    if (observer)
        observer->BeforeReplace(m_fd);
    if (::rename(m_tempPath.c_str(), m_destination.c_str()) != 0)
        ThrowFileError(errno, m_target);
    m_committed = true;
    UnregisterTemporary(m_cleanupSlot);
    m_cleanupSlot = -1;
    if (observer)
        observer->AfterReplace(m_fd);
    // The bytes were synced before the rename: closing cannot lose them now.
    ::close(m_fd);
    m_fd = -1;
    progress::FilesCommitted();
}

} // namespace tallivo
