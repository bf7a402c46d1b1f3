// tarvex-tool replay info FILE: what a replay file holds, as one JSON object.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "game/replay.h"
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

int printInfo(const std::string& path) {
    std::vector<uint8_t> bytes;
    if (!readInputFile(path, bytes)) return 1;
    Replay replay;
    const ReplayProblem problem = decodeReplay(bytes.data(), bytes.size(), replay);
    // A replay of other rules is read completely; it only would not play the same here.
    if (problem != ReplayProblem::None && problem != ReplayProblem::OtherRulesVersion) {
        std::fprintf(stderr, INPUT_UNREADABLE, path.c_str(), replayProblemText(problem));
        return 1;
    }
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

}  // namespace

void addReplayCommand(CLI::App& tool, CommandAction& chosen) {
    CLI::App* command = tool.add_subcommand("replay", "Describe a recorded match.");
    command->require_subcommand(1);
    auto path = std::make_shared<std::string>();
    CLI::App* infoCommand = command->add_subcommand(
        "info", "Print what a replay file holds (variant, date, frames, walls, hashes) as JSON.");
    infoCommand->add_option("FILE", *path, "The replay file (*.tvreplay).")->required();
    infoCommand->callback([&chosen, path] { chosen = [path] { return printInfo(*path); }; });
}
