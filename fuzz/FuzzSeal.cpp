// The seal command on any bytes as a payment file, in a private folder, in Replace and
// New File mode (the first byte chooses the mode and the answer to the invalid-account
// question; the rest is the file). It ends completed or refused, or with a conversion
// error. A seal that does not complete leaves the payment file as it was or exactly
// normalised, and no archive; a completed seal leaves an output that verifies and an
// archive whose one entry holds exactly the output.
#include "FuzzProgram.h"
#include "app/SealCommand.h"
#include "common/AppError.h"
#include "sealing/SealedOutput.h"

#include <zip.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>
#include <unistd.h>

namespace {

using tallivo::fuzz::Broken;
using tallivo::fuzz::Expect;

// The one entry of the archive, or a broken promise.
std::string OnlyEntry(const std::string& zipPath)
{
    int error = 0;
    zip_t* archive = zip_open(zipPath.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    Expect(archive != nullptr, "the archive of a completed seal cannot be opened");
    Expect(zip_get_num_entries(archive, 0) == 1, "the archive holds more or less than one entry");
    zip_stat_t st;
    zip_stat_init(&st);
    Expect(zip_stat_index(archive, 0, 0, &st) == 0 && (st.valid & ZIP_STAT_SIZE), "the entry has no size");
    std::string content(static_cast<std::size_t>(st.size), '\0');
    zip_file_t* entry = zip_fopen_index(archive, 0, 0);
    Expect(entry != nullptr, "the entry cannot be read");
    Expect(zip_fread(entry, content.data(), st.size) == static_cast<zip_int64_t>(st.size), "the entry is short");
    zip_fclose(entry);
    zip_discard(archive);
    return content;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const bool newFile = (data[0] & 1) != 0;
    const bool ignoreInvalidAccounts = (data[0] & 2) != 0;
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

    const std::string& folder = tallivo::fuzz::PrivateFolder();
    const std::string path = folder + "payment.txt";
    const std::string output = folder + "sealed.txt";
    const std::string zipPath = folder + "payment.zip";
    std::remove(output.c_str());
    std::remove(zipPath.c_str());
    tallivo::fuzz::WriteBytes(path, bytes);

    auto app = tallivo::fuzz::NewAppState();
    app->inputPath = path;
    app->zipName = folder + "payment";
    if (newFile) {
        app->outputMode = tallivo::OutputMode::NewFile;
        app->newFilePath = output;
    }
    tallivo::fuzz::ScriptedAnswers dialogs(ignoreInvalidAccounts
                                               ? std::vector{tallivo::MsgButton::Ignore, tallivo::MsgButton::Yes}
                                               : std::vector{tallivo::MsgButton::Abort});
    tallivo::CommandOutcome outcome = tallivo::CommandOutcome::Refused;
    try {
        outcome = tallivo::SealPaymentFile(*app, dialogs);
    } catch (const tallivo::AppError& e) {
        if (e.kind() != tallivo::AppError::Kind::Conversion)
            Broken(std::string("the seal ended with an error that is no conversion error: ") + e.what());
    } catch (const std::exception& e) {
        Broken(std::string("the seal ended with an unexpected exception: ") + e.what());
    }

    const std::string left = tallivo::fuzz::ReadBytes(path);
    if (outcome != tallivo::CommandOutcome::Completed) {
        Expect(left == bytes || left == tallivo::fuzz::Normalised(bytes),
               "a seal that did not complete left the payment file neither as it was nor normalised");
        Expect(::access(zipPath.c_str(), F_OK) != 0, "a seal that did not complete left an archive");
        return 0;
    }
    const std::string sealedPath = newFile ? output : path;
    const tallivo::VerifyResult verified = tallivo::VerifySealedFile(sealedPath);
    Expect(verified.ok, "the output of a completed seal does not verify: " + verified.message);
    Expect(verified.hash == app->hashValue, "the hash value shown is not the output's");
    Expect(OnlyEntry(zipPath) == tallivo::fuzz::ReadBytes(sealedPath), "the archive's entry is not the output");
    if (newFile)
        Expect(left == tallivo::fuzz::Normalised(bytes) || left == bytes,
               "New File mode left the payment file neither as it was nor normalised");
    return 0;
}
