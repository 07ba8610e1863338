#include "study/outputFile.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace gridcmp {

namespace {

// The temporary files not yet renamed or removed, for the signal handler: a
// list through the outputs themselves, changed by the main thread only, read
// by the handler on any thread (so atomics, which must take no lock).
std::atomic<OutputFile*> firstTemporary{nullptr};
static_assert(std::atomic<OutputFile*>::is_always_lock_free, "the signal handler reads the list");
static_assert(std::atomic<OutputFile::State>::is_always_lock_free, "the signal handler reads the state");

// Puts back the file an output's rename replaced, by its second name (which
// is then gone, whether the rename had happened or not); removes a new
// file. Only what signal handlers may call.
void putBackReplaced(OutputFile& output) {
    if (output.kept[0]) {
        rename(output.kept, output.target.c_str());
        unlink(output.kept);  // where the rename had not happened: two names of one file
        output.kept[0] = '\0';
    } else if (!output.replacesFile) {
        unlink(output.target.c_str());
    }
}

extern "C" void removeTemporariesAndDie(int signal) {
    for (OutputFile* output = firstTemporary.load(); output; output = output->nextTemporary.load()) {
        // Interrupted while the outputs were replaced: those renamed are put
        // back, as a failed rename would put them back.
        if (output->state.load() == OutputFile::State::renamed) putBackReplaced(*output);
        if (output->temporary[0]) unlink(output->temporary);
        if (output->kept[0]) unlink(output->kept);
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void removeOnSignals() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGXFSZ, SIGALRM, SIGUSR1, SIGUSR2, SIGVTALRM}) {
        struct sigaction current {};
        // A signal the caller ignores (a background job's SIGINT) stays ignored.
        if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) continue;
        struct sigaction action {};
        action.sa_handler = removeTemporariesAndDie;
        sigemptyset(&action.sa_mask);
        sigaction(signal, &action, nullptr);
    }
}

void track(OutputFile& output) {
    output.nextTemporary.store(firstTemporary.load());
    firstTemporary.store(&output);
}

void untrack(OutputFile& output) {
    std::atomic<OutputFile*>* link = &firstTemporary;
    while (link->load() && link->load() != &output) link = &link->load()->nextTemporary;
    if (link->load()) link->store(output.nextTemporary.load());
    output.temporary[0] = '\0';
}

// What `destination` leads to: its symbolic links followed, however many, to
// the file they name, which may not exist (a dangling link). A relative link
// is read from the folder of the link. False, with errno, when a link cannot
// be read or the links go round.
bool followLinks(const std::string& destination, std::string* target) {
    std::string path = destination;
    for (int links = 0; links < 40; ++links) {
        struct stat status;
        if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            *target = path;
            return true;
        }
        char link[PATH_MAX];
        ssize_t length = readlink(path.c_str(), link, sizeof link - 1);
        if (length < 0) return false;
        link[length] = '\0';
        std::string::size_type slash = path.rfind('/');
        path = link[0] == '/' || slash == std::string::npos ? std::string(link) : path.substr(0, slash + 1) + link;
    }
    errno = ELOOP;
    return false;
}

std::string cannotWrite(const std::string& destination, int error) {
    return "cannot write " + destination + ": " + std::strerror(error);
}

int errnoOr(int otherwise) { return errno ? errno : otherwise; }

// An existing file that its owner may not write is not to be replaced: root
// could, but the mode says it is kept.
bool writableByOwner(const struct stat& status, const std::string& destination, std::string* error) {
    if (status.st_mode & S_IWUSR) return true;
    char mode[8];
    std::snprintf(mode, sizeof mode, "%03o", static_cast<unsigned>(status.st_mode & 07777));
    *error = "cannot write " + destination + ": it is read-only (mode " + mode + ")";
    return false;
}

// Whether `status` is the file open on `descriptor` for writing: a closed
// standard descriptor, held by /dev/null for reading, writes to nothing.
bool isWrittenStream(int descriptor, const struct stat& status) {
    struct stat open;
    int flags = fcntl(descriptor, F_GETFL);
    return flags != -1 && (flags & O_ACCMODE) != O_RDONLY && fstat(descriptor, &open) == 0 &&
           open.st_dev == status.st_dev && open.st_ino == status.st_ino;
}

}  // namespace

std::string cannotWriteOutput(const OutputFile& output, const std::string& reason) {
    return std::string("cannot write the ") + output.what + " " +
           (output.toStandardOutput ? "to standard output" : output.destination) + ": " + reason;
}

bool openOutputFile(OutputFile& output, const char* what, const std::string& destination, std::string* error) {
    output.what = what;
    output.destination = destination;
    // Standard output by another name (/dev/stdout, a file it was sent to)
    // is standard output: replacing the file would take the summary's place.
    struct stat status;
    bool named = destination != "-" && stat(destination.c_str(), &status) == 0;
    if (destination == "-" || (named && isWrittenStream(STDOUT_FILENO, status))) {
        output.out = stdout;
        output.toStandardOutput = true;
        return true;
    }
    // Standard error by another name (/dev/stderr, a file it was sent to) is
    // written where it stands, through a descriptor of its own: replacing
    // the file would send every later message to the unlinked one.
    if (named && isWrittenStream(STDERR_FILENO, status)) {
        int descriptor = dup(STDERR_FILENO);
        output.out = descriptor < 0 ? nullptr : fdopen(descriptor, "w");
        if (!output.out) {
            *error = cannotWrite(destination, errno);
            if (descriptor >= 0) close(descriptor);
        }
        return output.out != nullptr;
    }
    if (stat(destination.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
        if (!writableByOwner(status, destination, error)) return false;
        output.out = std::fopen(destination.c_str(), "w");
        if (!output.out) *error = cannotWrite(destination, errno);
        return output.out != nullptr;
    }
    if (!followLinks(destination, &output.target)) {
        *error = cannotWrite(destination, errno);
        return false;
    }
    bool exists = stat(output.target.c_str(), &status) == 0;
    if (exists && !writableByOwner(status, destination, error)) return false;

    // A short name of its own in the target's folder, whatever the length of
    // the target's (which may be as long as the system allows): the rename
    // then stays within one file system. The target's own name must fit its
    // folder, or only the rename at the end would find out.
    std::string::size_type slash = output.target.rfind('/');
    std::string folder = slash == std::string::npos ? "" : output.target.substr(0, slash + 1);
    long nameMax = pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
    if (nameMax > 0 && output.target.size() - folder.size() > static_cast<std::size_t>(nameMax)) {
        *error = cannotWrite(destination, ENAMETOOLONG);
        return false;
    }
    std::string path = folder + ".gridcmp-partial-XXXXXX";
    if (path.size() >= sizeof output.temporary) {
        *error = cannotWrite(destination, ENAMETOOLONG);
        return false;
    }
    std::memcpy(output.temporary, path.c_str(), path.size() + 1);
    removeOnSignals();
    track(output);
    int descriptor = mkstemp(output.temporary);
    if (descriptor < 0) {
        *error = cannotWrite(destination, errno);
        untrack(output);
        return false;
    }
    // mkstemp makes it for its owner alone: it gets the mode of the file it
    // replaces, or that of any new file the user makes.
    // Its owner and group too, where the system lets us give them (root;
    // EPERM otherwise, and the file is the user's own, as any new one).
    // Before the mode: a change of owner clears the set-id bits.
    if (exists && fchown(descriptor, status.st_uid, status.st_gid) != 0) errno = 0;
    mode_t mask = umask(0);
    umask(mask);
    fchmod(descriptor, exists ? status.st_mode & 07777 : 0666 & ~mask);
    output.out = fdopen(descriptor, "w");
    if (!output.out) {
        *error = cannotWrite(destination, errno);
        close(descriptor);
        unlink(output.temporary);
        untrack(output);
        return false;
    }
    return true;
}

bool closeOutputFile(OutputFile& output, std::string* error) {
    if (!output.out) return true;
    errno = 0;
    int failed = std::fflush(output.out) != 0 || std::ferror(output.out) ? errnoOr(EIO) : 0;
    if (!output.toStandardOutput) {
        errno = 0;
        if (std::fclose(output.out) != 0 && !failed) failed = errnoOr(EIO);
        output.out = nullptr;
    }
    output.broken = failed != 0;
    if (failed) *error = cannotWriteOutput(output, std::strerror(failed));
    return !failed;
}

namespace {

// Gives the target of `output` a second name beside its temporary file's
// (".gridcmp-kept-" for ".gridcmp-partial-"), by which it can be put back,
// and notes whether there is a file to replace. Where the system gives no
// second name (a file system without hard links, another user's file where
// links to it are protected), the output is replaced without one, as a
// rename alone replaces it.
void keepReplaced(OutputFile& output) {
    std::string kept = output.temporary;
    std::string::size_type at = kept.rfind(".gridcmp-partial-");
    kept.replace(at, std::strlen(".gridcmp-partial-"), ".gridcmp-kept-");
    if (link(output.target.c_str(), kept.c_str()) != 0) {
        output.replacesFile = errno != ENOENT;
        return;
    }
    output.replacesFile = true;
    // Whole before the signal handler can see it.
    std::memcpy(output.kept + 1, kept.c_str() + 1, kept.size());
    std::atomic_signal_fence(std::memory_order_seq_cst);
    output.kept[0] = kept[0];
}

}  // namespace

bool finishOutputFiles(OutputFile* outputs, int count, bool replace, std::string* error) {
    bool closed = true;  // a failure to close said when it came is not said again
    bool whole = true;
    for (int k = 0; k < count; ++k) {
        OutputFile& output = outputs[k];
        if (!output.toStandardOutput && !closeOutputFile(output, error)) closed = false;
        if (output.broken) whole = false;
    }
    bool renamed = true;
    if (replace && whole) {
        for (int k = 0; k < count; ++k) {
            if (outputs[k].temporary[0]) keepReplaced(outputs[k]);
        }
        int done = 0;
        for (; done < count; ++done) {
            OutputFile& output = outputs[done];
            if (!output.temporary[0]) continue;
            output.state.store(OutputFile::State::renamed);  // a signal from here on puts it back
            if (std::rename(output.temporary, output.target.c_str()) != 0) {
                output.state.store(OutputFile::State::writing);
                *error = cannotWriteOutput(output, std::strerror(errno));
                renamed = false;
                break;
            }
            output.temporary[0] = '\0';  // renamed: nothing to remove
        }
        // A rename failed: put back what the outputs renamed before it
        // replaced.
        for (int k = 0; k < done && !renamed; ++k) {
            if (outputs[k].state.load() == OutputFile::State::renamed) putBackReplaced(outputs[k]);
        }
    }
    for (int k = 0; k < count; ++k) outputs[k].state.store(OutputFile::State::finished);
    for (int k = 0; k < count; ++k) {
        OutputFile& output = outputs[k];
        if (output.kept[0]) unlink(output.kept);
        output.kept[0] = '\0';
        if (output.temporary[0]) unlink(output.temporary);
        untrack(output);
    }
    return closed && renamed;
}

}  // namespace gridcmp
