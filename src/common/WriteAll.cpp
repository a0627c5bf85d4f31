#include "common/WriteAll.h"

#include "common/AppError.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace tallivo {

void WriteAll(int fd, const char* data, std::size_t size, const std::string& path)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (path.empty())
                ThrowFileError(errno);
            ThrowFileError(errno, path);
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

bool WriteAllAt(int fd, const char* data, std::size_t size, std::uint64_t offset) noexcept
{
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, data, size, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    return true;
}

void StartWritingToDisk(int fd, std::uint64_t offset, std::uint64_t length) noexcept
{
#ifdef __linux__
    ::sync_file_range(fd, static_cast<off_t>(offset), static_cast<off_t>(length), SYNC_FILE_RANGE_WRITE);
#else
    (void)fd;
    (void)offset;
    (void)length;
#endif
}

void DropCachedPages(int fd) noexcept
{
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
}

} // namespace tallivo
