#pragma once
#include <string>

namespace tallivo {

class DeflatedEntry;

// The archive name from the zip box: the text as typed when its extension is ".zip"
// in any letter case, the text followed by ".zip" when it has no extension.
std::string ZipArchiveName(const std::string& zipBoxText);

// Raises, writing nothing, the error that writing the archive would raise: AppError(Zip)
// "Cannot open zip file ..." for a folder, a read-only archive or a file that is no zip
// archive, "Cannot write zip file ..." for a folder that is missing or cannot be written;
// AppError(File) "Cannot write ...: it is not a regular file" for a device, FIFO or socket.
void CheckZipTarget(const std::string& archiveName);

// An archive written in full beside its place, not yet in place: in a temporary folder
// (kTempMarker, common/ReplacingFile.h) beside the archive, or beside the file that the
// archive's name links to. It holds filePath's bytes alone, as the entry named after
// entryPath (see ZipOutput). The archive itself is untouched until Commit; destroying
// the PreparedArchive removes the temporary folder, and so does a signal that ends the
// process (common/SignalCleanup.h).
class PreparedArchive
{
public:
    // Raises the errors of CheckZipTarget and AppError(Zip) for any failure to write.
    // deflated, when given, holds filePath's bytes already deflated (finished): they are
    // copied into the archive as they are, and the entry's date is still filePath's.
    PreparedArchive(const std::string& archiveName, const std::string& filePath, const std::string& entryPath,
                    const DeflatedEntry* deflated = nullptr);
    ~PreparedArchive();
    PreparedArchive(const PreparedArchive&) = delete;
    PreparedArchive& operator=(const PreparedArchive&) = delete;

    // Puts the new archive in place (a symbolic link stays, the file it points to is
    // replaced), keeping the archive it replaced until Undo or destruction.
    void Commit();
    // After Commit: puts the replaced archive back, or removes the new one when there was
    // none. Never fails.
    void Undo() noexcept;

private:
    std::string m_name;        // as given, for messages
    std::string m_destination; // the archive's path with links followed
    std::string m_folder;      // the temporary folder
    int m_cleanupSlot = -1;
    int m_folderFd = -1;  // the temporary folder, locked while it lives
    int m_archiveFd = -1; // the new archive, once written
    bool m_existed = false;
    bool m_keptOld = false;
    bool m_committed = false;
};

// Packs the file alone into the archive (an existing archive is reused and emptied),
// deflated at level 1, no encryption. Raises AppError(Zip) on failure.
void ZipOutput(const std::string& archiveName, const std::string& filePath);

} // namespace tallivo
