#include "study/rowSpool.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace gridcmp {

namespace {

// A new file in $TMPDIR, unlinked at once: it lives as long as it is open.
std::FILE* anonymousFile() {
    const char* folder = std::getenv("TMPDIR");
    std::string path = std::string(folder && *folder ? folder : "/tmp") + "/gridcmp-study-XXXXXX";
    int descriptor = mkstemp(&path[0]);
    if (descriptor < 0) return nullptr;
    unlink(path.c_str());
    std::FILE* file = fdopen(descriptor, "w+b");
    if (!file) {
        int error = errno;
        close(descriptor);
        errno = error;
    }
    return file;
}

// Copies `length` bytes (all of it when negative) from `from`'s position to
// `to`. Returns 0 or the errno of the failing call.
int copyBytes(std::FILE* from, std::FILE* to, long long length) {
    char chunk[1 << 16];
    while (length != 0) {
        std::size_t wanted = length < 0 || length > static_cast<long long>(sizeof chunk) ? sizeof chunk
                                                                                        : static_cast<std::size_t>(length);
        errno = 0;
        std::size_t got = std::fread(chunk, 1, wanted, from);
        if (got == 0) {
            if (std::ferror(from)) return errno ? errno : EIO;
            return length < 0 ? 0 : EIO;  // the spool is shorter than what went in
        }
        errno = 0;
        if (std::fwrite(chunk, 1, got, to) != got) return errno ? errno : EIO;
        if (length > 0) length -= static_cast<long long>(got);
    }
    return 0;
}

}  // namespace

bool openRowSpool(RowSpool& spool, int runs, std::string& error) {
    spool.segments.assign(runs, RowSpool::Segment{});
    spool.spool = anonymousFile();
    if (spool.spool) return true;
    const char* folder = std::getenv("TMPDIR");
    error = std::string("cannot make a temporary file for the table in ") + (folder && *folder ? folder : "/tmp") +
            ": " + std::strerror(errno);
    return false;
}

std::FILE* openRunRows() { return anonymousFile(); }

int spoolRunRows(RowSpool& spool, int run, std::FILE* rows) {
    int failed = 0;
    errno = 0;
    if (std::fflush(rows) != 0 || std::ferror(rows)) failed = errno ? errno : EIO;
    if (!failed) {
        std::rewind(rows);
        std::lock_guard<std::mutex> lock(spool.guard);
        if (fseeko(spool.spool, 0, SEEK_END) != 0) failed = errno;
        long long start = failed ? -1 : static_cast<long long>(ftello(spool.spool));
        if (!failed) failed = copyBytes(rows, spool.spool, -1);
        errno = 0;
        if (!failed && std::fflush(spool.spool) != 0) failed = errno ? errno : EIO;
        if (!failed) spool.segments[run] = {start, static_cast<long long>(ftello(spool.spool)) - start};
    }
    std::fclose(rows);
    return failed;
}

int writeSpooledRows(RowSpool& spool, std::FILE* table) {
    int failed = 0;
    for (const RowSpool::Segment& segment : spool.segments) {
        if (failed || segment.start < 0) continue;
        if (fseeko(spool.spool, static_cast<off_t>(segment.start), SEEK_SET) != 0) {
            failed = errno;
            continue;
        }
        failed = copyBytes(spool.spool, table, segment.length);
    }
    std::fclose(spool.spool);
    spool.spool = nullptr;
    return failed;
}

}  // namespace gridcmp
