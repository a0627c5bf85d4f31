#pragma once
// Work done ahead: a piece of a command that runs on a thread of its own while the
// command goes on, and is either taken when the command reaches the stage it belongs to,
// or dropped. This is the one way the core starts a thread.
//
//     WorkAhead<Digest> digest([&](const StopToken& stop) { return HashFile(path, stop); });
//     ...                       // the command's own stages
//     Digest d = digest.Take(); // waits; raises what the work raised
//
// Dropping (destroying untaken) asks the work to stop through its stop token, waits for
// the thread and discards the result or the error: dropped work leaves nothing behind
// but what its own destructors undo. The work polls its token where it may stop
// (ThrowIfStopped); work that never polls is simply waited for.
#include "common/CommandProgress.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <type_traits>
#include <utility>

namespace tallivo {

// How work ahead learns that it is dropped: shared between the work and its thread.
class StopToken
{
public:
    StopToken() : m_stop(std::make_shared<std::atomic<bool>>(false)) {}
    bool StopRequested() const { return m_stop->load(std::memory_order_relaxed); }
    void RequestStop() const { m_stop->store(true, std::memory_order_relaxed); }

private:
    std::shared_ptr<std::atomic<bool>> m_stop;
};

// Raised by ThrowIfStopped inside work that was asked to stop; the work's result is
// discarded, so nobody sees it.
struct WorkStopped
{
};

inline void ThrowIfStopped(const StopToken& stop)
{
    if (stop.StopRequested())
        throw WorkStopped{};
}

// The thread under every piece of work ahead: starts the body at once with a stop token;
// Stop asks it to stop; Join waits for it. Destroying it stops and joins.
class WorkThread
{
public:
    explicit WorkThread(std::function<void(const StopToken&)> body);
    ~WorkThread();
    WorkThread(const WorkThread&) = delete;
    WorkThread& operator=(const WorkThread&) = delete;

    void Stop() noexcept;
    void Join() noexcept;
    // Waits at most the given time for the body to end; true when it has.
    bool WaitFor(std::chrono::milliseconds time);

private:
    StopToken m_stop;
    std::mutex m_mutex;
    std::condition_variable m_ended;
    bool m_done = false;
    std::thread m_thread; // last: it starts once the rest is ready
};

template <typename T>
class WorkAhead
{
public:
    // Starts work(const StopToken&) -> T on its own thread.
    template <typename Work>
    explicit WorkAhead(Work work)
        : m_thread([this, work = std::make_shared<Work>(std::move(work))](const StopToken& stop) { Run(*work, stop); })
    {
    }
    ~WorkAhead() { m_thread.Stop(); }
    WorkAhead(const WorkAhead&) = delete;
    WorkAhead& operator=(const WorkAhead&) = delete;

    // Waits for the work and gives its result, or raises the error it ended with. Once.
    T Take()
    {
        m_thread.Join();
        if (m_error)
            std::rethrow_exception(std::exchange(m_error, nullptr));
        if constexpr (!std::is_void_v<T>)
            return std::move(*m_result);
    }
    // Asks the work to stop without waiting for it.
    void Stop() noexcept { m_thread.Stop(); }
    // Waits at most the given time; true when the work has ended and Take will not wait.
    bool Ready(std::chrono::milliseconds time) { return m_thread.WaitFor(time); }

private:
    template <typename Work>
    void Run(Work& work, const StopToken& stop) noexcept
    {
        try {
            if constexpr (std::is_void_v<T>)
                work(stop);
            else
                m_result.emplace(work(stop));
        } catch (...) {
            m_error = std::current_exception();
        }
    }

    struct Nothing
    {
    };
    std::optional<std::conditional_t<std::is_void_v<T>, Nothing, T>> m_result;
    std::exception_ptr m_error;
    WorkThread m_thread; // last: it starts once the result's place is ready, and ends first
};

// Waits for work ahead while the command stays cancellable: every short while is a safe
// point of the running command (common/CommandProgress.h).
template <typename T>
T TakeWhenReady(WorkAhead<T>& work)
{
    while (!work.Ready(std::chrono::milliseconds(50)))
        progress::SafePoint();
    return work.Take();
}

// The same, telling meanwhile the share of the work done (share() from 0 to 1, read on
// the command's thread) as the running stage's share.
template <typename T, typename ShareOfWork>
T TakeWhenReady(WorkAhead<T>& work, ShareOfWork share)
{
    while (!work.Ready(std::chrono::milliseconds(50)))
        progress::Share(share());
    return work.Take();
}

} // namespace tallivo
