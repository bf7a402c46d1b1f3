#include "platform/file_read.h"

#include <new>
#include <stdexcept>

#ifdef _WIN32
#include <filesystem>
#include <fstream>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {

const char* fileProblemText(FileProblem problem) {
    switch (problem) {
    case FileProblem::None: return "was read";
    case FileProblem::CannotOpen: return "cannot be opened";
    case FileProblem::Folder: return "is a folder, not a file";
    case FileProblem::NotRegular: return "is not a regular file (a pipe, device or socket)";
    case FileProblem::SizeUnknown: return "has a size that cannot be determined";
    case FileProblem::TooLarge: return "is too large";
    case FileProblem::OutOfMemory: return "does not fit in memory";
    case FileProblem::ReadFailed: return "could not be read to its end";
    }
    return "cannot be read";
}

namespace {

// Makes room for size bytes; false when memory runs out.
bool makeRoom(std::vector<uint8_t>& bytes, uint64_t size) {
    try {
        bytes.resize(static_cast<size_t>(size));
        return true;
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    return false;
}

#ifdef _WIN32

FileProblem readFile(const char* path, uint64_t maxBytes, std::vector<uint8_t>& bytes) {
    const std::filesystem::path name = std::filesystem::u8path(path);
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(name, error);
    if (error || !std::filesystem::exists(status)) return FileProblem::CannotOpen;
    if (std::filesystem::is_directory(status)) return FileProblem::Folder;
    if (!std::filesystem::is_regular_file(status)) return FileProblem::NotRegular;
    const uintmax_t size = std::filesystem::file_size(name, error);
    if (error) return FileProblem::SizeUnknown;
    if (size > maxBytes) return FileProblem::TooLarge;
    std::ifstream file(name, std::ios::binary);
    if (!file) return FileProblem::CannotOpen;
    if (!makeRoom(bytes, size)) return FileProblem::OutOfMemory;
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
    if (static_cast<uint64_t>(file.gcount()) != size) return FileProblem::ReadFailed;
    return FileProblem::None;
}

#else

FileProblem kindOf(const struct stat& info) {
    if (S_ISDIR(info.st_mode)) return FileProblem::Folder;
    if (!S_ISREG(info.st_mode)) return FileProblem::NotRegular;
    return FileProblem::None;
}

// The path is looked at before it is opened, so that a device is never opened at all; the open
// does not wait (a pipe swapped in after the look cannot block) and the open file is checked
// again.
FileProblem readFile(const char* path, uint64_t maxBytes, std::vector<uint8_t>& bytes) {
    struct stat info {};
    if (::stat(path, &info) != 0) return FileProblem::CannotOpen;
    if (FileProblem kind = kindOf(info); kind != FileProblem::None) return kind;
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == EISDIR ? FileProblem::Folder : FileProblem::CannotOpen;
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    if (::fstat(fd, &info) != 0 || info.st_size < 0) return FileProblem::SizeUnknown;
    if (FileProblem kind = kindOf(info); kind != FileProblem::None) return kind;
    const uint64_t size = static_cast<uint64_t>(info.st_size);
    if (size > maxBytes) return FileProblem::TooLarge;
    if (!makeRoom(bytes, size)) return FileProblem::OutOfMemory;
    uint64_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, bytes.data() + got, static_cast<size_t>(size - got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<uint64_t>(n);
    }
    return got == size ? FileProblem::None : FileProblem::ReadFailed;
}

#endif

}  // namespace

UserFile readUserFile(const char* path, uint64_t maxBytes) {
    UserFile file;
    if (path == nullptr) {
        file.problem = FileProblem::CannotOpen;
        return file;
    }
    try {
        file.problem = readFile(path, maxBytes, file.bytes);
    } catch (const std::bad_alloc&) {
        file.problem = FileProblem::OutOfMemory;
    } catch (const std::exception&) {
        file.problem = FileProblem::CannotOpen;
    }
    if (file.problem != FileProblem::None) std::vector<uint8_t>().swap(file.bytes);
    return file;
}

}  // namespace platform
