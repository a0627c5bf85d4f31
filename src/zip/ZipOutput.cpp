// Packs the sealed output file alone into the zip archive, on libzip. libzip writes
// the new archive to a temporary file beside it and renames that over the archive on
// close, so a failure never leaves an archive half-written.
#include "zip/ZipOutput.h"

#include "common/AppError.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

namespace tallivo {

namespace {

constexpr int kDeflateLevel = 1;                 // the writer's "fastest" compression
constexpr zip_uint32_t kDosArchiveAttribute = 0x20; // the archive bit of the entry's MS-DOS attributes

std::string ZipErrorText(zip_error_t* error)
{
    const char* text = zip_error_strerror(error);
    return text ? text : "Unknown error";
}

std::string ZipErrorText(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string text = ZipErrorText(&error);
    zip_error_fini(&error);
    return text;
}

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

void ZipOutput(const std::string& archiveName, const std::string& filePath)
{
    auto fail = [&](const std::string& what, const std::string& reason) { ThrowZipError(what, archiveName, reason); };

    // libzip replaces the archive by renaming, which a read-only archive would not stop.
    struct stat existing {};
    if (::stat(archiveName.c_str(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode))
            fail("Cannot open", std::strerror(EISDIR));
        if (::access(archiveName.c_str(), W_OK) != 0)
            fail("Cannot open", ZipErrorText(ZIP_ER_RDONLY));
    }

    int openError = 0;
    zip_t* raw = zip_open(archiveName.c_str(), ZIP_CREATE, &openError);
    if (!raw)
        ThrowZipError("Cannot open", archiveName, ZipErrorText(openError));
    OpenArchive archive(raw);

    // Every entry already there goes: the archive holds the output file alone.
    const zip_int64_t count = zip_get_num_entries(archive.Get(), 0);
    for (zip_int64_t i = 0; i < count; ++i)
        if (zip_delete(archive.Get(), static_cast<zip_uint64_t>(i)) != 0)
            fail("Cannot empty", ZipErrorText(zip_get_error(archive.Get())));

    zip_source_t* source = zip_source_file(archive.Get(), filePath.c_str(), 0, -1);
    if (!source)
        fail("Cannot add '" + filePath + "' to", ZipErrorText(zip_get_error(archive.Get())));
    // The entry name is stored byte for byte as given. libzip refuses to mark a name
    // that is valid UTF-8 as code page 437, so such a name (never an ASCII one) gets
    // the UTF-8 flag, which lets every standard tool show it right.
    const zip_int64_t index = zip_file_add(archive.Get(), EntryName(filePath).c_str(), source, ZIP_FL_ENC_GUESS);
    if (index < 0) {
        zip_source_free(source);
        fail("Cannot add '" + filePath + "' to", ZipErrorText(zip_get_error(archive.Get())));
    }
    const auto entry = static_cast<zip_uint64_t>(index);
    if (zip_set_file_compression(archive.Get(), entry, ZIP_CM_DEFLATE, kDeflateLevel) != 0 ||
        zip_file_set_external_attributes(archive.Get(), entry, 0, ZIP_OPSYS_DOS, kDosArchiveAttribute) != 0)
        fail("Cannot add '" + filePath + "' to", ZipErrorText(zip_get_error(archive.Get())));

    std::string closeError;
    if (!archive.Close(closeError))
        fail("Cannot write", closeError);
}

} // namespace tallivo
