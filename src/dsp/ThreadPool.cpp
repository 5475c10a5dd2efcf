#include "dsp/ThreadPool.h"

#include <memory>
#include <new>
#include <system_error>
#include <vector>

#if defined(__linux__)
#include <pthread.h>
#include <sched.h>
#endif

namespace korvane {

// A thread starts on the processor of the thread that made it, and while that one keeps busy an
// idle processor may take milliseconds to pull it over: about as long as the work a pool is
// made for. So each worker is bound to a processor of its own until it takes its first job,
// the maker's processor last, and then lets the system place it as it likes.
#if defined(__linux__)
struct ThreadPool::Placement {
    cpu_set_t allowed;
    std::vector<int> order; // the allowed processors after the maker's, then the maker's

    static std::unique_ptr<const Placement> Make() {
        auto placement = std::make_unique<Placement>();
        if (sched_getaffinity(0, sizeof placement->allowed, &placement->allowed) != 0)
            return nullptr;
        const int here = sched_getcpu();
        if (CPU_COUNT(&placement->allowed) < 2 || here < 0)
            return nullptr;
        for (int step = 1; step <= CPU_SETSIZE; ++step)
            if (CPU_ISSET((here + step) % CPU_SETSIZE, &placement->allowed))
                placement->order.push_back((here + step) % CPU_SETSIZE);
        return placement;
    }

    void Bind(std::thread& worker, std::size_t index) const {
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(order[index % order.size()], &one);
        // Placement only: a worker that cannot be bound starts wherever it would have.
        pthread_setaffinity_np(worker.native_handle(), sizeof one, &one);
    }

    void Release() const { pthread_setaffinity_np(pthread_self(), sizeof allowed, &allowed); }
};
#else
struct ThreadPool::Placement {
    static std::unique_ptr<const Placement> Make() { return nullptr; }
    void Bind(std::thread&, std::size_t) const {}
    void Release() const {}
};
#endif

ThreadPool::ThreadPool(unsigned threads) {
    try {
        placement_ = Placement::Make();
    } catch (const std::bad_alloc&) {
        // Unplaced workers are only slower to start.
    }
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
    // No job is queued yet, so every worker is bound before it looks for one.
    if (placement_)
        for (std::size_t i = 0; i < workers_.size(); ++i)
            placement_->Bind(workers_[i], i);
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
    bool bound = placement_ != nullptr;
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
        if (bound) {
            placement_->Release();
            bound = false;
        }
        // packaged_task keeps a job's exception in its future, so nothing escapes here.
        job();
    }
}

} // namespace korvane
