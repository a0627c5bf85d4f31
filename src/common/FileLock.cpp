#include "common/FileLock.h"

#include "common/TestHooks.h"

#include <cerrno>
#include <sys/file.h>
#include <thread>

namespace tallivo {

namespace {
constexpr std::chrono::milliseconds kPoll{20};
} // namespace

bool LockExclusively(int fd, std::chrono::steady_clock::time_point deadline, std::string_view waitPoint)
{
    bool waited = false;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            return true; // a file system without locks: nothing to wait for
        if (!waited) {
            waited = true;
            PauseAt(waitPoint);
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(kPoll);
    }
}

} // namespace tallivo
