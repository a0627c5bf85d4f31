#include "common/ReplacingFile.h"

#include "common/AppError.h"
#include "common/CommandProgress.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tallivo {

namespace {
constexpr std::size_t kBufferSize = 1 << 20;
}

std::string FolderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

ReplacingFile::ReplacingFile(std::string target) : m_target(std::move(target))
{
    if (m_target.empty())
        throw AppError(AppError::Kind::File, FileErrorText(ENOENT));
    struct stat existing {};
    mode_t mode = 0644;
    if (::stat(m_target.c_str(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode))
            ThrowFileError(EISDIR);
        if (::access(m_target.c_str(), W_OK) != 0)
            ThrowFileError(errno);
        mode = existing.st_mode & 07777;
    } else if (errno != ENOENT) {
        ThrowFileError(errno);
    }
    std::string pattern = m_target + std::string(kTempMarker) + "XXXXXX";
    m_fd = ::mkstemp(pattern.data());
    if (m_fd < 0)
        ThrowFileError(errno);
    m_tempPath = pattern;
    ::fchmod(m_fd, mode);
    m_buffer.reserve(kBufferSize);
}

ReplacingFile::~ReplacingFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_committed && !m_tempPath.empty())
        ::unlink(m_tempPath.c_str());
}

void ReplacingFile::FlushBuffer()
{
    const char* p = m_buffer.data();
    std::size_t left = m_buffer.size();
    while (left > 0) {
        const ssize_t n = ::write(m_fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ThrowFileError(errno);
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    m_buffer.clear();
}

void ReplacingFile::Write(const char* data, std::size_t size)
{
    if (m_buffer.size() + size > kBufferSize)
        FlushBuffer();
    if (size >= kBufferSize) {
        m_buffer.assign(data, size);
        FlushBuffer();
        return;
    }
    m_buffer.append(data, size);
}

void ReplacingFile::Commit()
{
    FlushBuffer();
    if (::fsync(m_fd) != 0)
        ThrowFileError(errno);
    if (::close(m_fd) != 0) {
        m_fd = -1;
        ThrowFileError(errno);
    }
    m_fd = -1;
    if (::rename(m_tempPath.c_str(), m_target.c_str()) != 0)
        ThrowFileError(errno);
    m_committed = true;
    progress::FilesCommitted();
}

} // namespace tallivo
