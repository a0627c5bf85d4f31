#pragma once
// The settings files (the user's, the machine's, the program folder's Config.ini):
// read, never written.
#include "app/AppState.h"
#include "format/Primitives.h"

#include <optional>
#include <string>
#include <vector>

namespace tallivo {

// Reads one value of an INI file: section and key matched without regard to letter
// case, blanks around the value ignored, at most 2047 characters. A missing file,
// section or key gives the default. A file that is not a regular file, or is larger
// than 1 MB, raises AppError(File) naming it.
std::string ReadIniValue(const std::string& path, const std::string& section, const std::string& key,
                         const std::string& defaultValue);
// The same, nothing when the file, the section or the key is missing.
std::optional<std::string> FindIniValue(const std::string& path, const std::string& section, const std::string& key);

// The setting from the first of the files that sets it.
Setting ReadSetting(const std::vector<std::string>& files, const std::string& section, const std::string& key);

// Start-up, the settings read once for the whole run: beneChargeFlag := the value of
// [BeneChargeProfile] BeneChargeFlag, upper-cased, is "TRUE".
void LoadSettings(AppState& app);
// rangeFee1..3 := [ThreeTierRate] RangeFee1..3 (empty texts when missing).
void LoadFeeRanges(AppState& app);

// A fee text as a currency amount; a text that is none raises the conversion error,
// naming the setting and its file after the value.
Currency FeeAmount(const Setting& fee);

} // namespace tallivo
