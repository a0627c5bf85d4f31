#pragma once
// The settings file Data/Config.ini: read, never written.
#include <string>

namespace tallivo {

struct AppState;

// Reads one value of an INI file: section and key matched without regard to letter
// case, blanks around the value ignored, at most 2047 characters. A missing file,
// section or key gives the default. A file that is not a regular file, or is larger
// than 1 MB, raises AppError(File) naming it.
std::string ReadIniValue(const std::string& path, const std::string& section, const std::string& key,
                         const std::string& defaultValue);

// Start-up, the settings read once for the whole run: beneChargeFlag := the value of
// [BeneChargeProfile] BeneChargeFlag, upper-cased, is "TRUE".
void LoadSettings(AppState& app);
// rangeFee1..3 := the texts of [ThreeTierRate] RangeFee1..3 (empty when missing).
void LoadFeeRanges(AppState& app);

} // namespace tallivo
