#include "app/music_file.h"

#include <new>

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
        if (file.bytes.empty()) problem = "Empty file";
        break;
    case platform::FileProblem::SizeUnknown: problem = "Cannot determine filesize"; break;
    case platform::FileProblem::TooLarge: problem = "Illegal filesize"; break;
    case platform::FileProblem::OutOfMemory: problem = "Could not allocate memory"; break;
    case platform::FileProblem::ReadFailed: problem = "Failed to read the complete file"; break;
    default: problem = "Could not open file"; break;  // missing, a folder, a pipe or a device
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
        platform::errorBox("Could not allocate memory");
        return music;
    }
    if (module->parse() != 0) {
        platform::errorBox("No ZQ module");
        return music;  // the module, then its image, are freed here
    }
    music.image.swap(image);  // the bytes stay where the module points
    music.module = std::move(module);
    return music;
}
