// The settings reader on any bytes as the settings file: it never fails, and every value
// it gives is what a plain reading of the file gives: the first line "key = value" of
// the first matching "[section]" (names matched without regard to ASCII letter case,
// blanks around names and values dropped), cut to 2047 bytes, or the default.
#include "FuzzSupport.h"
#include "app/Settings.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using tallivo::fuzz::Expect;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string Stripped(std::string s)
{
    while (!s.empty() && IsBlank(s.back()))
        s.pop_back();
    std::size_t i = 0;
    while (i < s.size() && IsBlank(s[i]))
        ++i;
    return s.substr(i);
}

std::string Upper(std::string s)
{
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

std::string Reference(const std::string& bytes, const std::string& section, const std::string& key,
                      const std::string& defaultValue)
{
    std::vector<std::string> lines(1);
    for (const char c : bytes) {
        if (c == '\n')
            lines.emplace_back();
        else
            lines.back() += c;
    }
    bool inSection = false;
    for (const std::string& raw : lines) {
        const std::string line = Stripped(raw);
        if (!line.empty() && line[0] == '[') {
            const std::size_t close = line.find(']');
            const std::string name = close == std::string::npos ? line.substr(1) : line.substr(1, close - 1);
            inSection = Upper(Stripped(name)) == Upper(section);
        } else if (inSection) {
            const std::size_t eq = line.find('=');
            if (eq != std::string::npos && Upper(Stripped(line.substr(0, eq))) == Upper(key))
                return Stripped(line.substr(eq + 1)).substr(0, 2047);
        }
    }
    return defaultValue;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string path = tallivo::fuzz::PrivateFolder() + "Config.ini";
    tallivo::fuzz::WriteBytes(path, bytes);

    struct Query
    {
        const char* section;
        const char* key;
    };
    static const Query kQueries[] = {{"BeneChargeProfile", "BeneChargeFlag"},
                                     {"ThreeTierRate", "RangeFee1"},
                                     {"ThreeTierRate", "RangeFee2"},
                                     {"threetierrate", "RANGEFEE3"}};
    for (const Query& q : kQueries) {
        const std::string got = tallivo::ReadIniValue(path, q.section, q.key, "default");
        const std::string expected = Reference(bytes, q.section, q.key, "default");
        Expect(got == expected, std::string("settings value of [") + q.section + "] " + q.key + " is '" + got +
                                    "', a plain reading gives '" + expected + "'");
    }
    return 0;
}
