#pragma once
// One read of a payment file shared by two stages on two threads: a thread of the
// reader's own reads the file line by line (PaymentFileReader) and shows every line to a
// watcher there, while the thread that owns the reader takes the same lines, in order,
// through Next. The lines travel in a few batches of bounded size, so memory does not
// grow with the file.
//
//     ReadAheadReader lines(path, LineForm::AsInFile, [&](const PaymentLine& line, std::uint64_t number) {
//         scan.Add(line, number); // on the reading thread
//         return !scan.Failed();  // false: the lines are no longer wanted by the taker
//     });
//     while (lines.Next(line)) ...   // on this thread
//     lines.Finish();                // the watcher has seen every line; raises a read error
//
// The watcher sees every line of the file however soon the taker stops; once it returns
// false, or the taker calls StopTaking, no more lines are handed on and Next ends.
#include "format/PaymentFileReader.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tallivo {

class ReadAheadReader final : public LineSource
{
public:
    // Sees one line and its number on the reading thread; false when the taker no
    // longer needs lines.
    using Watcher = std::function<bool(const PaymentLine& line, std::uint64_t lineNumber)>;

    // Opens the file (raising the file error when it cannot be opened) and starts reading.
    ReadAheadReader(const std::string& path, LineForm form, Watcher watcher);
    // Stops reading and waits for the reading thread.
    ~ReadAheadReader() override;
    ReadAheadReader(const ReadAheadReader&) = delete;
    ReadAheadReader& operator=(const ReadAheadReader&) = delete;

    // The next line of the file, as the watcher saw it; false at the end of the file, after
    // a read error, or once lines are no longer handed on. Each batch taken reports the
    // share taken to the running command's progress and is a safe point there.
    bool Next(PaymentLine& line) override;
    std::uint64_t LineNumber() const override { return m_lineNumber; }
    // The share of the file taken so far, from 0 to 1.
    double ShareTaken() const;
    // No more lines are needed (Next ends): the reading thread goes on for the watcher alone.
    void StopTaking();
    // Waits until the watcher has seen every line; raises the error that ended the read.
    void Finish();

private:
    struct Line
    {
        std::size_t offset;  // in the batch's bytes
        std::size_t size;    // bytes held
        std::uint64_t length; // the line's full length
        std::uint64_t number;
    };
    struct Batch
    {
        std::vector<char> bytes;
        std::vector<Line> lines;
        std::uint64_t bytesRead = 0; // of the file, up to this batch's last line
    };

    void Read(std::unique_ptr<PaymentFileReader> reader);
    void StopHanding(); // either side: no more batches are handed on
    bool Hand(std::unique_ptr<Batch>& batch); // false once lines are no longer handed on
    std::unique_ptr<Batch> FreeBatch();

    Watcher m_watcher;
    std::uint64_t m_fileSize = 0;

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::unique_ptr<Batch>> m_ready; // read, not yet taken
    std::vector<std::unique_ptr<Batch>> m_free;
    bool m_handing = true; // lines are still handed on
    std::atomic<bool> m_stop{false}; // the reader is going away: stop reading
    bool m_done = false;   // the reading thread has ended
    std::exception_ptr m_error;

    // The taker's side.
    std::unique_ptr<Batch> m_current;
    std::size_t m_next = 0; // index in m_current->lines
    std::uint64_t m_lineNumber = 0;
    std::uint64_t m_bytesTaken = 0;

    std::thread m_thread;
};

} // namespace tallivo
