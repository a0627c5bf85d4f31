#include "cli/CliDialogs.h"

#include <cstdio>

namespace tallivo::cli {

namespace {
void PrintLine(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}
} // namespace

void CliDialogs::ShowMessage(const std::string& text)
{
    messages.push_back(text);
    PrintLine(text);
}

MsgButton CliDialogs::MessageDlg(const std::string& text, MsgKind, const std::vector<MsgButton>&)
{
    messages.push_back(text);
    PrintLine(text);
    if (m_next < answers.size())
        return answers[m_next++];
    return MsgButton::None;
}

std::optional<std::string> CliDialogs::RunFileDialog(FileDialogKind)
{
    return std::nullopt;
}

void CliDialogs::ShowError(const std::string& text)
{
    messages.push_back(text);
    PrintLine(text);
}

} // namespace tallivo::cli
