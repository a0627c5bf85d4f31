#include "cli/CliDialogs.h"

#include "cli/Streams.h"
#include "cli/TextForms.h"

namespace tallivo::cli {

namespace {
// The prefix names a file as the file system spells it: a line end or an escape in the
// name is shown as a symbol, never passed to the terminal.
void PrintLine(const std::string& prefix, const std::string& text)
{
    WriteStderr(Visible(prefix) + Visible(MessageUtf8(text)) + "\n");
}
} // namespace

void CliDialogs::Show(const std::string& text)
{
    messages.push_back(text);
    if (quiet)
        m_held.push_back(text);
    else
        PrintLine(prefix, text);
}

void CliDialogs::ShowHeldMessages()
{
    for (const std::string& text : m_held)
        PrintLine(prefix, text);
    m_held.clear();
}

void CliDialogs::ShowMessage(const std::string& text)
{
    Show(text);
}

MsgButton CliDialogs::MessageDlg(const std::string& text, MsgKind, const std::vector<MsgButton>&)
{
    Show(text);
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
    ShowHeldMessages();
    messages.push_back(text);
    PrintLine(prefix, text);
}

} // namespace tallivo::cli
