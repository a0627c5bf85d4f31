#include "common/AppError.h"

#include <cerrno>
#include <cstring>

namespace tallivo {

std::string FileErrorText(int errorNumber)
{
    switch (errorNumber) {
    case ENOENT:
    case ENOTDIR:
        return "File not found";
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case EBUSY:
    case ETXTBSY:
        return "File access denied";
    case EMFILE:
    case ENFILE:
        return "Too many open files";
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return "Disk full";
    case ENAMETOOLONG:
    case EINVAL:
        return "Invalid filename";
    default:
        return "I/O error " + std::to_string(errorNumber);
    }
}

std::string FileErrorText(int errorNumber, const std::string& path)
{
    return FileErrorText(errorNumber) + ": " + path + " (" + std::strerror(errorNumber) + ")";
}

void ThrowFileError(int errorNumber)
{
    throw AppError(AppError::Kind::File, FileErrorText(errorNumber));
}

void ThrowFileError(int errorNumber, const std::string& path)
{
    throw AppError(AppError::Kind::File, FileErrorText(errorNumber, path));
}

} // namespace tallivo
