// The signal handler works with what is safe in a handler alone: atomics, fixed buffers
// and system calls (unlink, rmdir, open, getdents64, unlinkat, sigaction, raise, _exit).
#include "common/SignalCleanup.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tallivo {

namespace {

constexpr int kSlots = 16;
enum SlotState : int { kFree, kFilling, kFile, kFolder };

struct Slot
{
    std::atomic<int> state{kFree};
    char path[PATH_MAX] = {};
};

Slot g_slots[kSlots];
std::atomic<int> g_shields{0};
std::atomic<int> g_pendingSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
// The handlers installed before ours (a front end's own cleanup), called after ours.
using Handler = void (*)(int);
std::atomic<Handler> g_previous[3] = {};
static_assert(std::atomic<Handler>::is_always_lock_free);

int SignalIndex(int signal)
{
    for (int i = 0; i < 3; ++i)
        if (kSignals[i] == signal)
            return i;
    return -1;
}

// Removes the entries of a folder (one level: the temporary folders hold plain files).
void EmptyFolder(const char* path)
{
    const int fd = ::open(path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    alignas(8) char buffer[4096];
    // Entries removed while the folder is read may hide others: read it again until a
    // pass removes nothing.
    for (bool removed = true; removed;) {
        removed = false;
        ::lseek(fd, 0, SEEK_SET);
        for (;;) {
            const long n = ::syscall(SYS_getdents64, fd, buffer, sizeof buffer);
            if (n <= 0)
                break;
            for (long offset = 0; offset < n;) {
                // struct linux_dirent64: 8-byte inode, 8-byte offset, 2-byte length, 1-byte type, name.
                std::uint16_t length = 0;
                std::memcpy(&length, buffer + offset + 16, sizeof length);
                const char* name = buffer + offset + 19;
                const bool dot = name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
                if (!dot && ::unlinkat(fd, name, 0) == 0)
                    removed = true;
                offset += length;
            }
        }
    }
    ::close(fd);
}

void RemoveTemporaries()
{
    for (Slot& slot : g_slots) {
        const int state = slot.state.load();
        if (state == kFile) {
            ::unlink(slot.path);
        } else if (state == kFolder) {
            EmptyFolder(slot.path);
            ::rmdir(slot.path);
        }
    }
}

[[noreturn]] void EndBySignal(int signal)
{
    RemoveTemporaries();
    if (const int i = SignalIndex(signal); i >= 0)
        if (const Handler previous = g_previous[i].load())
            previous(signal); // may end the process itself
    struct sigaction action
    {
    };
    action.sa_handler = nullptr; // SIG_DFL: the signal's own ending
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(signal);
    ::_exit(128 + signal);
}

extern "C" void OnEndingSignal(int signal)
{
    if (g_shields.load() > 0) {
        g_pendingSignal.store(signal);
        return;
    }
    EndBySignal(signal);
}

} // namespace

void CleanUpOnSignals()
{
    struct sigaction action
    {
    };
    action.sa_handler = OnEndingSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : kSignals)
        sigaddset(&action.sa_mask, signal);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < 3; ++i) {
        struct sigaction previous
        {
        };
        ::sigaction(kSignals[i], &action, &previous);
        const bool function = (previous.sa_flags & SA_SIGINFO) == 0 && previous.sa_handler != SIG_DFL &&
                              previous.sa_handler != SIG_IGN && previous.sa_handler != OnEndingSignal;
        g_previous[i].store(function ? previous.sa_handler : nullptr);
    }
}

int RegisterTemporary(const std::string& path, bool folder)
{
    if (path.empty() || path.size() >= PATH_MAX)
        return -1;
    for (int i = 0; i < kSlots; ++i) {
        int expected = kFree;
        if (!g_slots[i].state.compare_exchange_strong(expected, kFilling))
            continue;
        std::memcpy(g_slots[i].path, path.c_str(), path.size() + 1);
        g_slots[i].state.store(folder ? kFolder : kFile);
        return i;
    }
    return -1;
}

void UnregisterTemporary(int slot) noexcept
{
    if (slot >= 0 && slot < kSlots)
        g_slots[slot].state.store(kFree);
}

SignalShield::SignalShield()
{
    g_shields.fetch_add(1);
}

SignalShield::~SignalShield()
{
    if (g_shields.fetch_sub(1) == 1) {
        if (const int signal = g_pendingSignal.exchange(0); signal != 0)
            EndBySignal(signal);
    }
}

} // namespace tallivo
