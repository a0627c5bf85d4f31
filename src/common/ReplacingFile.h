#pragma once
// Writes a file that replaces (or creates) a user's file without ever leaving it
// half-written: the bytes go to a temporary file in the target's own folder, which
// is flushed, synced and renamed over the target on Commit. Destroying an
// uncommitted ReplacingFile removes the temporary file, and so does a signal that ends
// the process (common/SignalCleanup.h); what a killed run left there is removed by the
// next ReplacingFile of the same target (RemoveDeadTemporaries).
//
// What the user set up stays: a symbolic link is followed (the file it points to is
// replaced, the link stays), the replaced file's permission bits and group (and owner,
// for the superuser) pass to the new one, a new file gets the permissions that the umask
// allows, and the temporary name fits beside any name the file system accepts.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace tallivo {

class ToDiskWhileWriting;

// The temporary file of a target is named target + kTempMarker + six letters or digits
// (the target's name shortened when the whole would be too long for the file system), a
// name no user picks by chance, so leftovers of a crash can be found and removed.
inline constexpr std::string_view kTempMarker = ".tallivo-tmp";
inline constexpr std::size_t kTempSuffixLength = 6;

// Told about the replacement of a target: right before the complete temporary file takes
// the target's name (an error raised there stops the replacement) and right after.
class ReplaceObserver
{
public:
    virtual ~ReplaceObserver() = default;
    virtual void BeforeReplace(int tempFd) = 0;
    virtual void AfterReplace(int tempFd) = 0;
};

class ReplacingFile
{
public:
    // Opens the temporary file beside target (beside the file it points to, for a link).
    // Raises the file error when the target cannot be replaced (a read-only file, a
    // folder, a missing or read-only folder), and AppError(File) "Cannot write ...: it is
    // not a regular file" for a device, a FIFO or a socket.
    explicit ReplacingFile(std::string target);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    void Write(const char* data, std::size_t size);
    void Write(std::string_view text) { Write(text.data(), text.size()); }
    // Overwrites bytes already written, at offset from the start (before Finish): for a
    // part whose content is known only once the rest has been written.
    void WriteAt(std::size_t offset, std::string_view text);
    // Flushes and syncs: the temporary file then holds everything written. It stays open
    // under its temporary name until Commit.
    void Finish();
    // Finishes, then renames over the target, telling the observer (if any) before and after.
    void Commit(ReplaceObserver* observer = nullptr);

    const std::string& TempPath() const { return m_tempPath; }
    const std::string& Target() const { return m_target; }

private:
    void FlushBuffer();
    void WriteOut(const char* data, std::size_t size);

    std::string m_target;      // as given
    std::string m_destination; // the target with symbolic links followed
    std::string m_tempPath;
    int m_fd = -1;
    int m_cleanupSlot = -1;
    bool m_finished = false;
    bool m_committed = false;
    std::string m_buffer;
    std::uint64_t m_written = 0;  // bytes written in order from the start
    std::unique_ptr<ToDiskWhileWriting> m_toDisk; // the written bytes on their way to disk
};

// The folder part of a path ("." when it has none).
std::string FolderOf(const std::string& path);

// Raises the error that a ReplacingFile of the target would raise, writing nothing (a
// temporary file is made and removed again).
void CheckCanReplace(const std::string& target);

// Whether the existing destination sits in a sticky folder that does not let this user
// rename over it (only the file's or the folder's owner may, and the superuser).
bool StickyFolderForbidsReplacing(const std::string& destination);
// Raises the error the final rename over an existing destination would raise in a sticky
// folder (only the file's or the folder's owner may replace a file there), naming target.
void CheckMayReplaceInFolder(const std::string& target, const std::string& destination);

// "Cannot write <path>: it is not a regular file".
[[noreturn]] void ThrowNotARegularFile(const std::string& path);

// Removes the temporary files beside target (beside the file a link points to) that a
// run ended without removing (a crash, kill -9), and an archive's temporary folders with
// what they hold: each is locked by its writer for as long as it is written, so one whose
// lock can be taken has no writer any more. Another
// file's temporary files, and names that only look like ours, stay. Never fails; an
// empty path does nothing.
void RemoveDeadTemporaries(const std::string& target) noexcept;

} // namespace tallivo
