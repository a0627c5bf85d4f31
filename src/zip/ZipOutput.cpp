// Packs the sealed output file alone into the zip archive, on libzip. The archive is
// written in a temporary folder beside its place: an existing archive is linked (or
// copied) there, libzip empties it and adds the file, writing the result to a temporary
// file of its own in that folder and renaming it on close. Only Commit renames the
// result over the archive, so a failure never leaves an archive half-written, and the
// archive's place is untouched until the caller puts everything in place together.
#include "zip/ZipOutput.h"

#include "common/AppError.h"
#include "common/CommandProgress.h"
#include "common/FilePaths.h"
#include "common/ReplacingFile.h"
#include "common/SignalCleanup.h"
#include "common/SyncAhead.h"
#include "common/UnsetBytes.h"
#include "common/WriteAll.h"
#include "zip/DeflatedEntry.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>
#include <zip.h>

namespace tallivo {

namespace {

constexpr int kDeflateLevel = 1;                    // the writer's "fastest" compression
constexpr zip_uint32_t kDosArchiveAttribute = 0x20; // the archive bit of the entry's MS-DOS attributes

std::string ZipErrorText(zip_error_t* error)
{
    const char* text = zip_error_strerror(error);
    return text ? text : "Unknown error";
}

std::string ZipErrorText(int code, int systemError = 0)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_error_set(&error, code, systemError);
    std::string text = ZipErrorText(&error);
    zip_error_fini(&error);
    return text;
}

// The names inside the temporary folder: the new archive, and the one it replaced.
constexpr const char* kNewArchive = "/new.zip";
constexpr const char* kOldArchive = "/old.zip";

// Discards the archive's changes unless it was closed.
class OpenArchive
{
public:
    explicit OpenArchive(zip_t* archive) : m_archive(archive) {}
    ~OpenArchive()
    {
        if (m_archive)
            zip_discard(m_archive);
    }
    OpenArchive(const OpenArchive&) = delete;
    OpenArchive& operator=(const OpenArchive&) = delete;

    zip_t* Get() const { return m_archive; }
    // Completes the archive; false with the error text when writing it failed.
    bool Close(std::string& errorText)
    {
        // Writing the archive is the compressing stage's work: its share goes to the command.
        zip_register_progress_callback_with_state(
            m_archive, 0.01, [](zip_t*, double share, void*) { progress::ShareOnly(share); }, nullptr, nullptr);
        if (zip_close(m_archive) == 0) {
            m_archive = nullptr;
            return true;
        }
        errorText = ZipErrorText(zip_get_error(m_archive));
        return false;
    }

private:
    zip_t* m_archive;
};

// The entry name: the path relative to the current folder when the file lies in or
// below it, otherwise the full path without its leading separator; "/" between folders.
std::string EntryName(const std::string& filePath)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path current = fs::current_path(ec);
    fs::path full = fs::path(filePath);
    if (full.is_relative() && !ec)
        full = current / full;
    full = full.lexically_normal();
    if (!ec) {
        const fs::path relative = full.lexically_relative(current.lexically_normal());
        if (!relative.empty() && *relative.begin() != ".." && relative != ".")
            return relative.generic_string();
    }
    return full.relative_path().generic_string();
}

// "Cannot open zip file 'batch.zip': Not a zip archive" and the like.
[[noreturn]] void ThrowZipError(const std::string& what, const std::string& archiveName, const std::string& reason)
{
    throw AppError(AppError::Kind::Zip, what + " zip file '" + archiveName + "': " + reason);
}

} // namespace

std::string ZipArchiveName(const std::string& zipBoxText)
{
    const auto dot = zipBoxText.find_last_of('.');
    const auto separator = zipBoxText.find_last_of("\\:/");
    const bool hasExtension = dot != std::string::npos && (separator == std::string::npos || dot > separator);
    return hasExtension ? zipBoxText : zipBoxText + ".zip";
}

namespace {

// The checks that need no writing: what stands at the archive's place (links followed).
// True when an archive exists there.
bool CheckArchivePlace(const std::string& archiveName, const std::string& destination)
{
    struct stat existing
    {
    };
    if (::stat(destination.c_str(), &existing) != 0)
        return false;
    if (S_ISDIR(existing.st_mode))
        ThrowZipError("Cannot open", archiveName, std::strerror(EISDIR));
    if (!S_ISREG(existing.st_mode))
        ThrowNotARegularFile(archiveName);
    // Replacing by renaming would not be stopped by a read-only archive.
    if (::access(destination.c_str(), W_OK) != 0)
        ThrowZipError("Cannot open", archiveName, ZipErrorText(ZIP_ER_RDONLY));
    if (StickyFolderForbidsReplacing(destination))
        ThrowZipError("Cannot write", archiveName, std::strerror(EPERM));
    return true;
}

// Makes the temporary folder beside the archive, raising what libzip would raise when
// it cannot make its temporary file there.
std::string MakeWorkFolder(const std::string& archiveName, const std::string& destination)
{
    std::string folder;
    if (!CreateTempFolder(TempPrefixBeside(destination), folder))
        ThrowZipError("Cannot write", archiveName, ZipErrorText(ZIP_ER_TMPOPEN, errno));
    return folder;
}

// Removes the temporary folder and what it holds (the archives, a temporary file of libzip's).
void RemoveWorkFolder(const std::string& folder) noexcept
{
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
}

// Copies a file, for when an existing archive cannot be linked into the work folder.
bool CopyFile(const std::string& from, const std::string& to)
{
    std::error_code ec;
    return std::filesystem::copy_file(from, to, ec) && !ec;
}

// The archive's open through libzip, as the writer opens it; raises the open error.
zip_t* OpenArchiveFile(const std::string& archiveName, const std::string& path)
{
    int openError = 0;
    zip_t* raw = zip_open(path.c_str(), ZIP_CREATE, &openError);
    if (!raw)
        ThrowZipError("Cannot open", archiveName, ZipErrorText(openError));
    return raw;
}

// What a libzip source of ours keeps for libzip: its last error. Sources are handed to
// libzip by address, so they are never copied.
class SourceError
{
protected:
    SourceError() { zip_error_init(&m_error); }
    ~SourceError() { zip_error_fini(&m_error); }
    SourceError(const SourceError&) = delete;
    SourceError& operator=(const SourceError&) = delete;

    zip_error_t m_error;
};

// A source of data already deflated: libzip copies it into the archive as it is.
class DeflatedSource : SourceError
{
public:
    DeflatedSource(const DeflatedEntry& entry, time_t mtime) : m_entry(entry), m_mtime(mtime) {}

    static zip_int64_t Callback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command)
    {
        auto* self = static_cast<DeflatedSource*>(state);
        switch (command) {
        case ZIP_SOURCE_OPEN:
            self->m_offset = 0;
            self->m_held.clear();
            self->m_heldAt = 0;
            return 0;
        case ZIP_SOURCE_READ:
            return self->Read(static_cast<char*>(data), length);
        case ZIP_SOURCE_CLOSE:
            return 0;
        case ZIP_SOURCE_STAT: {
            auto* st = static_cast<zip_stat_t*>(data);
            zip_stat_init(st);
            st->valid = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_CRC | ZIP_STAT_MTIME;
            st->size = self->m_entry.Size();
            st->comp_size = self->m_entry.CompressedSize();
            st->comp_method = ZIP_CM_DEFLATE;
            st->crc = self->m_entry.Crc32();
            st->mtime = self->m_mtime;
            return sizeof(*st);
        }
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&self->m_error, data, length);
        case ZIP_SOURCE_FREE:
            delete self;
            return 0;
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                                  ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
        default:
            zip_error_set(&self->m_error, ZIP_ER_OPNOTSUPP, 0);
            return -1;
        }
    }

private:
    // libzip asks for a few kilobytes at a time: the bytes are read a large piece at once
    // and handed out from it.
    static constexpr std::size_t kPiece = 1 << 20;

    zip_int64_t Read(char* out, zip_uint64_t length)
    {
        if (m_heldAt == m_held.size()) {
            m_held.resize(kPiece);
            const long long got = m_entry.ReadCompressed(m_offset, m_held.data(), m_held.size());
            if (got < 0) {
                m_held.clear();
                m_heldAt = 0;
                zip_error_set(&m_error, ZIP_ER_READ, errno);
                return -1;
            }
            m_held.resize(static_cast<std::size_t>(got));
            m_heldAt = 0;
            m_offset += static_cast<zip_uint64_t>(got);
        }
        const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(length), m_held.size() - m_heldAt);
        std::memcpy(out, m_held.data() + m_heldAt, n);
        m_heldAt += n;
        return static_cast<zip_int64_t>(n);
    }

    const DeflatedEntry& m_entry;
    time_t m_mtime;
    zip_uint64_t m_offset = 0; // of the next piece to read
    UnsetBytes m_held;         // the piece read, handed out from m_heldAt
    std::size_t m_heldAt = 0;
};

// The new archive as libzip writes it: a file of the work folder, written in large pieces
// that go to disk while it is written (libzip itself would write it a few kilobytes at a
// time and leave it all for the last sync). It starts as no archive at all; what a
// replaced archive held that stays (its comment) is carried over by the caller.
class ArchiveFileSource : SourceError
{
public:
    // path: the new archive's name in the work folder; keptMode: the permission bits of
    // the archive it replaces (none: a new file's, as the umask allows).
    ArchiveFileSource(std::string path, std::optional<mode_t> keptMode)
        : m_path(std::move(path)), m_keptMode(keptMode)
    {
    }
    ~ArchiveFileSource() { Drop(); }

    static zip_int64_t Callback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command)
    {
        auto* self = static_cast<ArchiveFileSource*>(state);
        switch (command) {
        case ZIP_SOURCE_STAT:
            // No archive yet: libzip starts a new one.
            return self->Fail(ZIP_ER_READ, ENOENT);
        case ZIP_SOURCE_OPEN:
        case ZIP_SOURCE_READ:
        case ZIP_SOURCE_SEEK:
        case ZIP_SOURCE_TELL:
            return self->Fail(ZIP_ER_OPNOTSUPP, 0);
        case ZIP_SOURCE_CLOSE:
            return 0;
        case ZIP_SOURCE_BEGIN_WRITE:
            return self->BeginWrite();
        case ZIP_SOURCE_WRITE:
            return self->Write(static_cast<const char*>(data), length);
        case ZIP_SOURCE_SEEK_WRITE: {
            const auto* args = ZIP_SOURCE_GET_ARGS(zip_source_args_seek_t, data, length, &self->m_error);
            if (args == nullptr)
                return -1;
            return self->SeekWrite(args->offset, args->whence);
        }
        case ZIP_SOURCE_TELL_WRITE:
            return static_cast<zip_int64_t>(self->m_position);
        case ZIP_SOURCE_COMMIT_WRITE:
            return self->CommitWrite();
        case ZIP_SOURCE_ROLLBACK_WRITE:
            self->Drop();
            return 0;
        case ZIP_SOURCE_REMOVE:
            if (::unlink(self->m_path.c_str()) != 0 && errno != ENOENT)
                return self->Fail(ZIP_ER_REMOVE, errno);
            return 0;
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&self->m_error, data, length);
        case ZIP_SOURCE_FREE:
            delete self;
            return 0;
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(
                ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE,
                ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL, ZIP_SOURCE_SUPPORTS, ZIP_SOURCE_BEGIN_WRITE, ZIP_SOURCE_COMMIT_WRITE,
                ZIP_SOURCE_ROLLBACK_WRITE, ZIP_SOURCE_WRITE, ZIP_SOURCE_SEEK_WRITE, ZIP_SOURCE_TELL_WRITE,
                ZIP_SOURCE_REMOVE, -1);
        default:
            return self->Fail(ZIP_ER_OPNOTSUPP, 0);
        }
    }

private:
    static constexpr std::size_t kBufferSize = 1 << 20;
    // Written bytes are synced in steps of this size while the archive is written.
    static constexpr std::uint64_t kSyncStep = 16 << 20;

    zip_int64_t Fail(int zipError, int systemError)
    {
        zip_error_set(&m_error, zipError, systemError);
        return -1;
    }

    zip_int64_t BeginWrite()
    {
        Drop();
        try {
            m_fd = CreateTempFile(m_path + ".", m_keptMode ? 0600 : 0666, m_tempPath);
        } catch (const AppError&) {
            return Fail(ZIP_ER_TMPOPEN, errno);
        }
        m_toDisk = std::make_unique<ToDiskWhileWriting>(m_fd, m_tempPath, kSyncStep);
        if (m_keptMode && ::fchmod(m_fd, *m_keptMode) != 0)
            return Fail(ZIP_ER_TMPOPEN, errno);
        m_position = m_end = 0;
        m_buffer.clear();
        m_buffer.reserve(kBufferSize);
        return 0;
    }

    zip_int64_t Write(const char* data, zip_uint64_t length)
    {
        if (m_fd < 0)
            return Fail(ZIP_ER_INTERNAL, 0);
        const auto size = static_cast<std::size_t>(length);
        std::size_t done = 0;
        if (m_position < m_end) { // over bytes written before (a header filled in afterwards)
            done = static_cast<std::size_t>(std::min<std::uint64_t>(m_end - m_position, size));
            if (!Flush() || !PutAt(m_position, data, done))
                return -1;
            m_position += done;
        }
        if (done < size) {
            if (m_buffer.size() + (size - done) > kBufferSize && !Flush())
                return -1;
            m_buffer.append(data + done, size - done);
            m_end += size - done;
            m_position = m_end;
        }
        return static_cast<zip_int64_t>(length);
    }

    zip_int64_t SeekWrite(zip_int64_t offset, int whence)
    {
        const std::int64_t base = whence == SEEK_SET   ? 0
                                  : whence == SEEK_CUR ? static_cast<std::int64_t>(m_position)
                                  : whence == SEEK_END ? static_cast<std::int64_t>(m_end)
                                                       : -1;
        if (base < 0 || base + offset < 0 || static_cast<std::uint64_t>(base + offset) > m_end)
            return Fail(ZIP_ER_INVAL, 0);
        m_position = static_cast<std::uint64_t>(base + offset);
        return 0;
    }

    zip_int64_t CommitWrite()
    {
        if (m_fd < 0)
            return Fail(ZIP_ER_INTERNAL, 0);
        if (!Flush())
            return -1;
        m_toDisk.reset();
        if (::close(std::exchange(m_fd, -1)) != 0)
            return Fail(ZIP_ER_WRITE, errno);
        if (::rename(m_tempPath.c_str(), m_path.c_str()) != 0)
            return Fail(ZIP_ER_RENAME, errno);
        m_tempPath.clear();
        return 0;
    }

    // Writes the buffer out at the end of the file.
    bool Flush()
    {
        if (m_buffer.empty())
            return true;
        const std::uint64_t at = m_end - m_buffer.size();
        if (!PutAt(at, m_buffer.data(), m_buffer.size()))
            return false;
        m_buffer.clear();
        m_toDisk->Written(m_end);
        return true;
    }

    bool PutAt(std::uint64_t offset, const char* data, std::size_t size)
    {
        if (WriteAllAt(m_fd, data, size, offset))
            return true;
        Fail(ZIP_ER_WRITE, errno);
        return false;
    }

    // Drops a write under way: its temporary file goes.
    void Drop() noexcept
    {
        m_toDisk.reset();
        if (m_fd >= 0)
            ::close(std::exchange(m_fd, -1));
        if (!m_tempPath.empty())
            ::unlink(m_tempPath.c_str());
        m_tempPath.clear();
    }

    std::string m_path;
    std::optional<mode_t> m_keptMode;
    std::string m_tempPath;
    int m_fd = -1;
    std::string m_buffer;         // the bytes after m_end - m_buffer.size(), not yet written
    std::uint64_t m_position = 0; // where the next write goes
    std::uint64_t m_end = 0;      // the size written so far, buffer included
    std::unique_ptr<ToDiskWhileWriting> m_toDisk;
};

// A new, empty archive that libzip writes to path (over whatever is there) on close.
zip_t* OpenNewArchive(const std::string& archiveName, const std::string& path, std::optional<mode_t> keptMode)
{
    zip_error_t error;
    zip_error_init(&error);
    auto* state = new ArchiveFileSource(path, keptMode);
    zip_source_t* source = zip_source_function_create(&ArchiveFileSource::Callback, state, &error);
    if (!source) {
        delete state;
    } else if (zip_t* archive = zip_open_from_source(source, ZIP_CREATE, &error)) {
        zip_error_fini(&error);
        return archive;
    } else {
        zip_source_free(source); // frees the state
    }
    const std::string reason = ZipErrorText(&error);
    zip_error_fini(&error);
    ThrowZipError("Cannot open", archiveName, reason);
}

// The source of the entry: the file itself, or its bytes already deflated, dated as the file.
zip_source_t* EntrySource(zip_t* archive, const std::string& filePath, const DeflatedEntry* deflated)
{
    if (!deflated)
        return zip_source_file(archive, filePath.c_str(), 0, -1);
    struct stat file
    {
    };
    if (::stat(filePath.c_str(), &file) != 0) {
        zip_error_set(zip_get_error(archive), ZIP_ER_OPEN, errno);
        return nullptr;
    }
    auto* state = new DeflatedSource(*deflated, file.st_mtime);
    zip_source_t* source = zip_source_function(archive, &DeflatedSource::Callback, state);
    if (!source)
        delete state;
    return source;
}

} // namespace

void CheckZipTarget(const std::string& archiveName)
{
    const std::string destination = FollowLinks(archiveName);
    if (CheckArchivePlace(archiveName, destination)) {
        const OpenArchive probe(OpenArchiveFile(archiveName, destination)); // discarded unchanged
    }
    RemoveWorkFolder(MakeWorkFolder(archiveName, destination));
}

PreparedArchive::PreparedArchive(const std::string& archiveName, const std::string& filePath,
                                 const std::string& entryPath, const DeflatedEntry* deflated)
    : m_name(archiveName), m_destination(FollowLinks(archiveName))
{
    auto fail = [&](const std::string& what, const std::string& reason) { ThrowZipError(what, m_name, reason); };

    struct stat existing
    {
    };
    m_existed = CheckArchivePlace(m_name, m_destination) && ::stat(m_destination.c_str(), &existing) == 0;
    RemoveDeadTemporaries(m_destination);
    // Locked while it lives: a folder whose lock can be taken is a killed run's leftover,
    // and one cleared by another run between its making and the lock is made again.
    for (;;) {
        m_folder = MakeWorkFolder(m_name, m_destination);
        m_folderFd = ::open(m_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (m_folderFd < 0 && errno == ENOENT)
            continue; // cleared before it could even be opened: another is made
        if (m_folderFd < 0 || HoldMadeTemporary(m_folderFd))
            break;
        ::close(m_folderFd);
    }
    m_cleanupSlot = RegisterTemporary(m_folder, true);
    const std::string work = m_folder + kNewArchive;
    try {
        if (m_existed && ::link(m_destination.c_str(), work.c_str()) != 0 && !CopyFile(m_destination, work))
            fail("Cannot write", ZipErrorText(ZIP_ER_TMPOPEN, errno));

        // The archive there is read as libzip reads it (its errors are the errors of an
        // archive that cannot be reused); every entry of it goes, its comment stays.
        std::string comment;
        if (m_existed) {
            const OpenArchive replaced(OpenArchiveFile(m_name, work));
            int length = 0;
            if (const char* text = zip_get_archive_comment(replaced.Get(), &length, ZIP_FL_ENC_RAW))
                comment.assign(text, static_cast<std::size_t>(length));
        }
        OpenArchive archive(
            OpenNewArchive(m_name, work, m_existed ? std::optional<mode_t>(existing.st_mode & 07777) : std::nullopt));
        if (!comment.empty() &&
            zip_set_archive_comment(archive.Get(), comment.data(), static_cast<zip_uint16_t>(comment.size())) != 0)
            fail("Cannot write", ZipErrorText(zip_get_error(archive.Get())));

        const std::string adding = "Cannot add '" + entryPath + "' to";
        zip_source_t* source = EntrySource(archive.Get(), filePath, deflated);
        if (!source)
            fail(adding, ZipErrorText(zip_get_error(archive.Get())));
        // The entry name is stored byte for byte as given. libzip refuses to mark a name
        // that is valid UTF-8 as code page 437, so such a name (never an ASCII one) gets
        // the UTF-8 flag, which lets every standard tool show it right.
        const zip_int64_t index = zip_file_add(archive.Get(), EntryName(entryPath).c_str(), source, ZIP_FL_ENC_GUESS);
        if (index < 0) {
            zip_source_free(source);
            fail(adding, ZipErrorText(zip_get_error(archive.Get())));
        }
        const auto entry = static_cast<zip_uint64_t>(index);
        if (zip_set_file_compression(archive.Get(), entry, ZIP_CM_DEFLATE, kDeflateLevel) != 0 ||
            zip_file_set_external_attributes(archive.Get(), entry, 0, ZIP_OPSYS_DOS, kDosArchiveAttribute) != 0)
            fail(adding, ZipErrorText(zip_get_error(archive.Get())));

        std::string closeError;
        if (!archive.Close(closeError))
            fail("Cannot write", closeError);
        // Written in full, and on its way to disk as it was written: Commit syncs the rest.
        m_archiveFd = ::open(work.c_str(), O_RDONLY | O_CLOEXEC);
        if (m_archiveFd < 0)
            fail("Cannot write", ZipErrorText(ZIP_ER_OPEN, errno));

        // libzip gave the new archive the replaced one's mode; its owner (for the
        // superuser) and group (for a member of it) pass too.
        if (m_existed) {
            struct stat made
            {
            };
            if (::stat(work.c_str(), &made) == 0 &&
                (made.st_uid != existing.st_uid || made.st_gid != existing.st_gid)) {
                const uid_t owner = ::geteuid() == 0 ? existing.st_uid : static_cast<uid_t>(-1);
                if (::chown(work.c_str(), owner, existing.st_gid) == 0)
                    ::chmod(work.c_str(), existing.st_mode & 07777);
            }
        }
    } catch (...) {
        if (m_archiveFd >= 0)
            ::close(m_archiveFd);
        RemoveWorkFolder(m_folder);
        UnregisterTemporary(m_cleanupSlot);
        if (m_folderFd >= 0)
            ::close(m_folderFd);
        throw;
    }
}

PreparedArchive::~PreparedArchive()
{
    if (m_archiveFd >= 0)
        ::close(m_archiveFd);
    RemoveWorkFolder(m_folder);
    UnregisterTemporary(m_cleanupSlot);
    if (m_folderFd >= 0)
        ::close(m_folderFd);
}

void PreparedArchive::Commit()
{
    // On disk before it takes the archive's name: never an archive half there after a crash.
    if (::fsync(m_archiveFd) != 0)
        ThrowZipError("Cannot write", m_name, ZipErrorText(ZIP_ER_WRITE, errno));
    // The replaced archive stays reachable in the work folder, so Undo can put it back.
    const std::string old = m_folder + kOldArchive;
    m_keptOld = m_existed && ::link(m_destination.c_str(), old.c_str()) == 0;
    if (::rename((m_folder + kNewArchive).c_str(), m_destination.c_str()) != 0)
        ThrowZipError("Cannot write", m_name, ZipErrorText(ZIP_ER_RENAME, errno));
    m_committed = true;
}

void PreparedArchive::Undo() noexcept
{
    if (!m_committed)
        return;
    if (m_keptOld)
        ::rename((m_folder + kOldArchive).c_str(), m_destination.c_str());
    else if (!m_existed)
        ::unlink(m_destination.c_str());
    m_committed = false;
}

void ZipOutput(const std::string& archiveName, const std::string& filePath)
{
    PreparedArchive archive(archiveName, filePath, filePath);
    archive.Commit();
}

} // namespace tallivo
