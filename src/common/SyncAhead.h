#pragma once
// Syncs a file that is being written, now and then, on a thread of its own: what was
// written so far reaches the disk, and leaves the disk's own cache, while the writer goes
// on, so the writer's last sync has only the rest to wait for. On a disk whose cache
// takes as long to empty as the data took to write (a virtual machine's disk), that last
// sync would otherwise wait for the whole file.
//
// The syncs go through an open file of their own: an error they meet is still reported
// to the writer's own sync, which is the one that counts.
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace tallivo {

class WorkThread;

class SyncAhead
{
public:
    // path: the file being written (it keeps its name while this lives).
    explicit SyncAhead(const std::string& path);
    // Waits for a sync under way.
    ~SyncAhead();
    SyncAhead(const SyncAhead&) = delete;
    SyncAhead& operator=(const SyncAhead&) = delete;

    // Asks for a sync of what was written up to now; one under way is followed by one more.
    // Does nothing when the file could not be opened.
    void Request() noexcept;

private:
    void Run();

    int m_fd = -1;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_requested = false;
    bool m_stopping = false;
    std::unique_ptr<WorkThread> m_thread; // started at the first request
};

// Keeps a large file on its way to disk while it is written in order: every 8 MB written
// are handed to the disk (StartWritingToDisk), and every syncStep synced ahead
// (SyncAhead, started at the first). The writer's own last sync then waits for little.
class ToDiskWhileWriting
{
public:
    // fd and path: the file being written, both valid while this lives.
    ToDiskWhileWriting(int fd, std::string path, std::uint64_t syncStep);
    ~ToDiskWhileWriting();
    ToDiskWhileWriting(const ToDiskWhileWriting&) = delete;
    ToDiskWhileWriting& operator=(const ToDiskWhileWriting&) = delete;

    // The file now holds `written` bytes, in order from its start.
    void Written(std::uint64_t written) noexcept;
    // No more syncs ahead; waits for one under way: before the writer's own sync.
    void StopSyncing() noexcept;

private:
    int m_fd;
    std::string m_path;
    std::uint64_t m_syncStep;
    std::uint64_t m_handedOn = 0; // the bytes handed to the disk
    std::uint64_t m_synced = 0;   // the bytes synced ahead (asked for)
    std::unique_ptr<SyncAhead> m_syncAhead;
};

} // namespace tallivo
