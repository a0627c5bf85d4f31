#pragma once
// Writes a file that replaces (or creates) a user's file without ever leaving it
// half-written: the bytes go to a temporary file in the target's own folder, which
// is flushed, synced and renamed over the target on Commit. Destroying an
// uncommitted ReplacingFile removes the temporary file.
#include <cstddef>
#include <string>
#include <string_view>

namespace tallivo {

// The temporary file of a target is named target + kTempMarker + six letters or digits,
// a name no user picks by chance, so leftovers of a crash can be found and removed.
inline constexpr std::string_view kTempMarker = ".tallivo-tmp";
inline constexpr std::size_t kTempSuffixLength = 6;

class ReplacingFile
{
public:
    // Opens the temporary file beside target. Raises the file error when the target
    // cannot be replaced (a read-only file, a folder, a missing or read-only folder).
    explicit ReplacingFile(std::string target);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    void Write(const char* data, std::size_t size);
    void Write(std::string_view text) { Write(text.data(), text.size()); }
    // Flushes, syncs and renames over the target.
    void Commit();

    const std::string& TempPath() const { return m_tempPath; }
    const std::string& Target() const { return m_target; }

private:
    void FlushBuffer();

    std::string m_target;
    std::string m_tempPath;
    int m_fd = -1;
    bool m_committed = false;
    std::string m_buffer;
};

// The folder part of a path ("." when it has none).
std::string FolderOf(const std::string& path);

} // namespace tallivo
