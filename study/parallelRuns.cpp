#include "study/parallelRuns.h"

#include <cerrno>

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

bool startThread(std::thread& thread, std::function<void()> work) {
    try {
        thread = std::thread(std::move(work));
    } catch (const std::system_error& failure) {
        errno = failure.code().value() ? failure.code().value() : EAGAIN;
        return false;
    } catch (const std::bad_alloc&) {  // no room for one more thread's state
        errno = ENOMEM;
        return false;
    }
    return true;
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
    std::vector<std::thread> others(count > 1 ? count - 1 : 0);
    bool all = true;
    for (int i = 0; all && i + 1 < count; ++i) all = startThread(others[i], [&thread, i] { thread(i); });
    start = all ? going : abandoned;
    waiting.wake();
    if (all && count > 0) work(count - 1);
    for (std::thread& other : others) {
        if (other.joinable()) other.join();
    }
    return all;
}

}  // namespace gridcmp
