#include "polyphone/poly_writer.h"

namespace qdm {

PolyWriter::PolyWriter(int threads, size_t maxQueued)
    : m_threadCount(threads < 1 ? 1 : threads), m_maxQueued(maxQueued < 1 ? 1 : maxQueued) {}

PolyWriter::~PolyWriter() {
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_quit = true;
        m_changed.notify_all();
    }
    for (std::thread& t : m_threads) t.join();
}

bool PolyWriter::Submit(Job& job, Clock::time_point deadline) {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_threads.empty())
        for (int i = 0; i < m_threadCount; ++i) m_threads.emplace_back(&PolyWriter::Work, this);
    auto room = [&] { return m_queue.size() < m_maxQueued; };
    if (deadline == Clock::time_point::max())
        m_changed.wait(lock, room);
    else if (!m_changed.wait_until(lock, deadline, room))
        return false;
    m_queue.push_back(std::move(job));
    m_changed.notify_all();
    return true;
}

void PolyWriter::Work() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [&] { return !m_queue.empty() || m_quit; });
        if (m_queue.empty()) return;  // quitting, and nothing left to write
        Job job = std::move(m_queue.front());
        m_queue.pop_front();
        ++m_busy;
        m_changed.notify_all();  // there is room in the queue
        lock.unlock();
        IoStatus status = WriteFileAtomic(job.path, job.text);
        lock.lock();
        --m_busy;
        m_done.push_back({job.seq, std::move(status)});
        m_changed.notify_all();
    }
}

std::vector<PolyWriter::Done> PolyWriter::TakeDone() {
    std::lock_guard<std::mutex> guard(m_mutex);
    std::vector<Done> out;
    out.swap(m_done);
    return out;
}

bool PolyWriter::Idle() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_queue.empty() && m_busy == 0 && m_done.empty();
}

bool PolyWriter::WaitForDone(Clock::time_point deadline) {
    std::unique_lock<std::mutex> lock(m_mutex);
    auto ready = [&] { return !m_done.empty() || (m_queue.empty() && m_busy == 0); };
    if (deadline == Clock::time_point::max()) {
        m_changed.wait(lock, ready);
        return true;
    }
    return m_changed.wait_until(lock, deadline, ready);
}

void PolyWriter::Drain() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [&] { return m_queue.empty() && m_busy == 0; });
}

}  // namespace qdm
