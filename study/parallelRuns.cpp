#include "study/parallelRuns.h"

#include <algorithm>
#include <atomic>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#ifdef __linux__
#include <sched.h>
#endif

#include "study/waiting.h"

namespace gridcmp {

int usableProcessors() {
#if defined(__linux__) && defined(CPU_COUNT)
    cpu_set_t allowed;
    if (sched_getaffinity(0, sizeof allowed, &allowed) == 0) return std::max(1, CPU_COUNT(&allowed));
#endif
    return std::max(1u, std::thread::hardware_concurrency());
}

bool runAllAtOnce(int count, const std::function<void(int)>& work) {
    // Every thread waits until all are there, or until it is clear they will
    // not be.
    enum { starting, going, abandoned };
    std::atomic<int> start{starting};
    Waiting waiting;
    auto thread = [&](int index) {
        waiting.waitUntil([&] { return start.load() != starting; });
        if (start.load() == going) work(index);
    };
    std::vector<std::thread> others;
    bool all = true;
    try {
        for (int i = 0; i + 1 < count; ++i) others.emplace_back(thread, i);
    } catch (const std::system_error&) {
        all = false;
    } catch (const std::bad_alloc&) {  // no room for one more thread's state
        all = false;
    }
    start = all ? going : abandoned;
    waiting.wake();
    if (all && count > 0) work(count - 1);
    for (std::thread& other : others) other.join();
    return all;
}

}  // namespace gridcmp
