#pragma once
#include "common/ReplacingFile.h"
#include "format/PaymentFileReader.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace tallivo {

// A sealed output written in full under its temporary name, not yet in place.
struct PreparedOutput
{
    std::string hash;                    // the hash value on its line 1
    std::unique_ptr<ReplacingFile> file; // Commit puts it in place; destroying it drops it
};

// Receives the bytes of the sealed output after line 1, in order, as they are written.
// It may take them: what it leaves in bytes is dropped, and the room is filled again.
using SealedBytesSink = std::function<void(std::string& bytes)>;

// Writes the sealed output (as WriteSealedOutput does) to a temporary file beside
// outputPath, flushed and synced, and leaves it there; the payment file is read once.
// records, if given, receives every byte after line 1 as it is written. Raises the
// file error on failure. The payment file's lines are read in the given form: the seal
// of a file it has not yet normalised reads them as normalisation writes them.
PreparedOutput PrepareSealedOutput(const std::string& paymentPath, const std::string& outputPath, bool beneChargeFlag,
                                   const SealedBytesSink& records = {}, LineForm form = LineForm::AsInFile);
// The same from the lines of a source: the seal makes its output from its one read of
// the payment file, so what is sealed is what was checked.
PreparedOutput PrepareSealedOutput(LineSource& lines, const std::string& outputPath, bool beneChargeFlag,
                                   const SealedBytesSink& records);

// Writes the sealed output file: line 1 the 40-digit upper-case hexadecimal SHA-1 of
// the re-cut records that follow, then the payment file's lines with credit records
// re-cut (their Filler blank, the bene-charge marker in their Bene Charge field), every
// line ended by CR LF. The output replaces outputPath (which may be the payment file
// itself) through a temporary file. Returns the hash value; raises the file error on failure.
std::string WriteSealedOutput(const std::string& paymentPath, const std::string& outputPath, bool beneChargeFlag);

} // namespace tallivo

namespace tallivo {

struct VerifyResult
{
    bool ok = false;
    std::string hash;    // the hash value recomputed over the bytes after line 1
    std::string message; // why the file does not verify
};

// A sealed output file verifies when its line 1 equals the upper-case hexadecimal
// SHA-1 of every byte after line 1's CR LF. Raises the file error when it cannot be read.
VerifyResult VerifySealedFile(const std::string& path);

} // namespace tallivo
