// The hand-over of the background music between the title screen and a match: the music file is
// read once at start-up; a MusicPlayer plays it on the title screen, is stopped and destroyed when
// a match update runs, and a new one starts the song from its beginning on the next title frame.
// Everything here runs on the main thread.
#include "app/app.h"

#include "audio/player.h"
#include "music/module.h"

#include <memory>
#include <new>
#include <vector>

#include "platform/file_read.h"

namespace {

std::vector<uint8_t> musicImage;           // the whole music file
std::unique_ptr<MusicModule> musicModule;  // built over musicImage; kept only once it parsed
std::unique_ptr<MusicPlayer> musicPlayer;

// Stops and destroys the player. The pointer is cleared first, so a frame that runs behind a
// message box never sees a player that is being torn down.
void dropPlayer() {
    std::unique_ptr<MusicPlayer> player = std::move(musicPlayer);
    if (player) player->stop();
}

// Makes a player over the module and starts it; the start result, or -1 when the object could
// not be made.
int startNewPlayer() {
    musicPlayer.reset(new (std::nothrow) MusicPlayer(musicModule.get(), nullptr, true));
    if (!musicPlayer) return -1;
    return musicPlayer->start();
}

// The largest module the format can describe is about 5 MB; anything larger is not one.
constexpr uint64_t LARGEST_MODULE_FILE = uint64_t(16) << 20;

// Reads the music file into image; false after reporting why not.
bool readMusicFile(const char* path, std::vector<uint8_t>& image) {
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

void loadMusic(const char* path) {
    releaseMusic();

    std::vector<uint8_t> image;
    if (!readMusicFile(path, image)) return;
    std::unique_ptr<MusicModule> module(new (std::nothrow) MusicModule(image.data(), image.size()));
    if (!module) {
        platform::errorBox("Could not allocate memory");
        return;
    }
    if (module->parse() != 0) {
        platform::errorBox("No ZQ module");
        return;  // the module, then its image, are freed here
    }
    musicImage.swap(image);  // the bytes stay where the module points
    musicModule = std::move(module);

    if (startNewPlayer() > 0) {
        // The player stays; the next match update or releaseMusic stops and destroys it.
        platform::errorBox("Direct-X error");
    }
}

void stopTitleMusic() { dropPlayer(); }

void startTitleMusic() {
    if (musicPlayer || !musicModule) return;
    startNewPlayer();  // a failure here stays silent
}

void releaseMusic() {
    dropPlayer();
    // The module goes before the image it was built over.
    musicModule.reset();
    std::vector<uint8_t>().swap(musicImage);
}

bool musicPlayerExists() { return musicPlayer != nullptr; }
