// Arena files of any content: the reader must reach the end without reading past the text, and
// every stored block must be ordered (min <= max) and usable by the collision tests.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "game/game.h"
#include "platform/platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/fuzz_playfield_" + std::to_string(getpid()) + ".txt";
    static bool quiet = [] {
        platform::setMessageObserver([](const platform::MessageRecord&) { return platform::MessageAnswer::Ok; });
        return true;
    }();
    (void)quiet;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    GameState game;
    resetGameState(game);
    initGame(game, path.c_str(), 1);
    const Playfield& playfield = game.playfield;
    for (int b = 0; b < playfield.blockCount; ++b) {
        const PlayfieldBlock& block = playfield.blocks[b];
        if (!(block.xMin <= block.xMax) || !(block.yMin <= block.yMax)) std::abort();
    }
    for (int p = 0; p < game.playerCount; ++p) {
        tryMove(game, p, 0.075f, 0, 0.5f, 0.4f);
        (void)powerupOverlapsBlock(playfield, game.players[p].x, game.players[p].y);
    }
    releaseGame(game);
    return 0;
}
