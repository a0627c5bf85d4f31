#include "common/SyncAhead.h"

#include "common/WorkAhead.h"
#include "common/WriteAll.h"

#include <fcntl.h>
#include <unistd.h>

namespace tallivo {

SyncAhead::SyncAhead(const std::string& path) : m_fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW)) {}

SyncAhead::~SyncAhead()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.reset(); // waits for a sync under way
    if (m_fd >= 0)
        ::close(m_fd);
}

void SyncAhead::Request() noexcept
{
    if (m_fd < 0)
        return;
    try {
        {
            const std::lock_guard lock(m_mutex);
            m_requested = true;
        }
        m_changed.notify_all();
        if (!m_thread)
            m_thread = std::make_unique<WorkThread>([this](const StopToken&) { Run(); });
    } catch (...) {
        // Without the thread the writer's own sync does it all, as it would anyway.
    }
}

void SyncAhead::Run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_requested || m_stopping; });
        if (m_stopping)
            return;
        m_requested = false;
        lock.unlock();
        ::fdatasync(m_fd); // an error is the writer's sync's to report
        lock.lock();
    }
}

namespace {
constexpr std::uint64_t kHandOnStep = 8 << 20;
} // namespace

ToDiskWhileWriting::ToDiskWhileWriting(int fd, std::string path, std::uint64_t syncStep)
    : m_fd(fd), m_path(std::move(path)), m_syncStep(syncStep)
{
}

ToDiskWhileWriting::~ToDiskWhileWriting() = default;

void ToDiskWhileWriting::Written(std::uint64_t written) noexcept
{
    if (written - m_handedOn < kHandOnStep)
        return;
    StartWritingToDisk(m_fd, m_handedOn, written - m_handedOn); // the writer's sync waits for the rest
    m_handedOn = written;
    if (written - m_synced < m_syncStep)
        return;
    try {
        if (!m_syncAhead)
            m_syncAhead = std::make_unique<SyncAhead>(m_path);
    } catch (...) {
        return; // the writer's own sync does it all
    }
    m_syncAhead->Request();
    m_synced = written;
}

void ToDiskWhileWriting::StopSyncing() noexcept
{
    m_syncAhead.reset();
}

} // namespace tallivo
