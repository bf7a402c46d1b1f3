// simulate --playfield FILE --frames N [--keys SCRIPT] [--seed S]: runs the game's frames without
// drawing, delivering scripted key messages before each frame, and prints the game state after
// every frame as one JSON object per line.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "game/frame_rules.h"
#include "game/game.h"
#include "game/input_sources.h"
#include "game/viewer.h"
#include "platform/keys.h"
#include "tools/commands.h"
#include "tools/json_text.h"
#include "tools/read_file.h"
#include "tools/tool_messages.h"

namespace {

struct KeyEvent {
    long long frame;
    bool down;
    int key;
};

constexpr uint64_t MAX_FRAME = uint64_t(1) << 40;

// A whole decimal number without sign, within max.
bool parseCount(const std::string& text, unsigned long long max, unsigned long long& value) {
    if (text.empty() || text.size() > 20) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    errno = 0;
    value = std::strtoull(text.c_str(), nullptr, 10);
    return errno == 0 && value <= max;
}

// The key events of a script's text; false after reporting its first bad line.
bool readScript(const char* path, const std::string& text, std::vector<KeyEvent>& events) {
    std::istringstream file(text);
    std::string line;
    int lineNumber = 0;
    while (std::getline(file, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream words(line);
        std::string frameText, action, keyName, extra;
        if (!(words >> frameText) || frameText[0] == '#') continue;
        words >> action >> keyName;
        unsigned long long frame = 0;
        const int key = vk::keyCode(keyName);
        if (!parseCount(frameText, MAX_FRAME, frame) || (action != "down" && action != "up") ||
            key < 0 || (words >> extra)) {
            std::fprintf(stderr, BAD_KEY_SCRIPT_LINE, path, lineNumber, line.c_str());
            return false;
        }
        events.push_back({static_cast<long long>(frame), action == "down", key});
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const KeyEvent& a, const KeyEvent& b) { return a.frame < b.frame; });
    return true;
}

const char* gameModeName(GameMode gameMode) {
    switch (gameMode) {
        case Bouncing: return "Bouncing";
        case Steerable: return "Steerable";
        default: return "Regular";
    }
}

std::string stateLine(long long frame, const GameState& game, const Viewer& viewer) {
    ToolJson tanks = ToolJson::array(), shots = ToolJson::array();
    for (int i = 0; i < game.playerCount; ++i) {
        const Player& p = game.players[i];
        tanks.push_back({{"x", p.x}, {"y", p.y}, {"heading", p.heading}, {"turretAngle", p.turretAngle},
                         {"lives", p.lives}, {"powerupKind", p.powerupKind},
                         {"powerupTimer", p.powerupTimer}, {"splitCamera", viewer.splitCamera[i]},
                         {"leftTrackScroll", p.leftTrackScroll},
                         {"rightTrackScroll", p.rightTrackScroll}});
        const Bullet& b = game.bullets[i];
        shots.push_back({{"x", b.x}, {"y", b.y}, {"vx", b.vx}, {"vy", b.vy}, {"heading", b.heading},
                         {"life", b.life}});
    }
    const ToolJson state = {{"frame", frame},
                            {"matchRunning", game.matchRunning},
                            {"hitCountdown", game.hitCountdown},
                            {"hitPlayer", game.hitPlayer},
                            {"viewMode", viewer.viewMode},
                            {"gameMode", gameModeName(game.gameMode)},
                            {"engineWanted", game.engineWanted},
                            {"players", tanks},
                            {"bullets", shots},
                            {"powerup", {{"life", game.powerup.life}, {"x", game.powerup.x},
                                         {"y", game.powerup.y}, {"kind", game.powerup.kind}}},
                            {"spawnTimer", game.spawnTimer}};
    return jsonDocument(state);
}

struct SimulateOptions {
    std::string playfield, keys;
    uint64_t frames = 0, seed = 0;
    bool haveSeed = false;
};

int simulate(const SimulateOptions& options) {
    std::vector<KeyEvent> events;
    if (!options.keys.empty()) {
        std::string script;
        if (!readInputFile(options.keys, script)) return 1;
        if (!readScript(options.keys.c_str(), script, events)) return 2;
    }

    // Every powerup reset seeds the generator with the seed, or with the calendar time.
    const auto clock = [&options] {
        return options.haveSeed ? static_cast<uint32_t>(options.seed) : static_cast<uint32_t>(std::time(nullptr));
    };
    clearKeys();
    GameState game;
    resetGameState(game);
    initGame(game, options.playfield.c_str(), clock());
    Viewer viewer;

    size_t next = 0;
    for (long long frame = 0; frame < static_cast<long long>(options.frames); ++frame) {
        // The key messages of this frame arrive before its timer message.
        for (; next < events.size() && events[next].frame <= frame; ++next) {
            const KeyEvent& event = events[next];
            if (event.down)
                keyDown(event.key);
            else
                keyUp(event.key);
            if (event.down && KeyState[vk::F12]) {  // quit: no further frame runs
                releaseGame(game);
                return 0;
            }
        }
        const FrameResult result = advanceFrame(game, keyFrameInput(0, clock()));
        viewerAfterFrame(viewer, game, result);
        const std::string line = stateLine(frame, game, viewer);
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    releaseGame(game);
    return 0;
}

std::string keyScriptHelp() {
    std::string help = "Key script: lines of \"FRAME down|up KEY\"; # starts a comment. KEY, in any case:";
    for (const vk::KeyName& key : vk::KEY_NAMES) help += std::string(" ") + key.name;
    return help;
}

}  // namespace

void addSimulateCommand(CLI::App& tool, CommandAction& chosen) {
    auto options = std::make_shared<SimulateOptions>();
    CLI::App* command = tool.add_subcommand(
        "simulate",
        "Run the game's frames without drawing, with scripted key presses, and print the game state "
        "after every frame as one JSON object per line.");
    command->add_option("--playfield", options->playfield, "The arena file.")->required();
    command->add_option("--frames", options->frames, "How many frames to run.")
        ->required()
        ->check(wholeNumber(MAX_FRAME));
    command->add_option("--keys", options->keys, keyScriptHelp());
    CLI::Option* seed = command->add_option("--seed", options->seed, "Seed of the random numbers.")
                            ->check(wholeNumber(0xFFFFFFFFull));
    command->callback([&chosen, options, seed] {
        options->haveSeed = seed->count() > 0;
        chosen = [options] { return simulate(*options); };
    });
}
