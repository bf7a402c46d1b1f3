// The hand-over of the background music between the title screen and a match: the music file is
// read once at start-up; a MusicPlayer plays it on the title screen, is stopped and destroyed when
// a match update runs, and a new one starts the song from its beginning on the next title frame.
// Everything here runs on the main thread.
#include "app/app.h"

#include "audio/player.h"
#include "music/module.h"
#include "music/music_file.h"

#include <memory>
#include <new>
#include <vector>

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

}  // namespace

void loadMusic(const char* path) {
    releaseMusic();

    MusicFile music = readMusicFile(path);
    if (music.problem != MusicFileProblem::None) {
        platform::errorBox(musicFileProblemText(music.problem));
        return;
    }
    musicImage.swap(music.image);  // the bytes stay where the module points
    musicModule = std::move(music.module);

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
    std::vector<uint8_t>().swap(musicImage);
}

bool musicPlayerExists() { return musicPlayer != nullptr; }
