// The hand-over of the background music between the title screen and a match: the music file is
// read once at start-up; a MusicPlayer plays it on the title screen, is stopped and destroyed when
// a match update runs, and a new one starts the song from its beginning on the next title frame.
// Everything here runs on the main thread.
#include "app/app.h"

#include "audio/player.h"
#include "music/module.h"

#include <cstdio>
#include <memory>
#include <new>
#include <sys/stat.h>

namespace {

std::unique_ptr<uint8_t[]> musicImage;    // the whole music file
std::unique_ptr<MusicModule> musicModule;  // built over musicImage; kept only once it parsed
std::unique_ptr<MusicPlayer> musicPlayer;

constexpr uint64_t LARGEST_FILE = 0xFFFFFFFFull;  // sizes of 4 GiB or more are refused

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
std::unique_ptr<uint8_t[]> readMusicFile(const char* path, size_t& size) {
    File file = openExistingFile(path);
    if (!file) {
        platform::errorBox(MUSIC_OPEN_FAILED);
        return nullptr;
    }
    const long long bytes = fileSize(file.get());
    if (bytes == 0) {
        platform::errorBox(MUSIC_FILE_EMPTY);
        return nullptr;
    }
    if (bytes < 0) {
        platform::errorBox(MUSIC_SIZE_UNKNOWN);
        return nullptr;
    }
    if (static_cast<unsigned long long>(bytes) > LARGEST_FILE) {
        platform::errorBox(MUSIC_SIZE_ILLEGAL);
        return nullptr;
    }
    size = static_cast<size_t>(bytes);
    std::unique_ptr<uint8_t[]> image(new (std::nothrow) uint8_t[size]);
    if (!image) {
        platform::errorBox(MUSIC_OUT_OF_MEMORY);
        return nullptr;
    }
    const size_t got = std::fread(image.get(), 1, size, file.get());
    file.reset();
    if (got != size) {
        platform::errorBox(MUSIC_READ_SHORT);
        return nullptr;
    }
    return image;
}

}  // namespace

void loadMusic(const char* path) {
    releaseMusic();

    size_t size = 0;
    std::unique_ptr<uint8_t[]> image = readMusicFile(path, size);
    if (!image) return;
    std::unique_ptr<MusicModule> module(new (std::nothrow) MusicModule(image.get(), size));
    if (!module) {
        platform::errorBox(MUSIC_OUT_OF_MEMORY);
        return;
    }
    if (module->parse() != 0) {
        platform::errorBox(MUSIC_NOT_A_MODULE);
        return;  // the module, then its image, are freed here
    }
    musicImage = std::move(image);
    musicModule = std::move(module);

    if (startNewPlayer() > 0) {
        // The player stays; the next match update or releaseMusic stops and destroys it.
        platform::errorBox(MUSIC_NO_SOUND_OUTPUT);
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
    musicImage.reset();
}

bool musicPlayerExists() { return musicPlayer != nullptr; }
