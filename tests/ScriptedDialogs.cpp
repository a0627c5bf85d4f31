#include "ScriptedDialogs.h"

namespace tallivo {

void ScriptedDialogs::ShowMessage(const std::string& text)
{
    shown.push_back({Shown::Type::Message, MsgKind::Information, text});
}

MsgButton ScriptedDialogs::MessageDlg(const std::string& text, MsgKind kind, const std::vector<MsgButton>&)
{
    shown.push_back({Shown::Type::Dialog, kind, text});
    if (m_nextButton < buttonAnswers.size())
        return buttonAnswers[m_nextButton++];
    return MsgButton::None;
}

std::optional<std::string> ScriptedDialogs::RunFileDialog(FileDialogKind kind)
{
    fileDialogsRun.push_back(kind);
    if (m_nextFile < fileAnswers.size())
        return fileAnswers[m_nextFile++];
    return std::nullopt;
}

std::optional<std::string> ScriptedDialogs::RunFileDialogAt(FileDialogKind kind, const std::string& offered)
{
    offeredPaths.push_back(offered);
    return RunFileDialog(kind);
}

void ScriptedDialogs::ShowError(const std::string& text)
{
    shown.push_back({Shown::Type::Error, MsgKind::Error, text});
}

std::vector<std::string> ScriptedDialogs::Texts() const
{
    std::vector<std::string> texts;
    for (const Shown& s : shown)
        texts.push_back(s.text);
    return texts;
}

} // namespace tallivo
