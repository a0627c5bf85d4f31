#include "app/AppState.h"

#include "app/TableAccountRow.h"
#include "app/UserFolders.h"
#include "common/AppError.h"
#include "common/FileLock.h"
#include "common/TestHooks.h"
#include "store/TableStore.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <unistd.h>

namespace tallivo {

AppState::AppState() : programFolder(ExecutableFolder())
{
    SetClock(std::make_shared<SystemClock>());
    m_accountRow = std::make_unique<TableAccountRow>([this]() -> TableStore& { return Tables(); });
    session.accountRow = m_accountRow.get();
}

AppState::~AppState() = default;

std::string AppState::DataFolder() const
{
    return TableFolder(programFolder);
}

TableStore& AppState::Tables()
{
    if (!m_tables)
        m_tables = std::make_unique<TableStore>(DataFolder());
    return *m_tables;
}

void AppState::SetClock(std::shared_ptr<const Clock> clock)
{
    m_clock = std::move(clock);
    session.clock = m_clock.get();
}

TablesLock::TablesLock(AppState& app) : TablesLock(app, true) {}

std::unique_ptr<TablesLock> TablesLock::IfFree(AppState& app)
{
    try {
        app.DataFolder();
    } catch (const AppError&) {
        return nullptr; // the table folder's own error shows where the command needs it
    }
    auto lock = std::make_unique<TablesLock>(app, false);
    if (!lock->m_held)
        lock.reset();
    return lock;
}

TablesLock::TablesLock(AppState& app, bool wait) : m_app(app)
{
    if (m_app.m_tablesLockDepth > 0) {
        ++m_app.m_tablesLockDepth;
        return;
    }
    const std::string folder = m_app.Tables().DataFolder();
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const auto now = std::chrono::steady_clock::now();
    if (fd >= 0 && !wait && !LockExclusively(fd, now, {})) {
        ::close(fd);
        m_held = false;
        return;
    }
    if (fd >= 0 && wait && !LockExclusively(fd, now + LockWait(), "tables-lock-wait")) {
        ::close(fd);
        throw AppError(AppError::Kind::Store,
                       "The table files in " + folder +
                           " are in use by another Tallivo command; try again when it has finished");
    }
    // No folder: the store's own error names it at the first statement.
    m_app.m_tablesLockFd = fd;
    ++m_app.m_tablesLockDepth;
}

TablesLock::~TablesLock()
{
    if (!m_held)
        return;
    if (--m_app.m_tablesLockDepth > 0 || m_app.m_tablesLockFd < 0)
        return;
    ::close(m_app.m_tablesLockFd);
    m_app.m_tablesLockFd = -1;
}

std::string ExecutableFolder()
{
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return "./";
    std::string exe(path, static_cast<std::size_t>(n));
    return exe.substr(0, exe.find_last_of('/') + 1);
}

} // namespace tallivo
