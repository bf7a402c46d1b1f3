// The process entry: start-up, the message loop, shut-down.
#include "app/app.h"

#include "game/data_files.h"
#include "game/game.h"

#include <ctime>

int main() {
    fullScreen = true;
    setDataFolder(chooseDataFolder(platform::executableFolder()));
    resetGameState(game);
    initGame(game, static_cast<uint32_t>(std::time(nullptr)));  // reports its own failures and goes on
    if (!createGLWindow(WINDOW_TITLE, 800, 600, 16, fullScreen)) return 0;
    ShellWindow windowProcedure;
    platform::attachWindowEvents(&windowProcedure);  // frames run behind the music's message boxes
    platform::raiseProcessPriority();
    loadMusic(dataFile(MUSIC_FILE).c_str());

    int quitCode = platform::runMessageLoop(windowProcedure);

    killGLWindow();
    releaseGame(game);
    releaseMusic();
    return quitCode;
}
