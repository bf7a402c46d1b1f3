#include "app/music_file.h"

#include <new>

#include "app/messages.h"
#include "platform/file_read.h"
#include "platform/platform.h"

namespace {

// The largest module the format can describe is about 5 MB; anything larger is not one.
constexpr uint64_t LARGEST_MODULE_FILE = uint64_t(16) << 20;

// Reads the music file into image; false after reporting why not.
bool readImage(const char* path, std::vector<uint8_t>& image) {
    platform::UserFile file = platform::readUserFile(path, LARGEST_MODULE_FILE);
    const char* problem = nullptr;
    switch (file.problem) {
    case platform::FileProblem::None:
        if (file.bytes.empty()) problem = MUSIC_FILE_EMPTY;
        break;
    case platform::FileProblem::SizeUnknown: problem = MUSIC_SIZE_UNKNOWN; break;
    case platform::FileProblem::TooLarge: problem = MUSIC_SIZE_ILLEGAL; break;
    case platform::FileProblem::OutOfMemory: problem = MUSIC_OUT_OF_MEMORY; break;
    case platform::FileProblem::ReadFailed: problem = MUSIC_READ_SHORT; break;
    default: problem = MUSIC_OPEN_FAILED; break;  // missing, a folder, a pipe or a device
    }
    if (problem) {
        platform::errorBox(problem);
        return false;
    }
    image.swap(file.bytes);
    return true;
}

}  // namespace

MusicFile readMusicFile(const char* path) {
    MusicFile music;
    std::vector<uint8_t> image;
    if (!readImage(path, image)) return music;
    std::unique_ptr<MusicModule> module(new (std::nothrow) MusicModule(image.data(), image.size()));
    if (!module) {
        platform::errorBox(MUSIC_OUT_OF_MEMORY);
        return music;
    }
    if (module->parse() != 0) {
        platform::errorBox(MUSIC_NOT_A_MODULE);
        return music;  // the module, then its image, are freed here
    }
    music.image.swap(image);  // the bytes stay where the module points
    music.module = std::move(module);
    return music;
}
