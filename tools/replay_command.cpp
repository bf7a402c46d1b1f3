// tarvex-tool replay info FILE: what a replay file holds, as one JSON object.
// tarvex-tool replay verify FILE: plays the file from its start state through the game rules and
// checks every stored state hash.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

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
}
