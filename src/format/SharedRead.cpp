#include "format/SharedRead.h"

#include "common/CommandProgress.h"
#include "common/InputFile.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace tallivo {

namespace {

// Read ahead of the slowest taker at most this many batches (a buffer of the reader
// each): enough to ride over the takers' uneven pace; every further buffer is fresh
// memory to fault in.
constexpr std::size_t kBatchesAhead = 4;
constexpr std::uint64_t kLineEndBytes = 2;   // CR LF, for the share taken

} // namespace

SharedRead::SharedRead(std::unique_ptr<PaymentFileReader> reader, std::uint64_t fileSize, Watcher watcher,
                       std::size_t takers)
    : m_watcher(std::move(watcher)), m_fileSize(fileSize), m_takers(takers),
      m_reading([this, r = std::shared_ptr<PaymentFileReader>(std::move(reader))](const StopToken& stop) { Read(*r, stop); })
{
    for (Taker& taker : m_takers)
        taker.m_read = this;
}

SharedRead::~SharedRead()
{
    m_reading.Stop();
    StopHanding();
}

std::unique_ptr<SharedRead::Batch> SharedRead::FreeBatch()
{
    std::unique_ptr<Batch> batch;
    {
        const std::lock_guard lock(m_mutex);
        if (!m_free.empty()) {
            batch = std::move(m_free.back());
            m_free.pop_back();
        }
    }
    if (!batch)
        batch = std::make_unique<Batch>();
    batch->lines.clear();
    batch->longLines.clear();
    return batch;
}

ReadBuffer SharedRead::FreshBuffer()
{
    ReadBuffer buffer;
    {
        const std::lock_guard lock(m_mutex);
        if (!m_freeBuffers.empty()) {
            buffer = std::move(m_freeBuffers.back());
            m_freeBuffers.pop_back();
        }
    }
    buffer.resize(PaymentFileReader::kBufferSize);
    return buffer;
}

void SharedRead::Keep(ReadBuffer buffer)
{
    if (m_kept.empty()) {
        m_kept = std::move(buffer);
        return;
    }
    // A second buffer within one line's reading holds no line handed out.
    const std::lock_guard lock(m_mutex);
    m_freeBuffers.push_back(std::move(buffer));
}

bool SharedRead::Hand(std::unique_ptr<Batch>& batch)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_handing || m_ready.size() < kBatchesAhead; });
    if (!m_handing)
        return false;
    batch->pending = static_cast<std::size_t>(
        std::count_if(m_takers.begin(), m_takers.end(), [](const Taker& t) { return t.m_active; }));
    if (batch->pending == 0) {
        m_handing = false; // nobody takes lines any more: the read goes on for the watcher
        return false;
    }
    m_ready.push_back(std::move(batch));
    lock.unlock();
    m_changed.notify_all();
    return true;
}

void SharedRead::Read(PaymentFileReader& reader, const StopToken& stop)
{
    try {
        reader.KeepBuffersWith(this);
        std::unique_ptr<Batch> batch = FreeBatch();
        bool handing = true;
        std::uint64_t bytesRead = 0;
        PaymentLine line;
        // The batch's lines lie in the buffer the reader read on from: it is handed on whole.
        auto handBatch = [&](ReadBuffer bytes) {
            if (handing && !batch->lines.empty()) {
                batch->bytes = std::move(bytes);
                handing = Hand(batch);
                batch = FreeBatch();
            } else {
                const std::lock_guard lock(m_mutex);
                m_freeBuffers.push_back(std::move(bytes));
            }
        };
        while (!stop.StopRequested() && reader.Next(line)) {
            if (!m_kept.empty())
                handBatch(std::exchange(m_kept, {}));
            const std::uint64_t number = reader.LineNumber();
            if (!m_watcher(line, number) && handing) {
                StopHanding();
                handing = false;
            }
            bytesRead += line.length + kLineEndBytes;
            if (!handing)
                continue;
            const char* text = line.text.data();
            if (line.Truncated()) // its bytes are the reader's, reused for the next long line
                text = batch->longLines.emplace_back(line.text).data();
            batch->lines.push_back({text, line.text.size(), line.length, number});
            batch->bytesRead = bytesRead;
        }
        if (!stop.StopRequested())
            handBatch(reader.ReleaseBuffer());
    } catch (...) {
        const std::lock_guard lock(m_mutex);
        m_error = std::current_exception();
    }
    {
        const std::lock_guard lock(m_mutex);
        m_done = true;
    }
    m_changed.notify_all();
}

void SharedRead::Retire()
{
    while (!m_ready.empty() && m_ready.front()->pending == 0) {
        m_freeBuffers.push_back(std::move(m_ready.front()->bytes));
        m_free.push_back(std::move(m_ready.front()));
        m_ready.pop_front();
        ++m_firstBatch;
    }
}

void SharedRead::Pass(Taker& taker)
{
    if (taker.m_current == nullptr)
        return;
    --taker.m_current->pending;
    taker.m_current = nullptr;
    taker.m_next = 0;
    ++taker.m_nextBatch;
}

void SharedRead::Deactivate(Taker& taker)
{
    if (!taker.m_active)
        return;
    taker.m_active = false;
    taker.m_current = nullptr;
    taker.m_next = 0;
    // Every batch from the taker's next one on counts it among those still to pass it.
    for (std::uint64_t seq = std::max(taker.m_nextBatch, m_firstBatch); seq < m_firstBatch + m_ready.size(); ++seq)
        --m_ready[seq - m_firstBatch]->pending;
    Retire();
}

bool SharedRead::TakeBatch(Taker& taker)
{
    std::unique_lock lock(m_mutex);
    Pass(taker);
    Retire();
    m_changed.notify_all();
    auto available = [&] { return taker.m_nextBatch < m_firstBatch + m_ready.size(); };
    const auto stopped = [&] { return taker.m_stop != nullptr && taker.m_stop->StopRequested(); };
    const auto ready = [&] { return !taker.m_active || available() || m_done || !m_handing || stopped(); };
    // A dropped taker's stop is seen within a few milliseconds.
    while (!m_changed.wait_for(lock, std::chrono::milliseconds(20), ready)) {
    }
    if (!taker.m_active || !m_handing || stopped() || !available()) {
        Deactivate(taker);
        m_changed.notify_all();
        return false;
    }
    taker.m_current = m_ready[taker.m_nextBatch - m_firstBatch].get();
    taker.m_next = 0;
    const std::uint64_t bytesTaken = taker.m_current->bytesRead;
    taker.m_bytesTaken = bytesTaken;
    lock.unlock();
    if (m_fileSize > 0) // a safe point of the taker's command
        progress::Share(std::min(1.0, static_cast<double>(bytesTaken) / static_cast<double>(m_fileSize)));
    return true;
}

double SharedRead::Taker::ShareTaken() const
{
    const std::uint64_t size = m_read ? m_read->m_fileSize : 0;
    return size > 0 ? std::min(1.0, static_cast<double>(m_bytesTaken.load()) / static_cast<double>(size)) : 0.0;
}

bool SharedRead::Taker::Next(PaymentLine& line)
{
    while (m_current == nullptr || m_next == m_current->lines.size())
        if (!m_read->TakeBatch(*this))
            return false;
    const Line& held = m_current->lines[m_next++];
    line.text = std::string_view(held.text, held.size);
    line.length = held.length;
    m_lineNumber = held.number;
    return true;
}

void SharedRead::Taker::StopTaking()
{
    {
        const std::lock_guard lock(m_read->m_mutex);
        m_read->Deactivate(*this);
    }
    m_read->m_changed.notify_all();
}

void SharedRead::StopHanding()
{
    {
        const std::lock_guard lock(m_mutex);
        m_handing = false;
    }
    m_changed.notify_all();
}

void SharedRead::Finish()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_done; });
    if (m_error)
        std::rethrow_exception(m_error);
}

std::unique_ptr<SharedRead> ReadShared(std::unique_ptr<InputFile> file, LineForm form, SharedRead::Watcher watcher,
                                       std::size_t takers)
{
    const std::uint64_t size = file->Size();
    auto reader = std::make_unique<PaymentFileReader>(std::move(file), form);
    return std::make_unique<SharedRead>(std::move(reader), size, std::move(watcher), takers);
}

} // namespace tallivo
