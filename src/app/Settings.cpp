#include "app/Settings.h"

#include "app/AppState.h"
#include "app/UserFolders.h"

#include "common/AppError.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

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

constexpr off_t kMaxSettingsBytes = 1 << 20;

// The whole settings file; nothing when it does not exist or cannot be read. A settings
// file that is no regular file (a FIFO would wait for a writer for ever, a device never
// ends) or is larger than any settings file needs to be is refused, naming it.
std::optional<std::string> ReadSettingsFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat info
    {
    };
    const bool stated = ::fstat(fd, &info) == 0;
    if (stated && !S_ISREG(info.st_mode)) {
        ::close(fd);
        throw AppError(AppError::Kind::File, "The settings file " + path + " is not a regular file");
    }
    if (stated && info.st_size > kMaxSettingsBytes) {
        ::close(fd);
        throw AppError(AppError::Kind::File, "The settings file " + path + " is larger than 1 MB");
    }
    std::string text;
    char block[1 << 14];
    for (;;) {
        const ssize_t n = ::read(fd, block, sizeof block);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || text.size() + static_cast<std::size_t>(n) > static_cast<std::size_t>(kMaxSettingsBytes))
            break;
        text.append(block, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return text;
}

} // namespace

std::optional<std::string> FindIniValue(const std::string& path, const std::string& section, const std::string& key)
{
    constexpr std::size_t kMaxValue = 2047;
    const std::optional<std::string> text = ReadSettingsFile(path);
    if (!text)
        return std::nullopt;
    std::istringstream in(*text);
    std::string line;
    bool inSection = false;
    while (std::getline(in, line)) {
        const std::string t = TrimBlanks(line);
        if (!t.empty() && t.front() == '[') {
            const auto close = t.find(']');
            const std::string name =
                TrimBlanks(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
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
    return std::nullopt;
}

std::string ReadIniValue(const std::string& path, const std::string& section, const std::string& key,
                         const std::string& defaultValue)
{
    constexpr std::size_t kMaxValue = 2047;
    return FindIniValue(path, section, key).value_or(defaultValue.substr(0, kMaxValue));
}

Setting ReadSetting(const std::vector<std::string>& files, const std::string& section, const std::string& key)
{
    const std::string name = key + " in section [" + section + "]";
    std::string searched;
    for (const std::string& file : files) {
        if (std::optional<std::string> value = FindIniValue(file, section, key))
            return {std::move(*value), name + " of " + file};
        searched += (searched.empty() ? "" : ", ") + file;
    }
    return {{}, name + ", set in none of " + searched};
}

void LoadSettings(AppState& app)
{
    std::string value = ReadSetting(SettingsFiles(app.programFolder), "BeneChargeProfile", "BeneChargeFlag").text;
    std::transform(value.begin(), value.end(), value.begin(), [](unsigned char c) { return std::toupper(c); });
    app.beneChargeFlag = value == "TRUE";
}

void LoadFeeRanges(AppState& app)
{
    const std::vector<std::string> files = SettingsFiles(app.programFolder);
    app.rangeFee1 = ReadSetting(files, "ThreeTierRate", "RangeFee1");
    app.rangeFee2 = ReadSetting(files, "ThreeTierRate", "RangeFee2");
    app.rangeFee3 = ReadSetting(files, "ThreeTierRate", "RangeFee3");
}

Currency FeeAmount(const Setting& fee)
{
    try {
        return StrToCurr(fee.text);
    } catch (const AppError& e) {
        throw AppError(e.kind(), e.message() + " (" + fee.origin + ")");
    }
}

} // namespace tallivo
