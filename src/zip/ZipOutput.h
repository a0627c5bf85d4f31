#pragma once
#include <string>

namespace tallivo {

// The archive name from the zip box: the text as typed when its extension is ".zip"
// in any letter case, the text followed by ".zip" when it has no extension.
std::string ZipArchiveName(const std::string& zipBoxText);

// Packs the file alone into the archive (an existing archive is reused and emptied),
// deflated at level 1, no encryption. Raises AppError(Zip) on failure.
void ZipOutput(const std::string& archiveName, const std::string& filePath);

} // namespace tallivo
