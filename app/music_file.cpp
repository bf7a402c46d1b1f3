#include "app/music_file.h"

#include <cstdio>
#include <new>
#include <sys/stat.h>

#include "platform/platform.h"

namespace {

constexpr uint64_t LARGEST_FILE = 0xFFFFFFFFull;  // sizes of 4 GiB or more are refused

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Opens an existing regular file for reading; null otherwise.
File openExistingFile(const char* path) {
    struct stat info {};
    if (path == nullptr || stat(path, &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
    return File(std::fopen(path, "rb"));
}

// The file's size, or -1 when it cannot be determined.
long long fileSize(std::FILE* file) {
    struct stat info {};
    if (fstat(fileno(file), &info) != 0) return -1;
    return static_cast<long long>(info.st_size);
}

// Reads the music file into a new image; null after reporting why not.
std::unique_ptr<uint8_t[]> readImage(const char* path, size_t& size) {
    File file = openExistingFile(path);
    if (!file) {
        platform::errorBox("Could not open file");
        return nullptr;
    }
    const long long bytes = fileSize(file.get());
    if (bytes == 0) {
        platform::errorBox("Empty file");
        return nullptr;
    }
    if (bytes < 0) {
        platform::errorBox("Cannot determine filesize");
        return nullptr;
    }
    if (static_cast<unsigned long long>(bytes) > LARGEST_FILE) {
        platform::errorBox("Illegal filesize");
        return nullptr;
    }
    size = static_cast<size_t>(bytes);
    std::unique_ptr<uint8_t[]> image(new (std::nothrow) uint8_t[size]);
    if (!image) {
        platform::errorBox("Could not allocate memory");
        return nullptr;
    }
    const size_t got = std::fread(image.get(), 1, size, file.get());
    file.reset();
    if (got != size) {
        platform::errorBox("Failed to read the complete file");
        return nullptr;
    }
    return image;
}

}  // namespace

MusicFile readMusicFile(const char* path) {
    MusicFile music;
    size_t size = 0;
    std::unique_ptr<uint8_t[]> image = readImage(path, size);
    if (!image) return music;
    std::unique_ptr<MusicModule> module(new (std::nothrow) MusicModule(image.get(), size));
    if (!module) {
        platform::errorBox("Could not allocate memory");
        return music;
    }
    if (module->parse() != 0) {
        platform::errorBox("No ZQ module");
        return music;  // the module, then its image, are freed here
    }
    music.image = std::move(image);
    music.module = std::move(module);
    return music;
}
