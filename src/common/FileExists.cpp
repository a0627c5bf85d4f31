#include "common/FileExists.h"

#include <sys/stat.h>

namespace tallivo {

bool FileExists(const std::string& path)
{
    struct stat info
    {
    };
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

} // namespace tallivo
