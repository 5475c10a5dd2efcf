#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <type_traits>
#include <vector>

namespace korvane {

// A fixed set of worker threads that run submitted jobs in submission order. Owns its threads
// and the jobs not yet started; the jobs own whatever they work on. Destroying the pool drops
// the jobs that have not started (their futures report a broken promise) and waits for the
// running ones.
class ThreadPool {
public:
    // Starts threads workers (at least one).
    explicit ThreadPool(unsigned threads);
    ~ThreadPool();
    ThreadPool(const ThreadPool&) = delete;
    ThreadPool& operator=(const ThreadPool&) = delete;

    unsigned Size() const { return static_cast<unsigned>(workers_.size()); }

    // The threads the machine runs at once; at least 1.
    static unsigned HardwareThreads();

    // Queues job; its result or exception arrives through the future.
    template <class Job> auto Submit(Job job) -> std::future<std::invoke_result_t<Job&>> {
        using Result = std::invoke_result_t<Job&>;
        auto task = std::make_shared<std::packaged_task<Result()>>(std::move(job));
        std::future<Result> future = task->get_future();
        Enqueue([task] { (*task)(); });
        return future;
    }

private:
    // The processors the pool may use and the one each worker starts on.
    struct Placement;

    void Enqueue(std::function<void()> job);
    void Work();

    // Made before the workers start; null where workers cannot be placed.
    std::unique_ptr<const Placement> placement_;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> queue_;
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

} // namespace korvane
