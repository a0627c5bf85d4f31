// A second thread deflates the data while the caller goes on: the caller's bytes are
// handed over in one of a few buffers (taken as they are, or copied into one); the thread compresses them and
// writes the result to an unnamed temporary file. At most kBuffers buffers exist, so
// memory stays the same whatever the size of the data.
#include "zip/DeflatedEntry.h"

#include "common/AppError.h"
#include "common/FilePaths.h"
#include "common/WorkAhead.h"
#include "common/WriteAll.h"
#include "zip/Deflater.h"

#include <cerrno>
#include <condition_variable>
#include <deque>
#include <exception>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>
#include <string>
#include <vector>
#include <zlib.h>

namespace tallivo {

namespace {

constexpr std::size_t kBuffers = 4;

// An unnamed file in folder, read and written by this process alone.
int OpenUnnamedFile(const std::string& folder)
{
    int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0)
        return fd;
    // A file system without unnamed files: a named one, unlinked at once.
    std::string path;
    fd = CreateTempFile(folder + "/.tallivo-tmp", 0600, path);
    ::unlink(path.c_str());
    return fd;
}

} // namespace

struct DeflatedEntry::State
{
    int fd = -1;
    std::unique_ptr<Deflater> deflater;

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::string> queued; // handed to the thread, in order
    std::vector<std::string> spare; // free for the caller
    std::size_t buffers = 0;              // in existence
    bool ending = false;                  // no more data comes: finish the stream
    bool stopping = false;                // drop everything
    bool finished = false;                // the thread finished the stream
    std::exception_ptr error;
    std::unique_ptr<WorkThread> worker;

    std::string head; // the stored block before the deflated data
    std::uint32_t crc = 0;
    std::uint64_t size = 0;
    std::uint64_t compressedSize = 0;

    void Run()
    {
        try {
            for (;;) {
                std::string block;
                {
                    std::unique_lock lock(mutex);
                    changed.wait(lock, [&] { return stopping || ending || !queued.empty(); });
                    if (stopping)
                        return;
                    if (queued.empty()) {
                        deflater->Finish();
                        finished = true;
                        changed.notify_all();
                        return;
                    }
                    block = std::move(queued.front());
                    queued.pop_front();
                }
                deflater->Add(block.data(), block.size());
                block.clear();
                {
                    const std::lock_guard lock(mutex);
                    spare.push_back(std::move(block));
                }
                changed.notify_all();
            }
        } catch (...) {
            const std::lock_guard lock(mutex);
            error = std::current_exception();
            changed.notify_all();
        }
    }

    void RaiseError()
    {
        if (error)
            std::rethrow_exception(error);
    }
};

DeflatedEntry::DeflatedEntry(const std::string& folder) : m_state(std::make_unique<State>())
{
    State& s = *m_state;
    s.fd = OpenUnnamedFile(folder);
    s.deflater = std::make_unique<Deflater>([&s](const char* data, std::size_t size) { WriteAll(s.fd, data, size); });
    s.worker = std::make_unique<WorkThread>([&s](const StopToken&) { s.Run(); });
}

DeflatedEntry::~DeflatedEntry()
{
    State& s = *m_state;
    {
        const std::lock_guard lock(s.mutex);
        s.stopping = true;
    }
    s.changed.notify_all();
    s.worker.reset(); // waits for the thread
    if (s.fd >= 0)
        ::close(s.fd);
}

void DeflatedEntry::Add(const char* data, std::size_t size)
{
    std::string block(data, size);
    Add(block);
}

void DeflatedEntry::Add(std::string& block)
{
    if (block.empty())
        return;
    State& s = *m_state;
    std::string next;
    {
        std::unique_lock lock(s.mutex);
        s.changed.wait(lock, [&] { return s.error || !s.spare.empty() || s.buffers < kBuffers; });
        s.RaiseError();
        if (!s.spare.empty()) {
            next = std::move(s.spare.back());
            s.spare.pop_back();
        } else {
            ++s.buffers;
        }
        s.queued.push_back(std::move(block));
    }
    s.changed.notify_all();
    block = std::move(next);
    block.clear();
}

void DeflatedEntry::Finish(std::string_view head)
{
    State& s = *m_state;
    {
        std::unique_lock lock(s.mutex);
        s.ending = true;
        s.changed.notify_all();
        s.changed.wait(lock, [&] { return s.error || s.finished; });
        s.RaiseError();
    }
    s.worker->Join();

    // The head as a stored block that is not the last: its 3 header bits, padding to
    // the byte, then the length and its complement; the deflated data follows on a byte
    // border, so the two make one deflate stream.
    const auto length = static_cast<std::uint16_t>(head.size());
    const auto complement = static_cast<std::uint16_t>(~length);
    s.head = std::string{'\0', static_cast<char>(length & 0xFF), static_cast<char>(length >> 8),
                         static_cast<char>(complement & 0xFF), static_cast<char>(complement >> 8)};
    s.head.append(head);

    const auto headCrc = static_cast<uLong>(
        ::crc32(0, reinterpret_cast<const Bytef*>(head.data()), static_cast<uInt>(head.size())));
    s.crc = static_cast<std::uint32_t>(
        ::crc32_combine(headCrc, s.deflater->Crc32(), static_cast<z_off_t>(s.deflater->Size())));
    s.size = head.size() + s.deflater->Size();
    s.compressedSize = s.head.size() + s.deflater->CompressedSize();
}

std::uint32_t DeflatedEntry::Crc32() const
{
    return m_state->crc;
}

std::uint64_t DeflatedEntry::Size() const
{
    return m_state->size;
}

std::uint64_t DeflatedEntry::CompressedSize() const
{
    return m_state->compressedSize;
}

long long DeflatedEntry::ReadCompressed(std::uint64_t offset, char* out, std::size_t size) const
{
    const State& s = *m_state;
    std::size_t done = 0;
    while (done < size && offset < s.head.size()) {
        out[done++] = s.head[static_cast<std::size_t>(offset)];
        ++offset;
    }
    while (done < size) {
        const ssize_t n = ::pread(s.fd, out + done, size - done, static_cast<off_t>(offset - s.head.size()));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    return static_cast<long long>(done);
}

} // namespace tallivo
