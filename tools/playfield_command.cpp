// playfield FILE: reads FILE with the game's own reader and prints the blocks and the messages
// the game would show, as one JSON object.
#include <cstdio>
#include <string>
#include <vector>

#include "game/game.h"
#include "platform/platform.h"
#include "tools/commands.h"
#include "tools/json_text.h"

int runPlayfieldCommand(int argc, char** argv) {
    if (argc != 1) {
        std::fprintf(stderr, "usage: tarvex-tool playfield FILE\n");
        return 2;
    }
    std::vector<std::string> messages;
    platform::setMessageObserver([&](const platform::MessageRecord& message) {
        messages.push_back(message.text);
        return platform::MessageAnswer::Ok;
    });
    loadPlayfield(argv[0]);
    platform::setMessageObserver(nullptr);
    bool opened = true;
    for (const std::string& message : messages)
        if (message == "Cannot open playfield file") opened = false;

    std::string out = "{\"blocks\":[";
    for (int b = 0; b < playfield.blockCount; ++b) {
        const PlayfieldBlock& block = playfield.blocks[b];
        if (b) out += ',';
        out += "{\"xMin\":" + jsonFloat(block.xMin) + ",\"yMin\":" + jsonFloat(block.yMin) +
               ",\"xMax\":" + jsonFloat(block.xMax) + ",\"yMax\":" + jsonFloat(block.yMax) +
               ",\"red\":" + jsonFloat(block.red) + ",\"green\":" + jsonFloat(block.green) +
               ",\"blue\":" + jsonFloat(block.blue) + "}";
    }
    out += "],\"messages\":[";
    for (size_t m = 0; m < messages.size(); ++m) {
        if (m) out += ',';
        out += jsonString(messages[m]);
    }
    out += "]}\n";
    std::fputs(out.c_str(), stdout);
    releasePlayfield();
    return opened ? 0 : 1;
}
