// The process entry: start-up, the message loop, shut-down.
#include "app/app.h"
#include "app/command_line.h"

#include "game/data_files.h"
#include "game/game.h"
#include "render/render.h"

#include <cstdio>
#include <ctime>
#include <string>

int main(int argc, char** argv) {
    LaunchOptions options;
    std::string problem;
    if (!readCommandLine(argc, argv, options, problem)) {
        std::fprintf(stderr, COMMAND_LINE_PROBLEM, problem.c_str());
        return 2;
    }
    for (int p = 0; p < 2; ++p) setPlayerLevel(p, options.playerLevels[p]);
    fullScreen = true;
    setDataFolder(chooseDataFolder(platform::executableFolder()));
    resetGameState(game);
    initGame(game, static_cast<uint32_t>(std::time(nullptr)));  // reports its own failures and goes on
    if (!createGLWindow(WINDOW_TITLE, WINDOW_WIDTH, WINDOW_HEIGHT, 16, fullScreen)) return 0;
    ShellWindow windowProcedure;
    platform::attachWindowEvents(&windowProcedure);  // frames run behind the music's message boxes
    platform::raiseProcessPriority();
    loadMusic(dataFile(MUSIC_FILE).c_str());
    if (!options.replayFile.empty()) startReplay(options.replayFile);
    if (options.online == OnlineStart::Host) hostOnline(options.hostPort);
    if (options.online == OnlineStart::Join) joinOnline(options.joinAddress);

    int quitCode = platform::runMessageLoop(windowProcedure);

    finishReplays();
    killGLWindow();
    releaseGame(game);
    releaseMusic();
    return quitCode;
}
