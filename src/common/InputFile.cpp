#include "common/InputFile.h"

#include "common/AppError.h"
#include "common/CommandProgress.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tallivo {

namespace {

// Opens for reading; -1 with errno set when it cannot, a folder giving EISDIR.
int OpenForReading(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat info
    {
    };
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd);
        errno = EISDIR;
        return -1;
    }
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    return fd;
}

} // namespace

InputFile::InputFile(const std::string& path) : m_fd(OpenForReading(path))
{
    if (m_fd < 0)
        ThrowFileError(errno, path);
    NoteSize();
}

void InputFile::NoteSize()
{
    struct stat info
    {
    };
    if (::fstat(m_fd, &info) == 0 && info.st_size > 0)
        m_size = static_cast<std::uint64_t>(info.st_size);
}

std::unique_ptr<InputFile> InputFile::TryOpen(const std::string& path)
{
    const int fd = OpenForReading(path);
    if (fd < 0)
        return nullptr;
    std::unique_ptr<InputFile> file(new InputFile());
    file->m_fd = fd;
    file->NoteSize();
    return file;
}

std::unique_ptr<InputFile> InputFile::OfDescriptor(int fd)
{
    const int own = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (own < 0)
        ThrowFileError(errno);
    std::unique_ptr<InputFile> file(new InputFile());
    file->m_fd = own;
    file->m_positioned = true;
    ::posix_fadvise(own, 0, 0, POSIX_FADV_SEQUENTIAL);
    file->NoteSize();
    return file;
}

InputFile::~InputFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void InputFile::ReadOnlyPart(std::uint64_t from, std::uint64_t to)
{
    m_read = from;
    m_end = to;
}

std::size_t InputFile::ReadSome(char* data, std::size_t size)
{
    if (m_read >= m_end)
        return 0;
    if (size > m_end - m_read)
        size = static_cast<std::size_t>(m_end - m_read);
    for (;;) {
        const ssize_t n =
            m_positioned ? ::pread(m_fd, data, size, static_cast<off_t>(m_read)) : ::read(m_fd, data, size);
        if (n >= 0) {
            m_read += static_cast<std::uint64_t>(n);
            progress::Share(m_size > 0 ? static_cast<double>(m_read) / static_cast<double>(m_size) : 1.0);
            return static_cast<std::size_t>(n);
        }
        if (errno != EINTR)
            ThrowFileError(errno);
    }
}

std::size_t InputFile::Read(char* data, std::size_t size)
{
    std::size_t got = 0;
    while (got < size) {
        const std::size_t n = ReadSome(data + got, size - got);
        if (n == 0)
            break;
        got += n;
    }
    return got;
}

std::size_t InputFile::ReadAt(char* data, std::size_t size, std::uint64_t offset)
{
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::pread(m_fd, data + got, size - got, static_cast<off_t>(offset + got));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ThrowFileError(errno);
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    return got;
}

} // namespace tallivo
