#include "dsp/ThreadPool.h"

#include <system_error>

namespace korvane {

ThreadPool::ThreadPool(unsigned threads) {
    const unsigned count = threads == 0 ? 1 : threads;
    workers_.reserve(count);
    for (unsigned i = 0; i < count; ++i) {
        try {
            workers_.emplace_back([this] { Work(); });
        } catch (const std::system_error&) {
            // Fewer threads only make the pool slower; none at all makes it useless.
            if (workers_.empty())
                throw;
            break;
        }
    }
}

ThreadPool::~ThreadPool() {
    std::deque<std::function<void()>> dropped;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        dropped.swap(queue_);
    }
    wake_.notify_all();
    for (std::thread& worker : workers_)
        worker.join();
    // dropped is destroyed here, outside the lock: its futures learn of the broken promise.
}

unsigned ThreadPool::HardwareThreads() {
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : n;
}

void ThreadPool::Enqueue(std::function<void()> job) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(job));
    }
    wake_.notify_one();
}

void ThreadPool::Work() {
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_)
                return;
            job = std::move(queue_.front());
            queue_.pop_front();
        }
        // packaged_task keeps a job's exception in its future, so nothing escapes here.
        job();
    }
}

} // namespace korvane
