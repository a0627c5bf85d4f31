#pragma once
// What the fuzz targets share: a private folder for the files they write, dialogs that
// answer from a script, and a stop that names the broken promise (abort() makes the
// fuzzer keep the input).
#include "app/Dialogs.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// Message dialogs take the next scripted answer (none left: the dialog is closed);
// file dialogs are cancelled; every text shown is kept.
class ScriptedAnswers : public Dialogs
{
public:
    explicit ScriptedAnswers(std::vector<MsgButton> answers) : m_answers(std::move(answers)) {}
    void ShowMessage(const std::string& text) override { shown.push_back(text); }
    MsgButton MessageDlg(const std::string& text, MsgKind, const std::vector<MsgButton>&) override
    {
        shown.push_back(text);
        return m_next < m_answers.size() ? m_answers[m_next++] : MsgButton::None;
    }
    std::optional<std::string> RunFileDialog(FileDialogKind) override { return std::nullopt; }
    void ShowError(const std::string& text) override { shown.push_back(text); }

    std::vector<std::string> shown;

private:
    std::vector<MsgButton> m_answers;
    std::size_t m_next = 0;
};

} // namespace tallivo::fuzz
