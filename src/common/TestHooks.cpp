#include "common/TestHooks.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace tallivo {

namespace {
constexpr std::chrono::seconds kLockWait{30};
std::atomic<bool> g_paused{false};
} // namespace

void PauseAt(std::string_view point)
{
    const char* value = std::getenv("TALLIVO_TEST_PAUSE");
    if (value == nullptr)
        return;
    const std::string_view setting(value);
    const auto colon = setting.find(':');
    if (colon == std::string_view::npos || setting.substr(0, colon) != point || g_paused.exchange(true))
        return;
    const std::string fifo(setting.substr(colon + 1));
    const int fd = ::open(fifo.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    char buffer[64];
    for (;;) {
        // Whatever the test writes is ignored; its closing the FIFO ends the wait.
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0 || (n < 0 && errno != EINTR))
            break;
    }
    ::close(fd);
}

std::chrono::milliseconds LockWait()
{
    const char* value = std::getenv("TALLIVO_TEST_LOCK_WAIT");
    if (value == nullptr || *value == '\0')
        return kLockWait;
    char* end = nullptr;
    const double seconds = std::strtod(value, &end);
    if (*end != '\0' || !(seconds >= 0))
        return kLockWait;
    return std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
}

std::string SystemSettingsFile()
{
    const char* value = std::getenv("TALLIVO_TEST_SYSTEM_SETTINGS");
    return value != nullptr && *value != '\0' ? value : "/etc/tallivo/Config.ini";
}

} // namespace tallivo
