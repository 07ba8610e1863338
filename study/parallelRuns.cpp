#include "study/parallelRuns.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

#ifdef __linux__
#include <sched.h>
#endif

namespace gridcmp {

int usableProcessors() {
#if defined(__linux__) && defined(CPU_COUNT)
    cpu_set_t allowed;
    if (sched_getaffinity(0, sizeof allowed, &allowed) == 0) return std::max(1, CPU_COUNT(&allowed));
#endif
    return std::max(1u, std::thread::hardware_concurrency());
}

void runInParallel(int count, int jobs, const std::function<void(int)>& work) {
    std::atomic<int> next{0};
    auto worker = [&] {
        for (int index = next++; index < count; index = next++) work(index);
    };
    int threads = std::max(1, std::min(jobs, count));
    std::vector<std::thread> others;
    try {
        for (int i = 1; i < threads; ++i) others.emplace_back(worker);
    } catch (const std::system_error&) {
        // No more threads to be had: those there are share the runs.
    }
    worker();
    for (std::thread& thread : others) thread.join();
}

}  // namespace gridcmp
