#pragma once
// Runs the window's long commands (seal, Report, the tier-rate report, Save) one at a
// time on a worker thread, so the window keeps repainting and can cancel them.
//
// The command talks to the user through the runner's dialogs: a message, a question or
// a file dialog is shown by the window's own dialogs on the window's thread while the
// command waits for the answer; its progress and the wish to cancel it are kept here for
// the window to show and to read.
#include "app/Dialogs.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

class QThread;

namespace tallivo {

// How a command ended.
enum class CommandEnding {
    Completed,           // ran to its end (or stopped at a refusal or an error it showed)
    Cancelled,           // stopped at a safe point: it changed no file
    CompletedDespiteCancel, // the user cancelled after it had put a file in place
};

class CommandRunner : public QObject
{
    Q_OBJECT
public:
    // window: the dialogs that show what the command says, on the runner's thread.
    explicit CommandRunner(Dialogs& window, QObject* parent = nullptr);
    // Cancels a command still running and waits for it; it asks nothing more.
    ~CommandRunner() override;

    // What a running command is about to show: its text, and whether it is the command's
    // last word (a message with no choice but OK, or an error), after which it ends.
    struct Shown
    {
        std::string text;
        bool lastWord = false;
    };
    // Called on the window's thread around every dialog a running command shows, so the
    // window can show what the command has done so far and then hide it again.
    void SetAroundDialogs(std::function<void(const Shown&)> before, std::function<void()> after);

    bool Running() const { return m_thread != nullptr; }
    // Starts a command on the worker; Finished follows when it has ended.
    void Start(std::function<void(Dialogs&)> command);
    // Asks the running command to stop at its next safe point.
    void Cancel();

    struct Status
    {
        QString stage;
        double share = -1;           // below 0: not known
        bool cancelRequested = false;
        bool filesCommitted = false; // past the point where it can still be cancelled
    };
    Status CurrentStatus() const;

signals:
    void Finished(tallivo::CommandEnding ending);

private:
    class WorkerDialogs;
    void OnThreadFinished();

    Dialogs& m_window;
    std::unique_ptr<WorkerDialogs> m_dialogs;
    QThread* m_thread = nullptr;
    std::function<void(const Shown&)> m_before;
    std::function<void()> m_after;
    std::atomic<bool> m_cancelled{false};
};

} // namespace tallivo
