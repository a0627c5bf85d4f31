// The sealed output file: the hash value on line 1, then the payment file's lines with
// credit records re-cut, every line ended by CR LF. The hash value is the SHA-1 of
// exactly the bytes after line 1.
//
// The re-cut text is never stored whole: it is streamed once from the payment file into
// a temporary file beside the output file, after room kept for line 1, and hashed on the
// way; the hash value then fills line 1, so it is always the hash of the bytes written.
// The temporary file replaces the output file only when complete.
#include "sealing/SealedOutput.h"

#include "format/CreditLayout.h"
#include "format/PaymentFileReader.h"
#include "format/RecordTypes.h"
#include "common/AppError.h"
#include "common/InputFile.h"
#include "common/ReplacingFile.h"
#include "sealing/Sha1.h"

#include <cstring>
#include <vector>

namespace tallivo {

namespace {

// A re-cut credit record keeps its columns before the filler, blanks the filler, and
// writes the bene-charge marker into the Bene Charge field, its last columns.
constexpr std::size_t kKeptColumns = Credit::Filler.First() - 1;
constexpr std::size_t kBlankColumns = Credit::Filler.Width();
constexpr std::size_t kMarkerIndex = Credit::BeneCharge.First() - 1; // the column that decides the marker
static_assert(Credit::BeneCharge.First() == Credit::Filler.Last() + 1);
static_assert(Credit::BeneCharge.Width() == 2 && Credit::BeneCharge.Last() == RecordLength(RecordCode::Credit));
constexpr std::size_t kHashLength = 40;
constexpr std::size_t kStageSize = 1 << 20;
constexpr const char* kLineEnd = "\r\n";

// Streams the re-cut lines of the payment file, line ends included, to sink(stage) in
// pieces of about kStageSize bytes; the sink may take the stage's bytes (and leave it
// another buffer to fill).
template <typename Sink>
void StreamRecutLines(LineSource& reader, bool beneChargeFlag, Sink&& sink)
{
    constexpr std::size_t kStageRoom = kStageSize + PaymentFileReader::kHeldBytes + 2;
    std::string stage;
    stage.reserve(kStageRoom);
    PaymentLine line;
    while (reader.Next(line)) {
        if (line.Truncated())
            throw AppError(AppError::Kind::File, "Line " + std::to_string(reader.LineNumber()) +
                                                     " of the payment file is too long to be sealed");
        const std::string_view text = line.text;
        if (CodeOf(text) == RecordCode::Credit) {
            stage.append(text.substr(0, kKeptColumns));
            stage.append(kBlankColumns, ' ');
            const bool beneCharge = beneChargeFlag && text.size() > kMarkerIndex &&
                                    (text[kMarkerIndex] == 'B' || text[kMarkerIndex] == 'b');
            stage.append(beneCharge ? "B " : "  ");
        } else {
            stage.append(text);
        }
        stage.append(kLineEnd);
        if (stage.size() >= kStageSize) {
            sink(stage);
            stage.clear();
            stage.reserve(kStageRoom);
        }
    }
    if (!stage.empty())
        sink(stage);
}

std::string FinalHex(Sha1Context& ctx)
{
    std::uint8_t digest[kSha1DigestSize];
    Sha1Final(ctx, digest);
    return Sha1Hex(digest);
}

// Line 1 as it can be shown in a message: bytes outside printable ASCII become "?".
std::string Printable(std::string_view text)
{
    std::string shown(text);
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E)
            c = '?';
    return shown;
}

} // namespace

PreparedOutput PrepareSealedOutput(const std::string& paymentPath, const std::string& outputPath, bool beneChargeFlag,
                                   const SealedBytesSink& records, LineForm form)
{
    PaymentFileReader reader(paymentPath, form);
    return PrepareSealedOutput(reader, outputPath, beneChargeFlag, records);
}

PreparedOutput PrepareSealedOutput(LineSource& lines, const std::string& outputPath, bool beneChargeFlag,
                                   const SealedBytesSink& records)
{
    PreparedOutput prepared{{}, std::make_unique<ReplacingFile>(outputPath)};
    ReplacingFile& output = *prepared.file;
    const std::string lineEnd(kLineEnd);
    output.Write(std::string(kHashLength, '0') + lineEnd); // line 1, filled in at the end

    Sha1Context ctx;
    Sha1Init(ctx);
    StreamRecutLines(lines, beneChargeFlag, [&](std::string& stage) {
        Sha1Update(ctx, stage.data(), stage.size());
        output.Write(stage.data(), stage.size());
        if (records)
            records(stage);
    });
    prepared.hash = FinalHex(ctx);
    output.WriteAt(0, prepared.hash);
    output.Finish();
    return prepared;
}

std::string WriteSealedOutput(const std::string& paymentPath, const std::string& outputPath, bool beneChargeFlag)
{
    PreparedOutput prepared = PrepareSealedOutput(paymentPath, outputPath, beneChargeFlag);
    prepared.file->Commit();
    return prepared.hash;
}

VerifyResult VerifySealedFile(const std::string& path)
{
    InputFile file(path);
    std::vector<char> block(kStageSize);
    auto readFull = [&file](char* data, std::size_t size) { return file.Read(data, size); };

    VerifyResult result;
    const std::size_t head = readFull(block.data(), kHashLength + 2);
    const std::string_view line1(block.data(), std::min(head, kHashLength));
    if (const auto cr = std::string_view(block.data(), head).find('\r'); cr < kHashLength) {
        result.message = "Line 1 has " + std::to_string(cr) + " characters; a hash value has 40";
        return result;
    }
    if (head < kHashLength + 2) {
        result.message = "The file is too short to be sealed: it needs a 40-character hash value on line 1, ended by CR LF";
        return result;
    }
    if (block[kHashLength] != '\r' || block[kHashLength + 1] != '\n') {
        result.message = "Line 1 is not a 40-character hash value followed by CR LF";
        return result;
    }
    const std::string stated(line1);

    Sha1Context ctx;
    Sha1Init(ctx);
    for (;;) {
        const std::size_t got = readFull(block.data(), block.size());
        Sha1Update(ctx, block.data(), got);
        if (got < block.size())
            break;
    }
    result.hash = FinalHex(ctx);
    if (stated != result.hash) {
        result.message =
            "Hash value does not match: line 1 has " + Printable(stated) + ", the content gives " + result.hash;
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace tallivo
