#include "study/stoppableSource.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include "study/waiting.h"

namespace gridcmp {

namespace {

void failWith(ByteSource& source, int error) { setSourceFailure(source, error, std::strerror(error)); }

}  // namespace

void openStoppableSource(StoppableSource& source, int descriptor) {
    source.descriptor = descriptor;
    struct stat status;
    // A regular file's read never waits for long: it needs no wake-up.
    source.canWait = fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode);
    if (!source.canWait) return;
    if (pipe(source.wakeUp) != 0) {
        failWith(source, errno);
        source.wakeUp[0] = source.wakeUp[1] = -1;
        return;
    }
    for (int end : source.wakeUp) fcntl(end, F_SETFD, FD_CLOEXEC);
}

StoppableSource::~StoppableSource() {
    for (int end : wakeUp) {
        if (end >= 0) close(end);
    }
}

std::size_t StoppableSource::read(char* buffer, std::size_t capacity) {
    for (;;) {
        if (failed()) return 0;
        if (stopped.load()) {
            setSourceFailure(*this, ECANCELED, "no longer read");
            return 0;
        }
        if (canWait) {
            // Bytes, the writer's end, or a stop: whichever comes first. A
            // thread that has to wait for them gives up its CPU slot
            // meanwhile, as it would waiting for another thread.
            pollfd watched[2] = {{descriptor, POLLIN, 0}, {wakeUp[0], POLLIN, 0}};
            int ready = poll(watched, 2, 0);
            if (ready == 0) {
                CpuSlots* held = giveUpHeldSlot();
                ready = poll(watched, 2, -1);
                int error = errno;
                takeBackSlot(held);
                errno = error;
            }
            if (ready < 0) {
                if (errno != EINTR) failWith(*this, errno);
                continue;
            }
            if (watched[1].revents != 0) continue;  // stopped
        }
        ssize_t got = ::read(descriptor, buffer, capacity);
        if (got >= 0) return static_cast<std::size_t>(got);
        // EAGAIN: a descriptor left non-blocking by whoever gave it, read
        // again once poll says there are bytes.
        if (errno == EINTR || (errno == EAGAIN && canWait)) continue;
        failWith(*this, errno);
    }
}

void stopSource(StoppableSource& source) {
    if (source.stopped.exchange(true) || source.wakeUp[1] < 0) return;
    char wake = 0;
    while (write(source.wakeUp[1], &wake, 1) < 0 && errno == EINTR) {
    }
}

}  // namespace gridcmp
