#pragma once
// What the fuzz targets share: a private folder for the files they write, and a stop
// that names the broken promise (abort() makes the fuzzer keep the input).
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

#include <unistd.h>

namespace tallivo::fuzz {

// A folder of this process's own, made once and removed at exit.
inline const std::string& PrivateFolder()
{
    static const std::string folder = [] {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/tallivo-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        static const std::string removeCommand = "rm -rf '" + pattern + "'";
        std::atexit([] { [[maybe_unused]] const int rc = std::system(removeCommand.c_str()); });
        return pattern + "/";
    }();
    return folder;
}

inline void WriteBytes(const std::string& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::perror(path.c_str());
        std::abort();
    }
}

inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

[[noreturn]] inline void Broken(const std::string& promise)
{
    std::fprintf(stderr, "oracle: %s\n", promise.c_str());
    std::fflush(stderr);
    std::abort();
}

inline void Expect(bool holds, const std::string& promise)
{
    if (!holds)
        Broken(promise);
}

} // namespace tallivo::fuzz
