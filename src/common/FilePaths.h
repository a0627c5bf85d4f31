#pragma once
// Names of files as the file system sees them: where a chain of symbolic links leads,
// whether two names are one file, and the temporary names written beside a file.
#include <string>

namespace tallivo {

// The path a name leads to once symbolic links are followed: the name itself when it is
// no link; a link to a missing file leads to that file's path. Raises the file error for
// a chain of links that does not end.
std::string FollowLinks(const std::string& path);

// True when both names lead to one file: the same file when both exist (also through
// links or as hard links), otherwise the same path in the same folder.
bool SameFile(const std::string& a, const std::string& b);

// The start of the temporary names beside a file: its folder, its name and kTempMarker
// (common/ReplacingFile.h). A name so long that the six characters added after the marker
// would pass the file system's limit is shortened, at a character's border, to fit.
std::string TempPrefixBeside(const std::string& path);

// Creates a new file prefix + six random letters or digits, opened for reading and
// writing; mode as open() takes it (the umask applies). Returns the descriptor and sets
// path; raises the file error.
int CreateTempFile(const std::string& prefix, unsigned mode, std::string& path);
// Creates a new folder prefix + six random letters or digits, for the user alone, and
// sets path; false, with errno telling why, when it cannot be made.
bool CreateTempFolder(const std::string& prefix, std::string& path);

// Locks (flock, waiting) a temporary file or folder just made through fd, as the run
// writing it: a scan for leftovers (RemoveDeadTemporaries) takes only what no run holds,
// so one that took this between its making and this lock has removed it. False then
// (nothing is linked under the name any more): the caller makes another. True also where
// the file system gives no locks.
bool HoldMadeTemporary(int fd);

} // namespace tallivo
