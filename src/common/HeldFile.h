#pragma once
// A file that a command works on from its first check to its last write. It is held
// under an exclusive advisory lock (common/FileLock.h), so no other Tallivo command works
// on it meanwhile, and watched, so that a change by another program stops the command.
// The lock moves with the file: a replacement that the command writes over it (through
// a ReplacingFile told of this HeldFile) is locked before it takes the file's name, and
// is the file held from then on, and the file it replaced is let go. The last lock ends
// with the HeldFile.
#include "common/FileStamp.h"
#include "common/ReplacingFile.h"

#include <ctime>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <vector>

namespace tallivo {

class HeldFile : public ReplaceObserver
{
public:
    // Opens the file (through links) and takes its lock, waiting up to LockWait()
    // (common/TestHooks.h) while another command holds it. Raises the file error when
    // it cannot be opened, and AppError(File, busyText) when the wait runs out.
    // changedText: the message of CheckUnchanged.
    HeldFile(std::string path, const std::string& busyText, std::string changedText);
    // Watches the file without locking it, for a command that only reads it: opens it
    // (through links) and notes it, so CheckUnchanged tells whether it is still the file
    // read. Raises the file error when it cannot be opened.
    static std::unique_ptr<HeldFile> Watching(std::string path, std::string changedText);
    ~HeldFile() override;
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    // Raises AppError(File, changedText) when the path no longer leads to the file held,
    // or its size, modification time or change time (which any write or change of its
    // bytes sets) are no longer those seen when it was taken or last replaced.
    void CheckUnchanged() const;
    // False when CheckUnchanged would raise.
    bool Unchanged() const;
    // A descriptor of the file held, for reading it (common/InputFile.h OfDescriptor).
    int Descriptor() const { return m_locked.back(); }

    void BeforeReplace(int tempFd) override; // checks, then locks the replacement
    void AfterReplace(int tempFd) override;  // the replacement is the file held

private:
    HeldFile(std::string path, std::string changedText, int fd);

    std::string m_path;
    std::string m_changedText;
    std::vector<int> m_locked; // the descriptors whose locks this holds
    FileStamp m_seen;
};

} // namespace tallivo
