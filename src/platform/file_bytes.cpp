#include "platform/file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

FileProblem ProblemOfErrno(int error) {
    return error == ENOENT || error == ENOTDIR ? FileProblem::kMissing : FileProblem::kUnreadable;
}

}  // namespace

FileBytes ReadFileBytes(const std::string& path, std::size_t maxBytes) {
    FileBytes out;
    // Non-blocking, so a FIFO or a device in place of the file cannot stop the game.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        out.problem = ProblemOfErrno(errno);
        return out;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        out.problem = FileProblem::kUnreadable;
    } else if (!S_ISREG(st.st_mode)) {
        out.problem = FileProblem::kNotAFile;
    } else {
        // The size the file claims is only a hint: it may grow or shrink while it is read.
        const std::size_t want = maxBytes + 1;
        out.bytes.resize(static_cast<std::size_t>(st.st_size) < want
                             ? static_cast<std::size_t>(st.st_size) + 1
                             : want);
        std::size_t have = 0;
        while (have < want) {
            if (have == out.bytes.size()) out.bytes.resize(want);
            const ssize_t n = ::read(fd, out.bytes.data() + have, out.bytes.size() - have);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                out.problem = FileProblem::kUnreadable;
                break;
            }
            if (n == 0) break;
            have += static_cast<std::size_t>(n);
        }
        out.bytes.resize(have);
        if (out.problem == FileProblem::kNone && have > maxBytes) {
            out.problem = FileProblem::kTooLong;
            out.bytes.resize(maxBytes);
        }
    }
    ::close(fd);
    if (out.problem != FileProblem::kNone && out.problem != FileProblem::kTooLong)
        out.bytes.clear();
    return out;
}

const char* DescribeFileProblem(FileProblem problem) {
    switch (problem) {
        case FileProblem::kNone:
            return "is fine";
        case FileProblem::kMissing:
            return "is missing";
        case FileProblem::kNotAFile:
            return "is not a file";
        case FileProblem::kTooLong:
            return "is too long";
        case FileProblem::kUnreadable:
            return "cannot be read";
    }
    return "cannot be read";
}
