#include "study/tableFile.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace gridcmp {

namespace {

// The temporary table's path, for the signal handler: a fixed buffer, since
// the handler may only make async-signal-safe calls.
char pendingPath[4096];
volatile std::sig_atomic_t pending = 0;

extern "C" void removePendingAndDie(int signal) {
    if (pending) unlink(pendingPath);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void removeOnSignals() {
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
// table replaces what it points to, not the link.
std::string resolved(const std::string& destination) {
    char* real = realpath(destination.c_str(), nullptr);
    if (!real) return destination;
    std::string path = real;
    std::free(real);
    return path;
}

}  // namespace

bool openTableFile(TableFile& table, const std::string& destination, std::string& error) {
    table.destination = destination;
    if (destination == "-") {
        table.out = stdout;
        table.toStandardOutput = true;
        return true;
    }
    struct stat status;
    bool exists = stat(destination.c_str(), &status) == 0;
    if (exists && !S_ISREG(status.st_mode)) {
        table.out = std::fopen(destination.c_str(), "w");
        if (!table.out) error = "cannot write " + destination + ": " + std::strerror(errno);
        return table.out != nullptr;
    }
    table.target = exists ? resolved(destination) : destination;
    std::string path = table.target + ".partial-XXXXXX";
    if (path.size() >= sizeof pendingPath) {
        error = "cannot write " + destination + ": " + std::strerror(ENAMETOOLONG);
        return false;
    }
    std::memcpy(pendingPath, path.c_str(), path.size() + 1);
    removeOnSignals();
    pending = 1;
    int descriptor = mkstemp(pendingPath);
    if (descriptor < 0) {
        pending = 0;
        error = "cannot write " + destination + ": " + std::strerror(errno);
        return false;
    }
    // mkstemp makes it for its owner alone; a table is as readable as any
    // file the user writes.
    mode_t mask = umask(0);
    umask(mask);
    fchmod(descriptor, 0666 & ~mask);
    table.out = fdopen(descriptor, "w");
    if (!table.out) {
        error = "cannot write " + destination + ": " + std::strerror(errno);
        close(descriptor);
        unlink(pendingPath);
        pending = 0;
        return false;
    }
    table.renamed = true;
    return true;
}

int finishTableFile(TableFile& table, bool whole) {
    if (!table.out) return 0;
    errno = 0;
    int failed = std::fflush(table.out) != 0 || std::ferror(table.out) ? (errno ? errno : EIO) : 0;
    if (table.toStandardOutput) return failed;
    errno = 0;
    if (std::fclose(table.out) != 0 && !failed) failed = errno ? errno : EIO;
    table.out = nullptr;
    if (!table.renamed) return failed;
    if (whole && !failed && std::rename(pendingPath, table.target.c_str()) != 0) failed = errno;
    if (!whole || failed) unlink(pendingPath);
    pending = 0;
    return failed;
}

}  // namespace gridcmp
