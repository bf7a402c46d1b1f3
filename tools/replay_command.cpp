// tarvex-tool replay info FILE: what a replay file holds, as one JSON object.
// tarvex-tool replay verify FILE: plays the file from its start state through the game rules and
// checks every stored state hash.
// tarvex-tool replay record --frames N --seed S [--variant V] [--playfield FILE] OUT: records a
// match of seeded random controls (the same file on every build that computes the same frames).
// tarvex-tool replay hashes FILE OUT: the state hash after every frame of a replay, one a line.
#include <CLI/CLI.hpp>

#include <cinttypes>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "game/frame_rules.h"
#include "game/replay.h"
#include "game/replay_recorder.h"
#include "tools/commands.h"
#include "tools/json_text.h"
#include "tools/read_file.h"
#include "tools/tool_messages.h"

namespace {

constexpr const char* VariantNames[] = {"regular", "bouncing", "steerable"};

std::string isoTime(int64_t seconds) {
    const UtcTime time = utcTime(seconds);
    char text[64];
    std::snprintf(text, sizeof text, "%04lld-%02d-%02dT%02d:%02d:%02dZ", static_cast<long long>(time.year),
                  time.month, time.day, time.hour, time.minute, time.second);
    return text;
}

// The frames on which player p's controls differ from the frame before (frame 0: from none).
uint64_t controlChanges(const Replay& replay, int p) {
    uint64_t changes = 0;
    Controls before = 0;
    for (const FrameInput& frame : replay.frames) {
        changes += frame.controls[p] != before;
        before = frame.controls[p];
    }
    return changes;
}

// Reads and decodes the file; otherwise prints "PATH: REASON" on standard error. A replay of
// other rules is read completely, and accepted when acceptOtherRules is set.
bool readReplay(const std::string& path, Replay& replay, std::vector<uint8_t>& bytes, ReplayProblem& problem,
                bool acceptOtherRules) {
    if (!readInputFile(path, bytes)) return false;
    problem = decodeReplay(bytes.data(), bytes.size(), replay);
    if (problem == ReplayProblem::None || (acceptOtherRules && problem == ReplayProblem::OtherRulesVersion))
        return true;
    std::fprintf(stderr, INPUT_UNREADABLE, path.c_str(), replayProblemText(problem));
    return false;
}

int printInfo(const std::string& path) {
    std::vector<uint8_t> bytes;
    Replay replay;
    ReplayProblem problem = ReplayProblem::None;
    if (!readReplay(path, replay, bytes, problem, true)) return 1;
    const ToolJson document = {
        {"formatVersion", REPLAY_FORMAT_VERSION},
        {"rulesVersion", replay.rulesVersion},
        {"playsHere", problem == ReplayProblem::None},
        {"variant", VariantNames[replay.variant]},
        {"recorded", isoTime(replay.recordedAt)},
        {"walls", replay.walls.size()},
        {"frames", replay.frames.size()},
        {"seconds", float(replay.frames.size()) / REPLAY_FRAMES_PER_SECOND},
        {"hashes", replay.hashes.size()},
        {"startStateBytes", replay.startState.size()},
        {"controlChanges", {controlChanges(replay, 0), controlChanges(replay, 1)}},
        {"fileBytes", bytes.size()}};
    std::fputs(jsonDocument(document).c_str(), stdout);
    return 0;
}

// A hash is taken after frames 99, 199, ...: firstDifferingFrame gives the frame of the first one
// that differs, or 0 when the start state does not restore.
int verify(const std::string& path) {
    std::vector<uint8_t> bytes;
    Replay replay;
    ReplayProblem problem = ReplayProblem::None;
    if (!readReplay(path, replay, bytes, problem, false)) return 1;
    const int64_t differs = firstDifferingFrame(replay);
    const bool started = differs != 0;
    const uint64_t matched = differs < 0 ? replay.hashes.size() : uint64_t(differs + 1) / REPLAY_HASH_INTERVAL - 1;
    ToolJson document = {{"frames", replay.frames.size()},
                         {"hashes", replay.hashes.size()},
                         {"hashesMatched", started ? matched : 0},
                         {"verified", differs < 0}};
    document["differsAfterFrame"] = differs > 0 ? ToolJson(differs) : ToolJson();
    std::fputs(jsonDocument(document).c_str(), stdout);
    if (!started) std::fprintf(stderr, REPLAY_START_REFUSED, path.c_str());
    if (differs > 0)
        std::fprintf(stderr, REPLAY_DIFFERS, path.c_str(), static_cast<long long>(differs),
                     static_cast<long long>(differs + 1 - REPLAY_HASH_INTERVAL), static_cast<long long>(differs));
    return differs < 0 ? 0 : 1;
}

bool writeBytes(const std::string& path, const void* data, size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    const bool written = file && std::fwrite(data, 1, size, file) == size;
    if (file && std::fclose(file) != 0) return false;
    if (!written) std::fprintf(stderr, CANNOT_WRITE, path.c_str());
    return written;
}

struct RecordOptions {
    std::string playfield = "data/playfield.txt", variant = "regular", output;
    uint64_t frames = 6000, seed = 1;
};

// Each player holds a random choice of controls for 10 to 50 frames; the variant's start key
// starts the match in the first frame. Seeded by --seed alone, so every build makes the same file.
int record(const RecordOptions& options) {
    int variant = 0;
    while (variant < 3 && options.variant != VariantNames[variant]) ++variant;
    const GameKeys StartKeys[3] = {StartRegularKey, StartBouncingKey, StartSteerableKey};
    const uint32_t seed = static_cast<uint32_t>(options.seed);
    GameState game;
    resetGameState(game);
    initGame(game, options.playfield.c_str(), seed);
    std::mt19937 random(seed);
    Controls held[2] = {0, 0};
    uint32_t holdFor[2] = {0, 0};
    ReplayRecorder recorder;
    bool finished = false;
    for (uint64_t frame = 0; frame < options.frames && !finished; ++frame) {
        FrameInput input{};
        for (int p = 0; p < 2; ++p) {
            if (holdFor[p] == 0) {
                held[p] = static_cast<Controls>(random());
                holdFor[p] = 10 + random() % 41;
            }
            --holdFor[p];
            input.controls[p] = held[p];
        }
        input.gameKeys = frame == 0 ? StartKeys[variant] : 0;
        input.clock = seed + static_cast<uint32_t>(frame / REPLAY_FRAMES_PER_SECOND);
        recordBeforeFrame(recorder, game);
        advanceFrame(game, input);
        finished = recordAfterFrame(recorder, game, input, seed);
    }
    finishRecording(recorder);
    releaseGame(game);
    const std::vector<uint8_t> bytes = encodeReplay(recorder.replay);
    return writeBytes(options.output, bytes.data(), bytes.size()) ? 0 : 1;
}

int printHashes(const std::string& path, const std::string& output) {
    std::vector<uint8_t> bytes;
    Replay replay;
    ReplayProblem problem = ReplayProblem::None;
    if (!readReplay(path, replay, bytes, problem, false)) return 1;
    ReplayPlayback playback;
    if (!startPlayback(playback, std::move(replay))) {
        std::fprintf(stderr, REPLAY_START_REFUSED, path.c_str());
        return 1;
    }
    std::string lines;
    while (!playbackDone(playback)) {
        playbackFrame(playback);
        char line[32];
        std::snprintf(line, sizeof line, "%016" PRIx64 "\n", hashState(playback.game));
        lines += line;
    }
    stopPlayback(playback);
    return writeBytes(output, lines.data(), lines.size()) ? 0 : 1;
}

}  // namespace

void addReplayCommand(CLI::App& tool, CommandAction& chosen) {
    CLI::App* command = tool.add_subcommand("replay", "Describe or verify a recorded match.");
    command->require_subcommand(1);
    auto path = std::make_shared<std::string>();
    CLI::App* infoCommand = command->add_subcommand(
        "info", "Print what a replay file holds (variant, date, frames, walls, hashes) as JSON.");
    infoCommand->add_option("FILE", *path, "The replay file (*.tvreplay).")->required();
    infoCommand->callback([&chosen, path] { chosen = [path] { return printInfo(*path); }; });
    CLI::App* verifyCommand = command->add_subcommand(
        "verify", "Play a replay file through the game rules and check every state hash it holds.");
    verifyCommand->add_option("FILE", *path, "The replay file (*.tvreplay).")->required();
    verifyCommand->callback([&chosen, path] { chosen = [path] { return verify(*path); }; });

    auto options = std::make_shared<RecordOptions>();
    CLI::App* recordCommand = command->add_subcommand(
        "record", "Record a match of seeded random controls into a replay file (the same file on every build).");
    recordCommand->add_option("--frames", options->frames, "How many frames at most.")
        ->check(wholeNumber(MAX_REPLAY_FRAMES));
    recordCommand->add_option("--seed", options->seed, "Seed of the controls and the clock.")
        ->check(wholeNumber(0xFFFFFFFFull));
    recordCommand->add_option("--variant", options->variant, "regular, bouncing or steerable.")
        ->check(CLI::IsMember({"regular", "bouncing", "steerable"}));
    recordCommand->add_option("--playfield", options->playfield, "The arena file.")->capture_default_str();
    recordCommand->add_option("OUT", options->output, "The replay file to write.")->required();
    recordCommand->callback([&chosen, options] { chosen = [options] { return record(*options); }; });

    auto output = std::make_shared<std::string>();
    CLI::App* hashesCommand = command->add_subcommand(
        "hashes", "Write the game state's hash after every frame of a replay, one a line, to OUT.");
    hashesCommand->add_option("FILE", *path, "The replay file (*.tvreplay).")->required();
    hashesCommand->add_option("OUT", *output, "The text file to write.")->required();
    hashesCommand->callback([&chosen, path, output] { chosen = [path, output] { return printHashes(*path, *output); }; });
}
