// duel --first A --second B [--matches N] [--seed S] [--playfield FILE] [--variant V]: plays N
// whole matches between two players, each a computer of level 1, 2 or 3 or random controls,
// through the game's own frames, and prints one JSON object with the wins, the matches left
// unfinished, the times a computer stood stuck, the mean match length and the computers'
// thinking time per frame of play (the frames of a hit being shown left out).
#include <CLI/CLI.hpp>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "game/computer.h"
#include "game/game.h"
#include "game/frame_rules.h"
#include "tools/commands.h"
#include "tools/json_text.h"

namespace {

constexpr long long MATCH_FRAME_LIMIT = 60000;  // ten minutes of game time
constexpr int STUCK_FRAMES = 300;
constexpr float STUCK_DISTANCE = 4.4f;
constexpr int THINK_BUCKETS = 10000;             // one per microsecond

struct DuelOptions {
    std::string first = "3", second = "3";
    uint64_t matches = 100;
    uint64_t seed = 1;
    std::string playfield = "data/playfield.txt";
    std::string variant = "regular";
};

// One side of the duel: a computer, or random controls held for 10 to 50 frames each.
struct Contender {
    int level = 0;  // 0 random
    ComputerPlayer computer;
    std::mt19937 random;
    int holdFor = 0;
    Controls held = 0;
    // The stuck watch: where the tank stood and for how many frames in a row.
    float anchorX = 0, anchorY = 0;
    int stillFrames = 0;
};

struct ThinkTimes {
    double total = 0, max = 0;
    long long calls = 0;
    std::vector<long long> buckets = std::vector<long long>(THINK_BUCKETS + 1, 0);
    double percentile(double share) const {
        long long seen = 0;
        const long long wanted = static_cast<long long>(std::ceil(share * static_cast<double>(calls)));
        for (int b = 0; b <= THINK_BUCKETS; ++b)
            if ((seen += buckets[b]) >= wanted) return b;
        return THINK_BUCKETS;
    }
};

Controls randomControls(Contender& side) {
    if (side.holdFor-- > 0) return static_cast<Controls>(side.held & ~FirePressed);
    side.holdFor = static_cast<int>(side.random() % 41) + 9;
    side.held = static_cast<Controls>(side.random() & 0x7F);
    if (side.held & FireHeld) side.held |= FirePressed;  // the first frame of a hold is the press
    return side.held;
}

Controls controlsOf(Contender& side, int p, const ComputerSight& sight, ThinkTimes& times) {
    if (side.level == 0) return randomControls(side);
    const auto start = std::chrono::steady_clock::now();
    const Controls controls = thinkComputer(side.computer, p, sight);
    const double micros =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
    if (!sight.matchRunning || sight.hitShown) return controls;  // nothing to think about
    times.total += micros;
    times.max = std::max(times.max, micros);
    times.calls += 1;
    times.buckets[std::min(THINK_BUCKETS, static_cast<int>(micros))] += 1;
    return controls;
}

// One frame of the stuck watch after a match update: 300 frames in a row near one place, with
// no bullet of its own in flight and no more lives than the opponent, make one stuck event.
bool stuckStep(Contender& side, const GameState& game, int p) {
    const Player& me = game.players[p];
    const Player& other = game.players[1 - p];
    const bool away = std::hypot(me.x - side.anchorX, me.y - side.anchorY) > STUCK_DISTANCE;
    if (away || game.bullets[p].life > 0 || me.lives > other.lives) {
        side.anchorX = me.x, side.anchorY = me.y;
        side.stillFrames = 0;
        return false;
    }
    if (++side.stillFrames < STUCK_FRAMES) return false;
    side.stillFrames = 0;
    return true;
}

bool parseSide(const std::string& text, int& level) {
    if (text == "random") return level = 0, true;
    if (text == "1" || text == "2" || text == "3") return level = text[0] - '0', true;
    return false;
}

int duel(const DuelOptions& options) {
    int levels[2];
    if (!parseSide(options.first, levels[0]) || !parseSide(options.second, levels[1])) return 2;
    const GameKeys startKey = options.variant == "bouncing"    ? StartBouncingKey
                              : options.variant == "steerable" ? StartSteerableKey
                                                               : StartRegularKey;
    GameState game;
    resetGameState(game);
    initGame(game, options.playfield.c_str(), 0);
    if (game.playerCount < 2) return 1;
    long long firstWins = 0, secondWins = 0, unfinished = 0, stuck = 0, frames = 0;
    ThinkTimes times;
    for (uint64_t m = 0; m < options.matches; ++m) {
        // The match's seed is the clock every powerup reset seeds the generator with, and the
        // seed of the computers' and the random controls' generators.
        const uint32_t seed = static_cast<uint32_t>(options.seed + m);
        resetGameState(game);  // each match depends on its seed alone
        Contender sides[2];
        for (int p = 0; p < 2; ++p) {
            sides[p].level = levels[p];
            sides[p].computer = makeComputer(levels[p] ? levels[p] : 1, seed * 2 + static_cast<uint32_t>(p));
            sides[p].random.seed(seed * 2 + static_cast<uint32_t>(p));
        }
        FrameInput input = {};
        input.clock = seed;
        input.gameKeys = startKey;
        advanceFrame(game, input);
        input.gameKeys = 0;
        for (int p = 0; p < 2; ++p) sides[p].anchorX = game.players[p].x, sides[p].anchorY = game.players[p].y;
        long long frame = 1;
        for (; (game.matchRunning || game.hitCountdown >= 0) && frame < MATCH_FRAME_LIMIT; ++frame) {
            const ComputerSight sight = sightOf(game);
            for (int p = 0; p < 2; ++p) input.controls[p] = controlsOf(sides[p], p, sight, times);
            if (advanceFrame(game, input).branch != FrameBranch::Match) continue;
            for (int p = 0; p < 2; ++p)
                if (sides[p].level != 0 && stuckStep(sides[p], game, p)) ++stuck;
        }
        frames += frame;
        if (game.matchRunning || game.hitCountdown >= 0)
            ++unfinished;
        else if (game.players[0].lives > 0)
            ++firstWins;
        else
            ++secondWins;
    }
    releaseGame(game);
    ToolJson result = ToolJson::object();
    result["matches"] = static_cast<std::uint64_t>(options.matches);
    result["firstWins"] = firstWins;
    result["secondWins"] = secondWins;
    result["unfinished"] = unfinished;
    result["stuck"] = stuck;
    result["meanFrames"] = options.matches ? static_cast<float>(static_cast<double>(frames) / static_cast<double>(options.matches)) : 0.0f;
    result["thinkMicrosMax"] = static_cast<float>(times.max);
    result["thinkMicrosMean"] = static_cast<float>(times.calls ? times.total / static_cast<double>(times.calls) : 0.0);
    result["thinkMicrosP99"] = static_cast<float>(times.percentile(0.99));
    std::fputs(jsonDocument(result).c_str(), stdout);
    return 0;
}

}  // namespace

void addDuelCommand(CLI::App& tool, CommandAction& chosen) {
    auto options = std::make_shared<DuelOptions>();
    CLI::App* command = tool.add_subcommand(
        "duel",
        "Play N whole matches between two players, each a computer of level 1, 2 or 3 or random "
        "controls, and print the wins, unfinished matches, stuck events and thinking times as JSON.");
    const auto side = CLI::IsMember({"1", "2", "3", "random"});
    command->add_option("--first", options->first, "Player 1: 1, 2, 3 or random.")->required()->check(side);
    command->add_option("--second", options->second, "Player 2: 1, 2, 3 or random.")->required()->check(side);
    command->add_option("--matches", options->matches, "Matches to play.")
        ->capture_default_str()->check(wholeNumber(1000000));
    command->add_option("--seed", options->seed, "Seed of match 1; match i plays with seed + i.")
        ->capture_default_str()->check(wholeNumber(0xFFFFFFFFull));
    command->add_option("--playfield", options->playfield, "The arena file.")->capture_default_str();
    command->add_option("--variant", options->variant, "regular, bouncing or steerable.")
        ->capture_default_str()->check(CLI::IsMember({"regular", "bouncing", "steerable"}));
    command->callback([&chosen, options] { chosen = [options] { return duel(*options); }; });
}
