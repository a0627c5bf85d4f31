// Credit record normalisation: a blank Beneficiary Notification of every
// credit record becomes "N". The file is streamed byte by byte in large blocks; every
// other byte, line ends included, is written back as it was, and a Ctrl-Z byte ends
// the file (it and what follows are dropped). The new content goes to a temporary file
// beside the payment file that replaces it only once complete.
#include "sealing/Normalise.h"

#include "common/AppError.h"
#include "common/FilePaths.h"
#include "common/InputFile.h"
#include "common/ReplacingFile.h"
#include "format/CreditLayout.h"
#include "format/RecordTypes.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <unistd.h>
#include <vector>

namespace tallivo {

namespace {

constexpr std::size_t kBlockSize = 1 << 20;
// The Beneficiary Notification's one column, counted from 0.
constexpr std::uint64_t kNotificationIndex = Credit::BeneficiaryNotification.First() - 1;
static_assert(Credit::BeneficiaryNotification.Width() == 1);
constexpr char kCtrlZ = '\x1a';

// Where the scan stands in the current line, carried from one block to the next.
struct LineScan
{
    std::uint64_t column = 0;  // bytes of the current line seen so far
    char code[kRecordCodeWidth] = {}; // the line's record type code, as far as seen
    bool lfMayEndLine = false; // the line before ended in a carriage return whose line feed may follow
};

struct BlockResult
{
    std::size_t length = 0; // bytes of the block that belong to the file (before a Ctrl-Z)
    bool changed = false;   // a blank Beneficiary Notification of a credit record became "N"
    bool ctrlZ = false;     // the block holds a Ctrl-Z: the file ends there
};

// Applies the rule to one block in place, following lines across block borders:
// a line ends at a carriage return, a line feed right after it belongs to the line
// end, a line feed anywhere else is an ordinary byte of the line.
BlockResult NormaliseBlock(char* block, std::size_t size, LineScan& scan)
{
    BlockResult result;
    if (const void* z = std::memchr(block, kCtrlZ, size)) {
        size = static_cast<std::size_t>(static_cast<const char*>(z) - block);
        result.ctrlZ = true;
    }
    result.length = size;

    std::size_t pos = 0;
    if (scan.lfMayEndLine && pos < size) {
        if (block[pos] == '\n')
            ++pos;
        scan.lfMayEndLine = false;
    }
    while (pos < size) {
        const void* cr = std::memchr(block + pos, '\r', size - pos);
        const std::size_t end = cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - block) : size;
        // block[pos, end) continues the current line from column scan.column.
        const std::uint64_t first = scan.column;
        const std::uint64_t count = end - pos;
        for (std::uint64_t c = first; c < kRecordCodeWidth && c < first + count; ++c)
            scan.code[c] = block[pos + (c - first)];
        if (first <= kNotificationIndex && kNotificationIndex < first + count &&
            std::string_view(scan.code, kRecordCodeWidth) == RecordCode::Credit) {
            char& notification = block[pos + (kNotificationIndex - first)];
            if (notification == ' ') {
                notification = 'N';
                result.changed = true;
            }
        }
        scan.column += count;
        if (!cr)
            break;
        // The line ends here; the next starts after its line feed, if one follows.
        scan.column = 0;
        pos = end + 1;
        if (pos < size) {
            if (block[pos] == '\n')
                ++pos;
        } else {
            scan.lfMayEndLine = true;
        }
    }
    return result;
}

} // namespace

void CheckPaymentFileReplaceable(const std::string& paymentPath)
{
    const std::string file = FollowLinks(paymentPath);
    if (::access(file.c_str(), W_OK) != 0)
        ThrowFileError(errno, paymentPath);
    if (::access(FolderOf(file).c_str(), W_OK) != 0)
        ThrowFileError(errno, FolderOf(file));
    CheckMayReplaceInFolder(paymentPath, file);
}

void NormaliseCreditRecords(const std::string& paymentPath, ReplaceObserver* observer)
{
    if (const std::unique_ptr<ReplacingFile> output = PrepareNormalisedFile(paymentPath))
        output->Commit(observer);
}

std::unique_ptr<ReplacingFile> PrepareNormalisedFile(const std::string& paymentPath)
{
    // The payment file must be replaceable, also when it turns out to need no change.
    CheckPaymentFileReplaceable(paymentPath);

    InputFile input(paymentPath);
    std::vector<char> block(kBlockSize);
    std::unique_ptr<ReplacingFile> output; // opened at the first change
    std::uint64_t done = 0;              // bytes of the file before the current block
    LineScan scan;
    for (;;) {
        const std::size_t got = input.Read(block.data(), block.size());
        if (got == 0)
            break;
        const BlockResult result = NormaliseBlock(block.data(), got, scan);
        if (!output && (result.changed || result.ctrlZ)) {
            // The bytes before this block stay as they are: copy them over first.
            output = std::make_unique<ReplacingFile>(paymentPath);
            std::vector<char> copy(std::min<std::uint64_t>(done, kBlockSize));
            for (std::uint64_t at = 0; at < done;) {
                const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(done - at, copy.size()));
                const std::size_t n = input.ReadAt(copy.data(), want, at);
                if (n != want)
                    ThrowFileError(EIO, paymentPath); // the file shrank while it was being read
                output->Write(copy.data(), n);
                at += n;
            }
        }
        if (output)
            output->Write(block.data(), result.length);
        done += got;
        if (result.ctrlZ || got < block.size())
            break;
    }
    if (output)
        output->Finish();
    return output;
}

void RemoveNormaliseLeftovers(const std::string& paymentPath) noexcept
{
    RemoveDeadTemporaries(paymentPath);
}

} // namespace tallivo
