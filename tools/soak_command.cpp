// soak [--playfield FILE] [--frames N] [--seed S]: N frames of each variant (F1, F2, F3 in
// turn) with random keys for both players, through the game's own frame rules, checking the
// game's invariants after every frame. Prints a summary; status 1 at the first broken rule.
#include <CLI/CLI.hpp>

#include <cmath>
#include <memory>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "game/frame_rules.h"
#include "game/game.h"
#include "game/input_sources.h"
#include "game/viewer.h"
#include "platform/keys.h"
#include "tools/commands.h"
#include "tools/message_format.h"
#include "tools/tool_messages.h"

namespace {


const int ViewKeys[] = {vk::digit(1), vk::digit(2), vk::digit(3), vk::digit(4), vk::digit(5),
                         vk::digit(6), vk::digit(7), vk::letter('Z'), vk::numpad(1)};
const int VariantKeys[] = {vk::F1, vk::F2, vk::F3};

bool inside(float x, float y) {
    return std::isfinite(x) && std::isfinite(y) && std::fabs(x) <= ARENA_HALF_WIDTH && std::fabs(y) <= ARENA_HALF_HEIGHT;
}

// The first broken rule after a frame, or an empty text.
std::string brokenRule(const GameState& game, bool wasRunning) {
    for (int p = 0; p < game.playerCount; ++p) {
        const Player& player = game.players[p];
        if (!inside(player.x, player.y) || !std::isfinite(player.heading) ||
            !std::isfinite(player.turretAngle))
            return formatMessage(TANK_LEFT_ARENA, p);
        if (player.lives < 0 || player.lives > START_LIVES)
            return formatMessage(LIVES_OUT_OF_RANGE, p, player.lives);
        const Bullet& bullet = game.bullets[p];
        if (bullet.life > RAPID_BULLET_LIFE) return formatMessage(BULLET_LIVES_TOO_LONG, p);
        if (bullet.life >= 0 && !inside(bullet.x, bullet.y))
            return formatMessage(BULLET_LEFT_ARENA, p);
        for (int q = p + 1; q < game.playerCount; ++q) {
            const float dx = player.x - game.players[q].x, dy = player.y - game.players[q].y;
            if (dx * dx + dy * dy < MIN_TANK_DISTANCE_SQUARED) return TANKS_OVERLAP;
        }
    }
    const Powerup& powerup = game.powerup;
    if (powerup.life > 0 &&
        (powerupOverlapsBlock(game.playfield, powerup.x, powerup.y) || !inside(powerup.x, powerup.y)))
        return POWERUP_ON_WALL;
    bool someoneOut = false;
    for (int p = 0; p < game.playerCount; ++p) someoneOut |= game.players[p].lives <= 0;
    // A hit shows first: the match ends at the countdown's first step, the frame after the hit.
    if (game.matchRunning && someoneOut && game.hitCountdown != HIT_COUNTDOWN_START) return MATCH_WITHOUT_LIVES;
    if (wasRunning && !game.matchRunning && !someoneOut) return MATCH_ENDED_EARLY;
    return {};
}

struct SoakOptions {
    std::string playfield = "data/playfield.txt";
    uint64_t frames = 100000;
    uint64_t seed = 1;
};

int soak(const SoakOptions& options) {
    const long long frames = static_cast<long long>(options.frames);
    const unsigned long seed = static_cast<unsigned long>(options.seed);
    const std::string& playfieldPath = options.playfield;
    std::mt19937 random(static_cast<uint32_t>(seed));
    auto chance = [&random](int inThousand) { return int(random() % 1000) < inThousand; };
    clearKeys();
    GameState game;
    resetGameState(game);
    initGame(game, playfieldPath.c_str(), 0);
    Viewer viewer;
    bool held[256] = {};
    long long matches = 0, hits = 0, collected = 0;
    for (int variant = 0; variant < 3; ++variant) {
        for (long long frame = 0; frame < frames; ++frame) {
            // Every powerup reset draws from a fresh, reproducible seed.
            const uint32_t clock = static_cast<uint32_t>(random());
            KeyState[VariantKeys[variant]] = !game.matchRunning && game.hitCountdown < 0;
            for (const TankKeys& keys : PlayerKeys)
                for (int key : {keys.hullLeft, keys.hullRight, keys.turretLeft, keys.turretRight,
                                keys.forward, keys.backward, keys.fire}) {
                    if (chance(20)) held[key] = !held[key];
                    // A press, then the keyboard's auto-repeat; a release clears the entry.
                    if (!held[key]) keyUp(key);
                    else if (chance(300)) keyDown(key);
                }
            if (chance(3)) keyDown(ViewKeys[random() % 9]);
            const bool wasRunning = game.matchRunning;
            const bool powerupThere = game.powerup.life > 0;
            const int hitBefore = game.hitCountdown;
            viewerAfterFrame(viewer, game, advanceFrame(game, keyFrameInput(0, clock)));
            matches += !wasRunning && game.matchRunning;
            hits += game.hitCountdown == HIT_COUNTDOWN_START && hitBefore != HIT_COUNTDOWN_START;
            for (int p = 0; p < game.playerCount; ++p)
                collected += powerupThere && game.players[p].powerupTimer == EFFECT_DURATION;
            const std::string broken = brokenRule(game, wasRunning);
            if (!broken.empty()) {
                std::fprintf(stderr, SOAK_RULE_BROKEN, variant + 1, frame, seed, broken.c_str());
                releaseGame(game);
                return 1;
            }
        }
        // The next variant starts from the title screen: leave the match after its countdown.
        KeyState[VariantKeys[variant]] = 0;
        std::memset(held, 0, sizeof held);
        while (game.matchRunning || game.hitCountdown >= 0) {
            keyDown(vk::ESCAPE);
            advanceFrame(game, keyFrameInput(0, 0));
        }
    }
    std::printf(SOAK_PASSED, frames, matches, hits, collected);
    releaseGame(game);
    return 0;
}

}  // namespace

void addSoakCommand(CLI::App& tool, CommandAction& chosen) {
    auto options = std::make_shared<SoakOptions>();
    CLI::App* command = tool.add_subcommand(
        "soak",
        "Play N frames of each variant (F1, F2, F3) with random keys for both players and check the "
        "game's rules after every frame; status 1 at the first broken one.");
    command->add_option("--playfield", options->playfield, "The arena file.")->capture_default_str();
    command->add_option("--frames", options->frames, "Frames per variant.")
        ->check(wholeNumber(1ull << 40));
    command->add_option("--seed", options->seed, "Seed of the random keys.")
        ->check(wholeNumber(0xFFFFFFFFull));
    command->callback([&chosen, options] { chosen = [options] { return soak(*options); }; });
}
