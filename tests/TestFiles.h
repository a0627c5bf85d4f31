#pragma once
// Small helpers for tests: a temporary folder per test and files written into it.
#include "format/RecordTypes.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace tallivo::test {

class TempFolder
{
public:
    TempFolder()
    {
        std::random_device rd;
        m_path = std::filesystem::temp_directory_path() / ("tallivo-test-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(m_path);
    }
    ~TempFolder()
    {
        std::error_code ec;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(m_path, ec);
    }
    std::string Path(const std::string& name) const { return (m_path / name).string(); }
    std::string Folder() const { return m_path.string() + "/"; }

    std::string Write(const std::string& name, const std::string& bytes) const
    {
        const std::string p = Path(name);
        std::filesystem::create_directories(std::filesystem::path(p).parent_path());
        std::ofstream out(p, std::ios::binary);
        out << bytes;
        return p;
    }

private:
    std::filesystem::path m_path;
};

inline std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A record of the given type code padded with blanks to the given length.
inline std::string Record(const std::string& code, std::size_t length, char fill = ' ')
{
    std::string r = code;
    r.resize(length, fill);
    return r;
}
// A record of a known type code padded to the type's length.
inline std::string Record(std::string_view code)
{
    return Record(std::string(code), RecordLength(code));
}

} // namespace tallivo::test
