#include "study/runRows.h"

#include <cerrno>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace gridcmp {

std::FILE* openRunRows() {
    const char* folder = std::getenv("TMPDIR");
    std::string path = std::string(folder && *folder ? folder : "/tmp") + "/gridcmp-study-XXXXXX";
    int descriptor = mkstemp(&path[0]);
    if (descriptor < 0) return nullptr;
    unlink(path.c_str());  // it lives as long as it is open
    std::FILE* file = fdopen(descriptor, "w+b");
    if (!file) {
        int error = errno;
        close(descriptor);
        errno = error;
    }
    return file;
}

int flushRunRows(std::FILE* rows) {
    errno = 0;
    if (std::fflush(rows) != 0 || std::ferror(rows)) return errno ? errno : EIO;
    return 0;
}

int copyRunRows(std::FILE* rows, std::FILE* out) {
    int failed = 0;
    std::rewind(rows);
    char chunk[1 << 16];
    for (;;) {
        errno = 0;
        std::size_t got = std::fread(chunk, 1, sizeof chunk, rows);
        if (got == 0) {
            if (std::ferror(rows)) failed = errno ? errno : EIO;
            break;
        }
        errno = 0;
        if (std::fwrite(chunk, 1, got, out) != got) {
            failed = errno ? errno : EIO;
            break;
        }
    }
    std::fclose(rows);
    return failed;
}

}  // namespace gridcmp
