#pragma once
// One read of a payment file shared by every stage that needs its lines: a thread of the
// read's own reads the file line by line (PaymentFileReader) and shows every line to a
// watcher there, while each taker takes the same lines, in order, on a thread of its own
// through a LineSource. The lines travel in a few batches of bounded size, each kept
// until every taker has passed it, so memory does not grow with the file and the read
// goes as fast as its slowest taker.
//
//     SharedRead read(std::move(reader), size, [&](const PaymentLine& line, std::uint64_t number) {
//         scan.Add(line, number); // on the reading thread
//         return !scan.Refusing(); // false: no taker gets lines any more
//     }, 2);
//     // taker 0 on this thread, taker 1 on another: while (read.Taker(i).Next(line)) ...
//     read.Finish();              // the watcher has seen every line; raises a read error
//
// The watcher sees every line of the file however soon the takers stop; once it returns
// false, Next ends for every taker. A taker that stops early (StopTaking, or the stop
// token it watches) no longer holds the others back.
#include "common/WorkAhead.h"
#include "format/PaymentFileReader.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <string>
#include <memory>
#include <mutex>
#include <vector>

namespace tallivo {

class SharedRead : private BufferKeeper
{
    struct Batch;

public:
    // Sees one line and its number on the reading thread; false when no taker needs
    // lines any more.
    using Watcher = std::function<bool(const PaymentLine& line, std::uint64_t lineNumber)>;

    // Starts reading at once; fileSize (0 when not known) gives the share taken.
    SharedRead(std::unique_ptr<PaymentFileReader> reader, std::uint64_t fileSize, Watcher watcher,
               std::size_t takers);
    // Stops reading: every taker's Next ends; waits for the reading thread.
    ~SharedRead();
    SharedRead(const SharedRead&) = delete;
    SharedRead& operator=(const SharedRead&) = delete;

    class Taker final : public LineSource
    {
    public:
        // The next line, as the watcher saw it; false at the end of the file, after a read
        // error, once the watcher refused, or when stopped. Each batch taken reports the
        // share taken to the running command's progress and is a safe point there.
        bool Next(PaymentLine& line) override;
        std::uint64_t LineNumber() const override { return m_lineNumber; }
        // Next also ends once this token asks to stop (work ahead that is dropped). The
        // token must outlast the taking (the work's own).
        void WatchStop(const StopToken& stop) { m_stop = &stop; }
        // This taker needs no more lines: the read no longer waits for it.
        void StopTaking();
        // The share of the file this taker has taken so far, from 0 to 1 (0 when the
        // file's size is not known); read from any thread.
        double ShareTaken() const;

    private:
        friend class SharedRead;
        SharedRead* m_read = nullptr;
        bool m_active = true;
        std::uint64_t m_nextBatch = 0; // the sequence number of the batch taken next
        Batch* m_current = nullptr;
        std::size_t m_next = 0; // index in m_current's lines
        std::uint64_t m_lineNumber = 0;
        const StopToken* m_stop = nullptr;
        std::atomic<std::uint64_t> m_bytesTaken{0};
    };

    // The taker with the given index (from 0).
    Taker& TakerAt(std::size_t index) { return m_takers[index]; }
    // Waits until the watcher has seen every line; raises the error that ended the read.
    void Finish();

private:
    struct Line
    {
        const char* text;     // in the batch's bytes or long lines
        std::size_t size;     // bytes held
        std::uint64_t length; // the line's full length
        std::uint64_t number;
    };
    struct Batch
    {
        ReadBuffer bytes;                  // the reader's buffer the lines were read into
        std::deque<std::string> longLines; // the bytes held of lines longer than that buffer
        std::vector<Line> lines;
        std::uint64_t bytesRead = 0; // of the file, up to this batch's last line
        std::size_t pending = 0;     // takers that have not passed it
    };

    void Read(PaymentFileReader& reader, const StopToken& stop);
    // The reader's buffers (BufferKeeper), on the reading thread: the lines of a batch
    // stay in the buffer they were read into, so the batch is handed on without a copy.
    ReadBuffer FreshBuffer() override;
    void Keep(ReadBuffer buffer) override;
    bool Hand(std::unique_ptr<Batch>& batch); // false once no taker gets lines
    std::unique_ptr<Batch> FreeBatch();
    bool TakeBatch(Taker& taker);             // false when the taker's lines end
    void Pass(Taker& taker);                  // the taker is done with its current batch (lock held)
    void Deactivate(Taker& taker);            // lock held
    void Retire();                            // frees the batches every taker passed (lock held)
    void StopHanding();

    Watcher m_watcher;
    std::uint64_t m_fileSize = 0;
    std::vector<Taker> m_takers;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::unique_ptr<Batch>> m_ready; // read, not passed by every taker
    std::uint64_t m_firstBatch = 0;             // the sequence number of m_ready.front()
    std::vector<std::unique_ptr<Batch>> m_free;
    std::vector<ReadBuffer> m_freeBuffers;
    ReadBuffer m_kept; // the buffer the reader read on from, on the reading thread
    bool m_handing = true; // lines are still handed on
    bool m_done = false;   // the reading thread has ended
    std::exception_ptr m_error;

    WorkAhead<void> m_reading; // last: it starts once everything above is ready
};

// Whatever ends the work that takes a taker's lines, the read no longer waits for it.
class TakingEnds
{
public:
    explicit TakingEnds(SharedRead::Taker& taker) : m_taker(taker) {}
    ~TakingEnds() { m_taker.StopTaking(); }
    TakingEnds(const TakingEnds&) = delete;
    TakingEnds& operator=(const TakingEnds&) = delete;

private:
    SharedRead::Taker& m_taker;
};

// The shared read of an open file, from its start, in the given form.
std::unique_ptr<SharedRead> ReadShared(std::unique_ptr<InputFile> file, LineForm form, SharedRead::Watcher watcher,
                                       std::size_t takers);

} // namespace tallivo
