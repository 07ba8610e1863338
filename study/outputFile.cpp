#include "study/outputFile.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace gridcmp {

namespace {

// The temporary files' paths, for the signal handler: fixed buffers, since
// the handler may only make async-signal-safe calls.
constexpr int kMostPending = 4;
constexpr std::size_t kPathCapacity = 4096;
char pendingPaths[kMostPending][kPathCapacity];
volatile std::sig_atomic_t pendingUsed[kMostPending] = {};

extern "C" void removePendingAndDie(int signal) {
    for (int i = 0; i < kMostPending; ++i) {
        if (pendingUsed[i]) unlink(pendingPaths[i]);
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void removeOnSignals() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGQUIT}) {
        struct sigaction current {};
        // A signal the caller ignores (a background job's SIGINT) stays ignored.
        if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) continue;
        struct sigaction action {};
        action.sa_handler = removePendingAndDie;
        sigemptyset(&action.sa_mask);
        sigaction(signal, &action, nullptr);
    }
}

// Where the destination really is: a symbolic link is followed, so that the
// file replaces what it points to, not the link.
std::string resolved(const std::string& destination) {
    char* real = realpath(destination.c_str(), nullptr);
    if (!real) return destination;
    std::string path = real;
    std::free(real);
    return path;
}

std::string cannotWrite(const std::string& destination, int error) {
    return "cannot write " + destination + ": " + std::strerror(error);
}

}  // namespace

bool openOutputFile(OutputFile& output, const std::string& destination, std::string& error) {
    output.destination = destination;
    if (destination == "-") {
        output.out = stdout;
        output.toStandardOutput = true;
        return true;
    }
    struct stat status;
    bool exists = stat(destination.c_str(), &status) == 0;
    if (exists && !S_ISREG(status.st_mode)) {
        output.out = std::fopen(destination.c_str(), "w");
        if (!output.out) error = cannotWrite(destination, errno);
        return output.out != nullptr;
    }
    int slot = 0;
    while (slot < kMostPending && pendingUsed[slot]) ++slot;
    output.target = exists ? resolved(destination) : destination;
    std::string path = output.target + ".partial-XXXXXX";
    if (slot == kMostPending || path.size() >= kPathCapacity) {
        error = cannotWrite(destination, ENAMETOOLONG);
        return false;
    }
    char* pendingPath = pendingPaths[slot];
    std::memcpy(pendingPath, path.c_str(), path.size() + 1);
    removeOnSignals();
    pendingUsed[slot] = 1;
    int descriptor = mkstemp(pendingPath);
    if (descriptor < 0) {
        pendingUsed[slot] = 0;
        error = cannotWrite(destination, errno);
        return false;
    }
    // mkstemp makes it for its owner alone; the output is as readable as any
    // file the user writes.
    mode_t mask = umask(0);
    umask(mask);
    fchmod(descriptor, 0666 & ~mask);
    output.out = fdopen(descriptor, "w");
    if (!output.out) {
        error = cannotWrite(destination, errno);
        close(descriptor);
        unlink(pendingPath);
        pendingUsed[slot] = 0;
        return false;
    }
    output.pending = slot;
    return true;
}

int finishOutputFile(OutputFile& output, bool whole) {
    if (!output.out) return 0;
    errno = 0;
    int failed = std::fflush(output.out) != 0 || std::ferror(output.out) ? (errno ? errno : EIO) : 0;
    if (output.toStandardOutput) return failed;
    errno = 0;
    if (std::fclose(output.out) != 0 && !failed) failed = errno ? errno : EIO;
    output.out = nullptr;
    if (output.pending < 0) return failed;
    const char* pendingPath = pendingPaths[output.pending];
    if (whole && !failed && std::rename(pendingPath, output.target.c_str()) != 0) failed = errno;
    if (!whole || failed) unlink(pendingPath);
    pendingUsed[output.pending] = 0;
    output.pending = -1;
    return failed;
}

}  // namespace gridcmp
