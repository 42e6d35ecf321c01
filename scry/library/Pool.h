// Work on several threads, results taken in order on the calling thread: each item is done by
// the first free worker, and handed over as soon as every item before it has been, with at most
// a few results waiting, so that memory grows with the threads, not with the items.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace scry {

// The threads to use: asked, or else the machine's cores; at least 1, at most count.
inline unsigned WorkerCount(unsigned asked, std::size_t count)
{
    unsigned threads = asked != 0 ? asked : std::thread::hardware_concurrency();
    threads = threads == 0 ? 1 : threads;
    return static_cast<unsigned>(std::min<std::size_t>(threads, std::max<std::size_t>(count, 1)));
}

// work(i) for every i below count, on `threads` threads (work must not throw); take(i, result)
// for each in order of i on this thread; tick() about every tenth of a second meanwhile.
template <class Result>
void InOrder(std::size_t count, unsigned threads, const std::function<Result(std::size_t)>& work,
             const std::function<void(std::size_t, Result&&)>& take, const std::function<void()>& tick)
{
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::optional<Result>> window;   // results from `first` on, in order
    std::size_t first = 0;                      // the next to take
    std::size_t next = 0;                       // the next to start
    const std::size_t ahead = std::size_t{2} * threads;
    std::vector<std::thread> workers;
    for (unsigned t = 0; t < threads; ++t)
        workers.emplace_back([&] {
            for (;;) {
                std::size_t i = 0;
                {
                    std::unique_lock lock(mutex);
                    changed.wait(lock, [&] { return next >= count || next < first + ahead; });
                    if (next >= count)
                        return;
                    i = next++;
                    window.resize(std::max(window.size(), i - first + 1));
                }
                Result result = work(i);
                {
                    std::lock_guard lock(mutex);
                    window[i - first] = std::move(result);
                }
                changed.notify_all();
            }
        });
    const auto stop = [&] {
        {
            std::lock_guard lock(mutex);
            next = count;   // no more work is started
        }
        changed.notify_all();
        for (std::thread& worker : workers)
            worker.join();
    };
    auto ticked = std::chrono::steady_clock::now();
    const auto tickNow = [&] {
        ticked = std::chrono::steady_clock::now();
        tick();
    };
    try {
        while (first < count) {
            if (std::chrono::steady_clock::now() - ticked >= std::chrono::milliseconds(100))
                tickNow();
            std::optional<Result> result;
            {
                std::unique_lock lock(mutex);
                if (!changed.wait_for(lock, std::chrono::milliseconds(100),
                                      [&] { return !window.empty() && window.front().has_value(); })) {
                    lock.unlock();
                    tickNow();
                    continue;
                }
                result = std::move(window.front());
                window.pop_front();
                ++first;
            }
            changed.notify_all();
            take(first - 1, std::move(*result));
        }
    } catch (...) {
        stop();
        throw;
    }
    stop();
}

}   // namespace scry
