#pragma once
// Small helpers for tests: a temporary folder per test and files written into it.
#include "format/RecordTypes.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <cstdlib>

namespace tallivo::test {

// A settings file of the machine the tests run on (a package installed there) must not
// change what they find: every test program and the programs it runs read none.
inline const bool kNoMachineSettings =
    ::setenv("TALLIVO_TEST_SYSTEM_SETTINGS", "/nonexistent/tallivo/Config.ini", 0) == 0;

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

// What a shell command writes on its standard output.
inline std::string CommandOutput(const std::string& cmd)
{
    std::string out;
    if (FILE* pipe = ::popen(cmd.c_str(), "r")) {
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0)
            out.append(buf, n);
        ::pclose(pipe);
    }
    return out;
}

// The digest that coreutils' sha1sum gives for a file, upper-cased, as a reference.
inline std::string Sha1sumOf(const std::string& path)
{
    std::string hex = CommandOutput("sha1sum '" + path + "'").substr(0, 40);
    for (char& c : hex)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return hex;
}

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
