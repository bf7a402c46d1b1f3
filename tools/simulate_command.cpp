// simulate --playfield FILE --frames N [--keys SCRIPT] [--seed S]: runs the game's frames without
// drawing, delivering scripted key messages before each frame, and prints the game state after
// every frame as one JSON object per line.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "game/game.h"
#include "platform/keys.h"
#include "tools/commands.h"
#include "tools/frame_step.h"
#include "tools/json_text.h"
#include "tools/read_file.h"

namespace {

struct KeyEvent {
    long long frame;
    bool down;
    int key;
};

struct KeyName {
    const char* name;
    int code;
};

const KeyName KEY_NAMES[] = {
    {"F1", vk::F1},          {"F2", vk::F2},          {"F3", vk::F3},
    {"F12", vk::F12},        {"ESC", vk::ESCAPE},     {"1", vk::digit(1)},
    {"2", vk::digit(2)},     {"3", vk::digit(3)},     {"4", vk::digit(4)},
    {"5", vk::digit(5)},     {"6", vk::digit(6)},     {"7", vk::digit(7)},
    {"Z", vk::letter('Z')},  {"A", vk::letter('A')},  {"D", vk::letter('D')},
    {"Q", vk::letter('Q')},  {"E", vk::letter('E')},  {"W", vk::letter('W')},
    {"S", vk::letter('S')},  {"X", vk::letter('X')},  {"KP1", vk::numpad(1)},
    {"KP2", vk::numpad(2)},  {"KP4", vk::numpad(4)},  {"KP5", vk::numpad(5)},
    {"KP6", vk::numpad(6)},  {"KP7", vk::numpad(7)},  {"KP8", vk::numpad(8)},
    {"KP9", vk::numpad(9)},
};

int keyCode(const std::string& name) {
    for (const KeyName& key : KEY_NAMES)
        if (name == key.name) return key.code;
    return -1;
}

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
        int key = keyCode(keyName);
        if (!parseCount(frameText, 1ull << 40, frame) || (action != "down" && action != "up") ||
            key < 0 || (words >> extra)) {
            std::fprintf(stderr,
                         "simulate: %s:%d: expected \"FRAME down|up KEY\" with a known key, got "
                         "\"%s\"\n",
                         path, lineNumber, line.c_str());
            return false;
        }
        events.push_back({static_cast<long long>(frame), action == "down", key});
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const KeyEvent& a, const KeyEvent& b) { return a.frame < b.frame; });
    return true;
}

const char* gameModeName() {
    switch (gameMode) {
        case Bouncing: return "Bouncing";
        case Steerable: return "Steerable";
        default: return "Regular";
    }
}

std::string boolText(bool value) { return value ? "true" : "false"; }

std::string stateLine(long long frame) {
    std::string out = "{\"frame\":" + std::to_string(frame) +
                      ",\"matchRunning\":" + boolText(matchRunning) +
                      ",\"hitCountdown\":" + std::to_string(hitCountdown) +
                      ",\"hitPlayer\":" + std::to_string(hitPlayer) +
                      ",\"viewMode\":" + std::to_string(viewMode) + ",\"gameMode\":\"" +
                      gameModeName() + "\",\"engineWanted\":" + boolText(engineWanted) +
                      ",\"players\":[";
    for (int i = 0; i < playerCount; ++i) {
        const Player& p = players[i];
        if (i) out += ',';
        out += "{\"x\":" + jsonFloat(p.x) + ",\"y\":" + jsonFloat(p.y) +
               ",\"heading\":" + jsonFloat(p.heading) + ",\"turretAngle\":" + jsonFloat(p.turretAngle) +
               ",\"lives\":" + std::to_string(p.lives) +
               ",\"powerupKind\":" + std::to_string(p.powerupKind) +
               ",\"powerupTimer\":" + std::to_string(p.powerupTimer) +
               ",\"splitCamera\":" + std::to_string(p.splitCamera) +
               ",\"leftTrackScroll\":" + jsonFloat(p.leftTrackScroll) +
               ",\"rightTrackScroll\":" + jsonFloat(p.rightTrackScroll) + "}";
    }
    out += "],\"bullets\":[";
    for (int i = 0; i < playerCount; ++i) {
        const Bullet& b = bullets[i];
        if (i) out += ',';
        out += "{\"x\":" + jsonFloat(b.x) + ",\"y\":" + jsonFloat(b.y) + ",\"vx\":" + jsonFloat(b.vx) +
               ",\"vy\":" + jsonFloat(b.vy) + ",\"heading\":" + jsonFloat(b.heading) +
               ",\"life\":" + std::to_string(b.life) + "}";
    }
    out += "],\"powerup\":{\"life\":" + std::to_string(powerup.life) + ",\"x\":" + jsonFloat(powerup.x) +
           ",\"y\":" + jsonFloat(powerup.y) + ",\"kind\":" + std::to_string(powerup.kind) +
           "},\"spawnTimer\":" + std::to_string(spawnTimer) + "}\n";
    return out;
}

int usage() {
    std::fprintf(stderr,
                 "usage: tarvex-tool simulate --playfield FILE --frames N [--keys SCRIPT] [--seed S]\n");
    return 2;
}

}  // namespace

int runSimulateCommand(int argc, char** argv) {
    const char* playfieldPath = nullptr;
    const char* scriptPath = nullptr;
    unsigned long long frames = 0, seed = 0;
    bool haveFrames = false, haveSeed = false;
    for (int a = 0; a < argc; ++a) {
        const std::string option = argv[a];
        if (a + 1 >= argc) return usage();
        const char* value = argv[++a];
        if (option == "--playfield") {
            playfieldPath = value;
        } else if (option == "--keys") {
            scriptPath = value;
        } else if (option == "--frames") {
            if (!parseCount(value, 1ull << 40, frames)) return usage();
            haveFrames = true;
        } else if (option == "--seed") {
            if (!parseCount(value, 0xFFFFFFFFull, seed)) return usage();
            haveSeed = true;
        } else {
            return usage();
        }
    }
    if (!playfieldPath || !haveFrames) return usage();

    std::vector<KeyEvent> events;
    if (scriptPath) {
        std::string script;
        if (!readInputFile(scriptPath, script)) return 1;
        if (!readScript(scriptPath, script, events)) return 2;
    }

    setFixedRandomSeed(haveSeed, static_cast<uint32_t>(seed));
    std::memset(KeyState, 0, sizeof KeyState);
    initGame(playfieldPath);

    size_t next = 0;
    for (long long frame = 0; frame < static_cast<long long>(frames); ++frame) {
        // The key messages of this frame arrive before its timer message.
        for (; next < events.size() && events[next].frame <= frame; ++next) {
            const KeyEvent& event = events[next];
            KeyState[event.key] = event.down ? 1 : 0;
            if (event.down && KeyState[vk::F12]) {  // quit: no further frame runs
                releaseGame();
                return 0;
            }
        }
        runGameFrame();
        const std::string line = stateLine(frame);
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    releaseGame();
    return 0;
}
