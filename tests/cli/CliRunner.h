#pragma once
// Runs the built tallivo-cli with arguments and captures its exit status, stdout and stderr.
#include "TestFiles.h"

#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace tallivo::test {

// Puts the built programs into folder (linked, or copied): tallivo-cli and
// tallivo-cli-pdf, which it runs for a PDF from its own folder.
inline void PlacePrograms(const std::string& folder)
{
    namespace fs = std::filesystem;
    const fs::path built = fs::path(TALLIVO_CLI).parent_path();
    for (const char* name : {"tallivo-cli", "tallivo-cli-pdf"}) {
        std::error_code ec;
        fs::create_hard_link(built / name, fs::path(folder) / name, ec);
        if (ec)
            fs::copy_file(built / name, fs::path(folder) / name);
    }
}

struct CliResult
{
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string ShellQuote(const std::string& s)
{
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// env is put before the command as it stands (variables, "cd DIR &&", "cat FILE |").
inline CliResult RunCli(const std::vector<std::string>& args, const std::string& env = "",
                        const std::string& program = TALLIVO_CLI)
{
    TempFolder io;
    std::string cmd = env + " " + ShellQuote(program);
    for (const std::string& a : args)
        cmd += " " + ShellQuote(a);
    cmd += " >" + ShellQuote(io.Path("out")) + " 2>" + ShellQuote(io.Path("err"));
    const int raw = std::system(cmd.c_str());
    CliResult r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = ReadAll(io.Path("out"));
    r.err = ReadAll(io.Path("err"));
    return r;
}

} // namespace tallivo::test
