#pragma once
// How a long command tells the front end running it how far it has come, and where it
// may stop when the user cancels. The front end installs a listener for the command's
// thread (ProgressScope); the commands name their stages, and the streaming reads
// (InputFile) and the writers report to it. Without a listener nothing is reported and
// nothing stops, so the CLI and the tests run as before.
//
// A command stops only at a safe point, and only while it has put nothing in place: once
// a file has been renamed over its target or a table transaction committed
// (progress::FilesCommitted), it runs to its end, and a later request to cancel is not
// honoured. So a cancelled command has changed no file, and one that was not stopped has
// done all it does.
#include <exception>
#include <string>
#include <string_view>

namespace tallivo {

class ProgressListener
{
public:
    virtual ~ProgressListener() = default;
    // The stage the command is in and the share of its current pass done, from 0 to 1;
    // below 0 while the share is not known. Called on the command's thread.
    virtual void Progress(std::string_view stage, double share) = 0;
    // Asked at every safe point; true stops the command there with CommandCancelled.
    virtual bool CancelRequested() = 0;
    // The command has put a file in place: from here on it runs to its end.
    virtual void FilesCommitted() {}
};

// Raised at a safe point when the user has cancelled. The command has changed no file.
class CommandCancelled : public std::exception
{
public:
    const char* what() const noexcept override { return "Cancelled"; }
};

// Makes a listener hear the commands run on this thread while the scope lasts; each
// scope starts with nothing committed.
class ProgressScope
{
public:
    explicit ProgressScope(ProgressListener& listener);
    ~ProgressScope();
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

private:
    ProgressListener* m_outerListener;
    std::string m_outerStage;
    bool m_outerCommitted;
    bool m_outerCancelling;
};

namespace progress {

// A new stage of the running command (share not known yet); a safe point.
void Stage(std::string_view name);
// The share of the current pass done, from 0 to 1; a safe point.
void Share(double share);
// The same share, told without a safe point: for the callbacks of C libraries, which no
// exception may cross.
void ShareOnly(double share) noexcept;
// Stops the command with CommandCancelled when the user has cancelled and nothing has
// been put in place yet.
void SafePoint();
// A file (or a table transaction) has been put in place.
void FilesCommitted();
// True while a CommandCancelled raised on this thread unwinds: a writer that would save
// its work when an error ends it leaves its file as it was instead.
bool Cancelling();

} // namespace progress

} // namespace tallivo
