#include "format/ReadAheadReader.h"

#include "common/CommandProgress.h"

#include <algorithm>
#include <cstring>
#include <sys/stat.h>

namespace tallivo {

namespace {

constexpr std::size_t kBatchBytes = 1 << 20; // a batch is handed on once it holds this much
constexpr std::size_t kBatchesAhead = 4;        // read ahead of the taker at most
constexpr std::uint64_t kLineEndBytes = 2;      // CR LF, for the share taken

} // namespace

ReadAheadReader::ReadAheadReader(const std::string& path, LineForm form, Watcher watcher)
    : m_watcher(std::move(watcher))
{
    auto reader = std::make_unique<PaymentFileReader>(path, form);
    struct stat info{};
    if (::stat(path.c_str(), &info) == 0 && info.st_size > 0)
        m_fileSize = static_cast<std::uint64_t>(info.st_size);
    m_thread = std::thread([this, r = std::move(reader)]() mutable { Read(std::move(r)); });
}

ReadAheadReader::~ReadAheadReader()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
        m_handing = false;
    }
    m_changed.notify_all();
    m_thread.join();
}

std::unique_ptr<ReadAheadReader::Batch> ReadAheadReader::FreeBatch()
{
    std::unique_ptr<Batch> batch;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_free.empty()) {
            batch = std::move(m_free.back());
            m_free.pop_back();
        }
    }
    if (!batch) {
        batch = std::make_unique<Batch>();
        batch->bytes.reserve(kBatchBytes + PaymentFileReader::kHeldBytes);
    }
    batch->bytes.clear();
    batch->lines.clear();
    return batch;
}

bool ReadAheadReader::Hand(std::unique_ptr<Batch>& batch)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_handing || m_ready.size() < kBatchesAhead; });
    if (!m_handing)
        return false;
    m_ready.push_back(std::move(batch));
    lock.unlock();
    m_changed.notify_all();
    return true;
}

void ReadAheadReader::Read(std::unique_ptr<PaymentFileReader> reader)
{
    try {
        std::unique_ptr<Batch> batch = FreeBatch();
        bool handing = true;
        std::uint64_t bytesRead = 0;
        PaymentLine line;
        while (reader->Next(line)) {
            const std::uint64_t number = reader->LineNumber();
            bytesRead += line.length + kLineEndBytes;
            if (!m_watcher(line, number) && handing) {
                StopHanding();
                handing = false;
            }
            if (!handing)
                continue;
            batch->lines.push_back({batch->bytes.size(), line.text.size(), line.length, number});
            batch->bytes.insert(batch->bytes.end(), line.text.begin(), line.text.end());
            if (batch->bytes.size() >= kBatchBytes) {
                batch->bytesRead = bytesRead;
                handing = Hand(batch);
                if (handing)
                    batch = FreeBatch();
            }
            if (m_stop.load(std::memory_order_relaxed))
                break;
        }
        if (handing && !batch->lines.empty()) {
            batch->bytesRead = bytesRead;
            Hand(batch);
        }
    } catch (...) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_error = std::current_exception();
    }
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_done = true;
    }
    m_changed.notify_all();
}

bool ReadAheadReader::Next(PaymentLine& line)
{
    while (!m_current || m_next == m_current->lines.size()) {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_current)
            m_free.push_back(std::move(m_current));
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return !m_ready.empty() || m_done || !m_handing; });
        if (m_ready.empty())
            return false;
        m_current = std::move(m_ready.front());
        m_ready.pop_front();
        m_next = 0;
        m_bytesTaken = m_current->bytesRead;
        lock.unlock();
        progress::Share(ShareTaken()); // a safe point of the taker's command
    }
    const Line& held = m_current->lines[m_next++];
    line.text = std::string_view(m_current->bytes.data() + held.offset, held.size);
    line.length = held.length;
    m_lineNumber = held.number;
    return true;
}

double ReadAheadReader::ShareTaken() const
{
    if (m_fileSize == 0)
        return 0;
    return std::min(1.0, static_cast<double>(m_bytesTaken) / static_cast<double>(m_fileSize));
}

void ReadAheadReader::StopTaking()
{
    StopHanding();
    m_current.reset();
    m_next = 0;
}

void ReadAheadReader::StopHanding()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_handing = false;
        m_ready.clear();
    }
    m_changed.notify_all();
}

void ReadAheadReader::Finish()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return m_done; });
    if (m_error)
        std::rethrow_exception(m_error);
}

} // namespace tallivo
