#include "gui/CommandRunner.h"

#include "app/ErrorHandler.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>

namespace tallivo {

// The dialogs a command on the worker talks to: what it shows goes to the window's
// dialogs on the runner's thread, with the command waiting; its progress is kept.
class CommandRunner::WorkerDialogs : public Dialogs
{
public:
    explicit WorkerDialogs(CommandRunner& runner) : m_runner(runner) {}

    void ShowMessage(const std::string& text) override
    {
        OnWindowThread({text, true}, [&] { m_runner.m_window.ShowMessage(text); });
    }
    MsgButton MessageDlg(const std::string& text, MsgKind kind, const std::vector<MsgButton>& buttons) override
    {
        MsgButton answer = MsgButton::None;
        const bool onlyOk = buttons.size() == 1 && buttons.front() == MsgButton::Ok;
        OnWindowThread({text, onlyOk}, [&] { answer = m_runner.m_window.MessageDlg(text, kind, buttons); });
        return answer;
    }
    std::optional<std::string> RunFileDialog(FileDialogKind kind) override
    {
        std::optional<std::string> path;
        OnWindowThread({}, [&] { path = m_runner.m_window.RunFileDialog(kind); });
        return path;
    }
    std::optional<std::string> RunFileDialogAt(FileDialogKind kind, const std::string& offered) override
    {
        std::optional<std::string> path;
        OnWindowThread({}, [&] { path = m_runner.m_window.RunFileDialogAt(kind, offered); });
        return path;
    }
    void ShowError(const std::string& text) override
    {
        OnWindowThread({text, true}, [&] { m_runner.m_window.ShowError(text); });
    }

    void Progress(std::string_view stage, double share) override
    {
        {
            const std::lock_guard lock(m_mutex);
            if (m_stage != stage)
                m_stage.assign(stage);
        }
        m_share = share;
        m_runner.m_window.Progress(stage, share);
    }
    bool CancelRequested() override { return cancel || m_runner.m_window.CancelRequested(); }
    void FilesCommitted() override
    {
        committed = true;
        m_runner.m_window.FilesCommitted();
    }

    void Reset()
    {
        const std::lock_guard lock(m_mutex);
        m_stage.clear();
        m_share = -1;
        cancel = false;
        committed = false;
    }
    Status CurrentStatus() const
    {
        Status status;
        {
            const std::lock_guard lock(m_mutex);
            status.stage = QString::fromStdString(m_stage);
        }
        status.share = m_share;
        status.cancelRequested = cancel;
        status.filesCommitted = committed;
        return status;
    }

    std::atomic<bool> cancel{false};
    std::atomic<bool> committed{false};
    std::atomic<bool> closing{false}; // the window is going: nothing more is shown

private:
    void OnWindowThread(const Shown& shown, const std::function<void()>& show)
    {
        const auto around = [this, &shown, &show] {
            if (closing)
                return;
            if (m_runner.m_before)
                m_runner.m_before(shown);
            show();
            if (m_runner.m_after)
                m_runner.m_after();
        };
        if (QThread::currentThread() == m_runner.thread())
            around();
        else
            QMetaObject::invokeMethod(&m_runner, around, Qt::BlockingQueuedConnection);
    }

    CommandRunner& m_runner;
    mutable std::mutex m_mutex;
    std::string m_stage;
    std::atomic<double> m_share{-1};
};

CommandRunner::CommandRunner(Dialogs& window, QObject* parent)
    : QObject(parent), m_window(window), m_dialogs(std::make_unique<WorkerDialogs>(*this))
{
}

CommandRunner::~CommandRunner()
{
    if (!m_thread)
        return;
    m_dialogs->closing = true;
    m_dialogs->cancel = true;
    // A command waiting for a dialog is answered at once (nothing is shown any more).
    while (!m_thread->wait(10))
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    delete m_thread;
}

void CommandRunner::SetAroundDialogs(std::function<void(const Shown&)> before, std::function<void()> after)
{
    m_before = std::move(before);
    m_after = std::move(after);
}

void CommandRunner::Start(std::function<void(Dialogs&)> command)
{
    if (m_thread)
        return;
    m_dialogs->Reset();
    m_cancelled = false;
    m_thread = QThread::create([this, command = std::move(command)] {
        try {
            RunCommand(*m_dialogs, [&] { command(*m_dialogs); });
        } catch (const CommandCancelled&) {
            m_cancelled = true;
        }
    });
    connect(m_thread, &QThread::finished, this, &CommandRunner::OnThreadFinished);
    m_thread->start();
}

void CommandRunner::Cancel()
{
    if (m_thread)
        m_dialogs->cancel = true;
}

CommandRunner::Status CommandRunner::CurrentStatus() const
{
    return m_dialogs->CurrentStatus();
}

void CommandRunner::OnThreadFinished()
{
    if (!m_thread)
        return;
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    CommandEnding ending = CommandEnding::Completed;
    if (m_cancelled)
        ending = CommandEnding::Cancelled;
    else if (m_dialogs->cancel)
        ending = CommandEnding::CompletedDespiteCancel;
    emit Finished(ending);
}

} // namespace tallivo
