#include "common/CommandProgress.h"

#include <string>

namespace tallivo {

namespace {

struct ThreadProgress
{
    ProgressListener* listener = nullptr;
    std::string stage;
    bool committed = false;
    bool cancelling = false;
};

thread_local ThreadProgress t_progress;

} // namespace

ProgressScope::ProgressScope(ProgressListener& listener)
    : m_outerListener(t_progress.listener), m_outerStage(std::move(t_progress.stage)),
      m_outerCommitted(t_progress.committed), m_outerCancelling(t_progress.cancelling)
{
    t_progress = ThreadProgress{&listener, {}, false, false};
}

ProgressScope::~ProgressScope()
{
    t_progress = ThreadProgress{m_outerListener, std::move(m_outerStage), m_outerCommitted, m_outerCancelling};
}

namespace progress {

void Stage(std::string_view name)
{
    if (!t_progress.listener)
        return;
    t_progress.stage.assign(name);
    t_progress.listener->Progress(t_progress.stage, -1);
    SafePoint();
}

void Share(double share)
{
    if (!t_progress.listener)
        return;
    t_progress.listener->Progress(t_progress.stage, share < 0 ? 0 : share > 1 ? 1 : share);
    SafePoint();
}

void ShareOnly(double share) noexcept
{
    if (!t_progress.listener)
        return;
    try {
        t_progress.listener->Progress(t_progress.stage, share < 0 ? 0 : share > 1 ? 1 : share);
    } catch (...) {
        // Progress is only shown: a listener's failure changes nothing of the command.
    }
}

void SafePoint()
{
    ThreadProgress& p = t_progress;
    if (!p.listener || p.committed || p.cancelling || !p.listener->CancelRequested())
        return;
    p.cancelling = true;
    throw CommandCancelled();
}

void FilesCommitted()
{
    ThreadProgress& p = t_progress;
    if (!p.listener || p.committed)
        return;
    p.committed = true;
    p.listener->FilesCommitted();
}

bool Cancelling()
{
    return t_progress.cancelling;
}

} // namespace progress

} // namespace tallivo
