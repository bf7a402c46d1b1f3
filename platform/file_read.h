// The one door through which every file a user or modder supplies is read (the arena, the
// bitmaps, the sound effects, the music module and the tools' inputs). Only a regular file of at
// most the caller's limit is read: a folder, a pipe (which would block) or a device (which may
// never end) is refused before any byte is read, and so is anything larger than the format can
// need. Running out of memory is a refusal too, never an exception. Portable: POSIX calls where
// they exist, the standard file system library on Windows.
#pragma once

#include <cstdint>
#include <vector>

namespace platform {

enum class FileProblem {
    None,
    CannotOpen,   // missing, or not readable
    Folder,
    NotRegular,   // a pipe, a device or a socket
    SizeUnknown,
    TooLarge,     // above the caller's limit
    OutOfMemory,
    ReadFailed    // fewer bytes arrived than the file holds
};

// A short reason for messages, to follow the file's name: "is a folder, not a file".
const char* fileProblemText(FileProblem problem);

struct UserFile {
    FileProblem problem = FileProblem::None;
    std::vector<uint8_t> bytes;  // the whole file when problem is None (empty for an empty file)
};

// Allocates nothing but the bytes it returns (POSIX), and never throws.
UserFile readUserFile(const char* path, uint64_t maxBytes);

}  // namespace platform
