#include "common/WriteAll.h"

#include "common/AppError.h"

#include <cerrno>
#include <unistd.h>

namespace tallivo {

void WriteAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ThrowFileError(errno);
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

} // namespace tallivo
