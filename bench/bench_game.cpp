// Cost of the game rules per frame on the shipped arena: the collision test alone, and a whole
// match update with both tanks driving, turning and firing (the frame budget is 10 ms).
#include <benchmark/benchmark.h>

#include <cstring>

#include "game/game.h"
#include "platform/keys.h"

namespace {

void setUpMatch() {
    setFixedRandomSeed(true, 1);
    initGame("data/playfield.txt");
    matchRunning = true;
    hitCountdown = -1;
    std::memset(KeyState, 0, sizeof KeyState);
}

void BM_TryMove(benchmark::State& state) {
    setUpMatch();
    for (auto _ : state) benchmark::DoNotOptimize(tryMove(0, 0.075f, 0, 0.5f, 0.4f));
    releaseGame();
}
BENCHMARK(BM_TryMove);

void BM_MatchUpdate(benchmark::State& state) {
    setUpMatch();
    const int held[] = {vk::letter('W'), vk::letter('A'), vk::letter('Q'), vk::numpad(8), vk::numpad(6)};
    for (int key : held) KeyState[key] = 1;
    for (auto _ : state) {
        KeyState[vk::letter('X')] = KeyState[vk::numpad(2)] = 1;
        matchUpdate();
        if (hitCountdown >= 0) {
            hitCountdown = -1;
            restartPlay();
        }
    }
    releaseGame();
}
BENCHMARK(BM_MatchUpdate);

}  // namespace

BENCHMARK_MAIN();
