// Reading a whole input file for the tools' commands, through the door for users' files: a
// folder, a pipe, a device or an oversized file is refused with one line naming it and why.
#pragma once

#include <cstdio>
#include <string>

#include "platform/file_read.h"
#include "tools/tool_messages.h"

// Songs, modules, WAV files and key scripts are all far smaller.
constexpr uint64_t TOOL_INPUT_LIMIT = uint64_t(64) << 20;

// Reads every byte of the file at path into contents (a std::string or a std::vector of bytes).
// Otherwise prints "PATH: REASON" on standard error and returns false.
template <typename Bytes>
bool readInputFile(const std::string& path, Bytes& contents) {
    const platform::UserFile file = platform::readUserFile(path.c_str(), TOOL_INPUT_LIMIT);
    if (file.problem == platform::FileProblem::TooLarge) {
        std::fprintf(stderr, INPUT_TOO_LARGE, path.c_str(), platform::fileProblemText(file.problem),
                     static_cast<unsigned long long>(TOOL_INPUT_LIMIT));
        return false;
    }
    if (file.problem != platform::FileProblem::None) {
        std::fprintf(stderr, INPUT_UNREADABLE, path.c_str(), platform::fileProblemText(file.problem));
        return false;
    }
    contents.assign(file.bytes.begin(), file.bytes.end());
    return true;
}
