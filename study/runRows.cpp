#include "study/runRows.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace gridcmp {

bool openRunRows(std::FILE** rows, std::string* error) {
    const char* folder = std::getenv("TMPDIR");
    std::string path = std::string(folder && *folder ? folder : "/tmp") + "/gridcmp-study-XXXXXX";
    *rows = nullptr;
    int descriptor = mkstemp(&path[0]);
    if (descriptor >= 0) {
        unlink(path.c_str());  // it lives as long as it is open
        *rows = fdopen(descriptor, "w+b");
    }
    if (*rows) return true;
    *error = std::strerror(errno);
    if (descriptor >= 0) close(descriptor);
    return false;
}

bool flushRunRows(std::FILE* rows, std::string* error) {
    errno = 0;
    if (std::fflush(rows) == 0 && !std::ferror(rows)) return true;
    *error = std::strerror(errno ? errno : EIO);
    return false;
}

bool copyRunRows(std::FILE* rows, std::FILE* out, std::string* error) {
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
    if (failed) *error = std::strerror(failed);
    return !failed;
}

}  // namespace gridcmp
