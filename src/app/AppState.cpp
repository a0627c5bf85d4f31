#include "app/AppState.h"

#include "app/UserFolders.h"
#include "app/TableAccountRow.h"
#include "store/TableStore.h"

#include <climits>
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
