// playfield FILE: reads FILE with the game's own reader and prints the blocks and the messages
// the game would show, as one JSON object.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "game/game.h"
#include "platform/platform.h"
#include "tools/commands.h"
#include "tools/json_text.h"

namespace {

int printPlayfield(const std::string& path) {
    std::vector<std::string> messages;
    platform::setMessageObserver([&](const platform::MessageRecord& message) {
        messages.push_back(message.text);
        return platform::MessageAnswer::Ok;
    });
    Playfield playfield;
    loadPlayfield(playfield, path.c_str());
    platform::setMessageObserver(nullptr);
    bool opened = true;
    for (const std::string& message : messages)
        if (message == PLAYFIELD_OPEN_FAILED) opened = false;

    ToolJson blocks = ToolJson::array();
    for (int b = 0; b < playfield.blockCount; ++b) {
        const PlayfieldBlock& block = playfield.blocks[b];
        blocks.push_back({{"xMin", block.xMin}, {"yMin", block.yMin}, {"xMax", block.xMax},
                          {"yMax", block.yMax}, {"red", block.red}, {"green", block.green},
                          {"blue", block.blue}});
    }
    ToolJson texts = ToolJson::array();
    for (const std::string& message : messages) texts.push_back(utf8Text(message));
    const ToolJson document = {{"blocks", blocks}, {"messages", texts}};
    std::fputs(jsonDocument(document).c_str(), stdout);
    releasePlayfield(playfield);
    return opened ? 0 : 1;
}

}  // namespace

void addPlayfieldCommand(CLI::App& tool, CommandAction& chosen) {
    auto path = std::make_shared<std::string>();
    CLI::App* command = tool.add_subcommand(
        "playfield", "Print the walls the game reads from an arena file, and its messages, as JSON.");
    command->add_option("FILE", *path, "The arena file, e.g. data/playfield.txt.")->required();
    command->callback([&chosen, path] { chosen = [path] { return printPlayfield(*path); }; });
}
