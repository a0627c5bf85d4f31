#pragma once
#include <memory>
#include <string>

namespace tallivo {
class ReplaceObserver;
class ReplacingFile;
}

namespace tallivo {

// Rewrites the payment file so that every credit record has a value in its
// Beneficiary Notification column: a blank there becomes "N". Every other byte
// stays as it was, line ends included; a Ctrl-Z byte and what follows are removed.
// The new content goes to a temporary file beside the payment file, which is renamed
// over it, so the file is never left partly written. When nothing would change the file
// is left as it is. A payment file (or folder) that cannot be replaced raises the file
// error and is left untouched. The observer, if any, is told of the replacement
// (common/ReplacingFile.h): a command that holds the payment file keeps holding it.
void NormaliseCreditRecords(const std::string& paymentPath, ReplaceObserver* observer = nullptr);

// The same in two steps: the normalised file written in full under its temporary name
// (nothing when nothing would change), to be put in place (ReplacingFile::Commit) or
// dropped later. Raises what NormaliseCreditRecords raises before it renames.
std::unique_ptr<ReplacingFile> PrepareNormalisedFile(const std::string& paymentPath);

// Raises the file error unless the payment file (the file a link points to) and its
// folder may be written, as normalisation needs even when it changes nothing.
void CheckPaymentFileReplaceable(const std::string& paymentPath);

// Removes the temporary files ("<payment file>.tallivo-tmpXXXXXX", see common/ReplacingFile.h) that a failed rewrite of
// this payment file left behind, and no other run is writing (RemoveDeadTemporaries).
// Never fails; an empty path does nothing.
void RemoveNormaliseLeftovers(const std::string& paymentPath) noexcept;

} // namespace tallivo
