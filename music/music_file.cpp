#include "music/music_file.h"

#include <new>

#include "platform/file_read.h"

namespace {

// The largest module the format can describe is about 5 MB; anything larger is not one.
constexpr uint64_t LARGEST_MODULE_FILE = uint64_t(16) << 20;

MusicFileProblem problemOfFile(const platform::UserFile& file) {
    switch (file.problem) {
    case platform::FileProblem::None:
        return file.bytes.empty() ? MusicFileProblem::Empty : MusicFileProblem::None;
    case platform::FileProblem::SizeUnknown: return MusicFileProblem::SizeUnknown;
    case platform::FileProblem::TooLarge: return MusicFileProblem::TooLarge;
    case platform::FileProblem::OutOfMemory: return MusicFileProblem::OutOfMemory;
    case platform::FileProblem::ReadFailed: return MusicFileProblem::ReadShort;
    default: return MusicFileProblem::CannotOpen;  // missing, a folder, a pipe or a device
    }
}

}  // namespace

MusicFile readMusicFile(const char* path) {
    MusicFile music;
    platform::UserFile file = platform::readUserFile(path, LARGEST_MODULE_FILE);
    music.problem = problemOfFile(file);
    if (music.problem != MusicFileProblem::None) return music;
    std::unique_ptr<MusicModule> module(new (std::nothrow) MusicModule(file.bytes.data(), file.bytes.size()));
    if (!module) {
        music.problem = MusicFileProblem::OutOfMemory;
        return music;
    }
    if (module->parse() != 0) {
        music.problem = MusicFileProblem::NotAModule;
        return music;  // the module, then the file's bytes, are freed here
    }
    music.image.swap(file.bytes);  // the bytes stay where the module points
    music.module = std::move(module);
    return music;
}

const char* musicFileProblemText(MusicFileProblem problem) {
    switch (problem) {
    case MusicFileProblem::None: return "";
    case MusicFileProblem::CannotOpen: return "Could not open file";
    case MusicFileProblem::Empty: return "Empty file";
    case MusicFileProblem::SizeUnknown: return "Cannot determine filesize";
    case MusicFileProblem::TooLarge: return "Illegal filesize";
    case MusicFileProblem::OutOfMemory: return "Could not allocate memory";
    case MusicFileProblem::ReadShort: return "Failed to read the complete file";
    case MusicFileProblem::NotAModule: return "No ZQ module";
    }
    return "";
}
