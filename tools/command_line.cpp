#include <CLI/CLI.hpp>

#include "tools/commands.h"
#include "tools/message_format.h"
#include "tools/tool_messages.h"

CLI::Validator wholeNumber(uint64_t max) {
    return CLI::Validator(
        [max](std::string& text) -> std::string {
            const std::string why =
                formatMessage(WHOLE_NUMBER_EXPECTED, static_cast<unsigned long long>(max));
            if (text.empty() || text.size() > 20) return why;
            uint64_t value = 0;
            for (char c : text) {
                if (c < '0' || c > '9') return why;
                const uint64_t digit = uint64_t(c - '0');
                if (digit > max || value > (max - digit) / 10) return why;
                value = value * 10 + digit;
            }
            return "";
        },
        "NUMBER");
}

int runToolCommandLine(int argc, const char* const* argv) {
    CLI::App tool("The game's data and simulation tools.", "tarvex-tool");
    tool.require_subcommand(1);
    // A usage error names what is wrong and shows the usage of the command it happened in.
    tool.failure_message(CLI::FailureMessage::help);
    CommandAction chosen;
    addPlayfieldCommand(tool, chosen);
    addSimulateCommand(tool, chosen);
    addSoakCommand(tool, chosen);
    addDuelCommand(tool, chosen);
    addMusicCommand(tool, chosen);
    addSongCommand(tool, chosen);
    addBmpCommand(tool, chosen);
    addGenerateCommand(tool, chosen);
    addCheckCommand(tool, chosen);
    addReplayCommand(tool, chosen);
    addNetplayCommands(tool, chosen);
    try {
        tool.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        // Help goes to standard output with status 0, errors to standard error.
        return tool.exit(error) == 0 ? 0 : 2;
    }
    return chosen ? chosen() : 2;
}
