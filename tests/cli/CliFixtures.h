#pragma once
// Fixtures of the CLI tests: the sample payment file and variants of it, a shell, JSON
// read back by Python, and a program folder of its own for tallivo-cli.
#include "cli/CliRunner.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace tallivo::test {

inline std::string Sample()
{
    return ReadAll(std::string(TALLIVO_SOURCE_DIR) + "/examples/sample-payment.txt");
}

// The sample's lines (without their CR LF; the last element is the empty rest).
inline std::vector<std::string> SampleLines()
{
    const std::string f = Sample();
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t pos; (pos = f.find("\r\n", start)) != std::string::npos; start = pos + 2)
        lines.push_back(f.substr(start, pos - start));
    lines.push_back(f.substr(start));
    return lines;
}

inline std::string JoinLines(const std::vector<std::string>& lines)
{
    std::string f;
    for (std::size_t i = 0; i < lines.size(); ++i)
        f += lines[i] + (i + 1 < lines.size() ? "\r\n" : "");
    return f;
}

// The sample cut after its first n lines (each with its CR LF).
inline std::string SampleCut(std::size_t n)
{
    std::vector<std::string> lines = SampleLines();
    lines.resize(n);
    return JoinLines(lines) + "\r\n";
}

// What the command prints on stdout and stderr together.
inline std::string Shell(const std::string& cmd)
{
    return CommandOutput(cmd + " 2>&1");
}

// Python reads the JSON lines of text strictly (UTF-8, no stray control bytes) into the
// list `objs` and prints the value of the expression; "INVALID ..." when it cannot.
inline std::string JsonQuery(const std::string& text, const std::string& expression)
{
    TempFolder dir;
    const std::string file = dir.Write("out.jsonl", text);
    const std::string script = "import json, sys\n"
                               "raw = open(sys.argv[1], 'rb').read()\n"
                               "try:\n"
                               "    objs = [json.loads(l.decode('utf-8', 'strict')) for l in raw.split(b'\\n') if l]\n"
                               "except Exception as e:\n"
                               "    print('INVALID', e); sys.exit()\n"
                               "r = " + expression + "\n"
                               "print(r if isinstance(r, str) else json.dumps(r, ensure_ascii=False), end='')\n";
    return Shell("python3 -c " + ShellQuote(script) + " " + ShellQuote(file));
}

// A program folder of its own: the programs (linked or copied) beside a copy of the
// build's Data/ and the report templates named.
class ProgramFolder
{
public:
    explicit ProgramFolder(const std::vector<std::string>& templates)
    {
        namespace fs = std::filesystem;
        const fs::path cli(TALLIVO_CLI);
        PlacePrograms(m_dir.Folder());
        fs::copy(cli.parent_path() / "Data", m_dir.Path("Data"), fs::copy_options::recursive);
        fs::create_directories(m_dir.Path("Report"));
        for (const std::string& name : templates)
            fs::copy_file(cli.parent_path() / "Report" / name, m_dir.Path("Report/" + name));
    }
    std::string Cli() const { return m_dir.Path("tallivo-cli"); }
    const TempFolder& Dir() const { return m_dir; }

private:
    TempFolder m_dir;
};

} // namespace tallivo::test
