#include "common/WorkAhead.h"

namespace tallivo {

WorkThread::WorkThread(std::function<void(const StopToken&)> body)
    : m_thread([this, body = std::move(body)] {
          body(m_stop);
          {
              const std::lock_guard lock(m_mutex);
              m_done = true;
          }
          m_ended.notify_all();
      })
{
}

bool WorkThread::WaitFor(std::chrono::milliseconds time)
{
    std::unique_lock lock(m_mutex);
    return m_ended.wait_for(lock, time, [this] { return m_done; });
}

WorkThread::~WorkThread()
{
    Stop();
    Join();
}

void WorkThread::Stop() noexcept
{
    m_stop.RequestStop();
}

void WorkThread::Join() noexcept
{
    if (m_thread.joinable())
        m_thread.join();
}

} // namespace tallivo
