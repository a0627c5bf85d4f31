#include "app/PaymentInput.h"

#include <sys/stat.h>

namespace tallivo {

std::string UnreadablePaymentFile(const std::string& path, bool isPaymentFile)
{
    struct stat info
    {
    };
    if (path.empty() || ::stat(path.c_str(), &info) != 0)
        return isPaymentFile ? "Input File does not exist" : "Cannot read " + path + ": it does not exist";
    if (S_ISDIR(info.st_mode))
        return "Cannot read " + path + ": it is a folder";
    if (!S_ISREG(info.st_mode))
        return "Cannot read " + path + ": it is not a regular file";
    return {};
}

} // namespace tallivo
