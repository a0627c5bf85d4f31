#pragma once
// What tells that a file has been written or replaced since it was last looked at: which
// file a path leads to (device and inode), its size and when it was last written and
// changed.
#include <ctime>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>

namespace tallivo {

struct FileStamp
{
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};
};

FileStamp StampOf(const struct stat& info);
// The file the path leads to (links followed); exists is false when there is none.
FileStamp StampOf(const std::string& path);

// Which stamps count: the change time also moves when a link to the file is made or
// removed, which a command's own undo of an archive does.
enum class ChangeTime { Compared, Ignored };

// True when both stamps tell of no file, or of the same file, as large and written (and,
// when compared, changed) at the same time.
bool SameStamp(const FileStamp& a, const FileStamp& b, ChangeTime changeTime = ChangeTime::Compared);

} // namespace tallivo
