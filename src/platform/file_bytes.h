// The one way the game reads a file: opened without blocking, only a regular file, never more
// than the format allows, and a reason when it goes wrong.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class FileProblem {
    kNone,
    kMissing,     // nothing there (or the folder cannot be searched)
    kNotAFile,    // a folder, FIFO, device or socket
    kTooLong,     // more than the format allows; the first maxBytes are kept
    kUnreadable,  // no permission or a read error
};

struct FileBytes {
    std::vector<std::uint8_t> bytes;
    FileProblem problem = FileProblem::kNone;

    bool Ok() const { return problem == FileProblem::kNone; }
};

// Reads at most maxBytes of the file at path (one byte more tells that it is too long).
FileBytes ReadFileBytes(const std::string& path, std::size_t maxBytes);
// "is missing", "is not a file", ... for messages.
const char* DescribeFileProblem(FileProblem problem);
