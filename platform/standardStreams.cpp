#include "platform/standardStreams.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace gridcmp {

bool holdClosedStandardStreams(ClosedStandardStreams* closed, std::string* error) {
    bool* flags[] = {&closed->input, &closed->output, &closed->error};
    for (int descriptor = 0; descriptor < 3; ++descriptor) {
        *flags[descriptor] = fcntl(descriptor, F_GETFD) == -1 && errno == EBADF;
        if (!*flags[descriptor]) continue;
        // The lowest free descriptor is this one: those below are open.
        int held = open("/dev/null", descriptor == 0 ? O_WRONLY : O_RDONLY);
        if (held != descriptor) {
            *error = std::string("cannot open /dev/null to hold a closed standard descriptor: ") +
                     (held < 0 ? std::strerror(errno) : "another descriptor came");
            if (held >= 0) close(held);
            return false;
        }
    }
    return true;
}

}  // namespace gridcmp
