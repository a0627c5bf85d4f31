#include "app/Settings.h"

#include "app/AppState.h"
#include "app/UserFolders.h"

#include <algorithm>
#include <cctype>
#include <fstream>

namespace tallivo {

namespace {

std::string TrimBlanks(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const auto last = s.find_last_not_of(" \t\r\n");
    return s.substr(first, last - first + 1);
}

bool SameText(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::toupper(x) == std::toupper(y);
           });
}

std::string ConfigPath(const AppState& app)
{
    return SettingsFile(app.programFolder);
}

} // namespace

std::string ReadIniValue(const std::string& path, const std::string& section, const std::string& key,
                         const std::string& defaultValue)
{
    constexpr std::size_t kMaxValue = 2047;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return defaultValue.substr(0, kMaxValue);
    std::string line;
    bool inSection = false;
    while (std::getline(in, line)) {
        const std::string t = TrimBlanks(line);
        if (!t.empty() && t.front() == '[') {
            const auto close = t.find(']');
            const std::string name = TrimBlanks(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            inSection = SameText(name, section);
            continue;
        }
        if (!inSection)
            continue;
        const auto eq = t.find('=');
        if (eq == std::string::npos)
            continue;
        if (SameText(TrimBlanks(t.substr(0, eq)), key))
            return TrimBlanks(t.substr(eq + 1)).substr(0, kMaxValue);
    }
    return defaultValue.substr(0, kMaxValue);
}

void LoadSettings(AppState& app)
{
    std::string value = ReadIniValue(ConfigPath(app), "BeneChargeProfile", "BeneChargeFlag", "");
    std::transform(value.begin(), value.end(), value.begin(), [](unsigned char c) { return std::toupper(c); });
    app.beneChargeFlag = value == "TRUE";
}

void LoadFeeRanges(AppState& app)
{
    const std::string path = ConfigPath(app);
    app.rangeFee1 = ReadIniValue(path, "ThreeTierRate", "RangeFee1", "");
    app.rangeFee2 = ReadIniValue(path, "ThreeTierRate", "RangeFee2", "");
    app.rangeFee3 = ReadIniValue(path, "ThreeTierRate", "RangeFee3", "");
}

} // namespace tallivo
