#include "app/command_line.h"

#include <cstring>

namespace {

bool readLevel(const char* text, int& level) {
    if (std::strcmp(text, "person") == 0) {
        level = PERSON;
        return true;
    }
    if (text[0] >= '1' && text[0] <= '0' + HARDEST_LEVEL && text[1] == '\0') {
        level = text[0] - '0';
        return true;
    }
    return false;
}

}  // namespace

bool readCommandLine(int argc, const char* const* argv, LaunchOptions& options, std::string& problem) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const bool player1 = option == "--player1", player2 = option == "--player2";
        if (!player1 && !player2 && option != "--replay") {
            problem = "unknown option " + option;
            return false;
        }
        if (i + 1 >= argc) {
            problem = option + " needs a value";
            return false;
        }
        const char* value = argv[++i];
        if (option == "--replay") {
            options.replayFile = value;
        } else if (!readLevel(value, options.playerLevels[player1 ? 0 : 1])) {
            problem = option + " takes person, 1, 2 or 3, not " + value;
            return false;
        }
    }
    return true;
}

int nextPlayerLevel(int level) { return level >= HARDEST_LEVEL || level < PERSON ? PERSON : level + 1; }
