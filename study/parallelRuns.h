// Runs of a study side by side, one thread each.
#pragma once

#include <functional>
#include <thread>

namespace gridcmp {

// The CPUs this process may run on (its affinity mask, where the system has
// one), at least 1.
int usableProcessors();

// Starts `thread` running `work`; false, with errno saying why (EAGAIN,
// ENOMEM), where the system gives no thread. `work` must let no exception
// out: on another thread it would end the process.
bool startThread(std::thread& thread, std::function<void()> work);

// Calls work(0) ... work(count - 1), each on a thread of its own (the last on
// this one), all at the same time, and returns true when all are done. Runs
// that read the original together must all go on at once: where the system
// gives fewer threads, none is called and it returns false. `work` must let
// no exception out: on another thread it would end the process.
bool runAllAtOnce(int count, const std::function<void(int)>& work);

}  // namespace gridcmp
