#include "common/FileStamp.h"

namespace tallivo {

namespace {

bool SameTime(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

} // namespace

FileStamp StampOf(const struct stat& info)
{
    return {true, info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
}

FileStamp StampOf(const std::string& path)
{
    struct stat info
    {
    };
    return ::stat(path.c_str(), &info) == 0 ? StampOf(info) : FileStamp{};
}

bool SameStamp(const FileStamp& a, const FileStamp& b, ChangeTime changeTime)
{
    if (a.exists != b.exists)
        return false;
    return !a.exists ||
           (a.device == b.device && a.inode == b.inode && a.size == b.size && SameTime(a.modified, b.modified) &&
            (changeTime == ChangeTime::Ignored || SameTime(a.changed, b.changed)));
}

} // namespace tallivo
