// Cost of the game rules per frame on the shipped arena: the collision test alone, a whole
// match update with both tanks driving, turning and firing (the frame budget is 10 ms), and
// saving and hashing the state (done every frame by rollback and replays).
#include <benchmark/benchmark.h>

#include "game/frame_rules.h"
#include "game/game.h"
#include "game/state_bytes.h"

namespace {

GameState matchOnArena() {
    GameState game;
    resetGameState(game);
    initGame(game, "data/playfield.txt", 1);
    game.matchRunning = true;
    return game;
}

void BM_TryMove(benchmark::State& state) {
    GameState game = matchOnArena();
    for (auto _ : state) benchmark::DoNotOptimize(tryMove(game, 0, 0.075f, 0, 0.5f, 0.4f));
    releaseGame(game);
}
BENCHMARK(BM_TryMove);

void BM_MatchUpdate(benchmark::State& state) {
    GameState game = matchOnArena();
    FrameInput input{};
    input.controls[0] = Forward | HullLeft | TurretLeft | FireHeld | FirePressed;
    input.controls[1] = Forward | HullRight | FireHeld | FirePressed;
    input.clock = 1;
    for (auto _ : state) {
        FrameResult result;
        game.fireLatch[0] = game.fireLatch[1] = true;
        matchUpdate(game, input, result);
        if (game.hitCountdown >= 0) {
            game.hitCountdown = -1;
            restartPlay(game, 1, result);
        }
    }
    releaseGame(game);
}
BENCHMARK(BM_MatchUpdate);

void BM_SaveAndHashState(benchmark::State& state) {
    GameState game = matchOnArena();
    for (auto _ : state) benchmark::DoNotOptimize(hashState(game));
    releaseGame(game);
}
BENCHMARK(BM_SaveAndHashState);

}  // namespace

BENCHMARK_MAIN();
