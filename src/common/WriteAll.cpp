#include "common/WriteAll.h"

#include "common/AppError.h"

#include <cerrno>
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

} // namespace tallivo
