// The table commands' one way of playing many levels at once: numbered jobs on a few threads,
// their results back in job order.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <exception>
#include <mutex>
#include <thread>
#include <type_traits>
#include <vector>

namespace levels {

// Runs fn(0) .. fn(count - 1) on `threads` threads (at least one), each thread taking the
// lowest job not yet taken, so the long jobs put first start first. The results come back in
// job order, so what a command writes does not depend on the number of threads or on which job
// finished first. Progress goes to stderr, about every twentieth of the jobs. The first
// exception a job throws stops the others taking new jobs and is thrown again here.
template <typename Fn>
auto RunParallel(int threads, int count, Fn fn) -> std::vector<std::invoke_result_t<Fn&, int>> {
    using Result = std::invoke_result_t<Fn&, int>;
    std::vector<Result> results(static_cast<size_t>(std::max(0, count)));
    const auto start = std::chrono::steady_clock::now();
    std::atomic<int> next{0};
    std::mutex lock;
    int finished = 0;
    std::exception_ptr failure;
    auto worker = [&]() {
        for (int job = next++; job < count; job = next++) {
            try {
                results[static_cast<size_t>(job)] = fn(job);
            } catch (...) {
                const std::lock_guard<std::mutex> hold(lock);
                if (!failure) failure = std::current_exception();
                next = count;
                return;
            }
            const std::lock_guard<std::mutex> hold(lock);
            ++finished;
            if (finished * 20 / count != (finished - 1) * 20 / count || finished == count) {
                const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
                std::fprintf(stderr, "%d of %d jobs done (%.0f s)\n", finished, count,
                             took.count());
            }
        }
    };
    std::vector<std::thread> pool;
    for (int i = 0; i < std::max(1, threads); ++i) pool.emplace_back(worker);
    for (std::thread& t : pool) t.join();
    if (failure) std::rethrow_exception(failure);
    return results;
}

}  // namespace levels
