// generate sounds|bitmaps DIR: writes the game's synthesised data files into DIR.
#include <CLI/CLI.hpp>

#include <memory>
#include <string>

#include "game/data_files.h"
#include "tools/commands.h"
#include "tools/generators.h"

void addGenerateCommand(CLI::App& tool, CommandAction& chosen) {
    CLI::App* command = tool.add_subcommand("generate", "Write the game's own data files.");
    command->require_subcommand(1);
    const struct {
        const char* name;
        const char* files[3];
        bool (*generate)(const char* dir);
    } kinds[] = {
        {"sounds", {ENGINE_WAVE, SHOT_WAVE, EXPLOSION_WAVE}, generateSounds},
        {"bitmaps", {FONT_BITMAP, FILLED_BITMAP, TRACK_BITMAP}, generateBitmaps},
    };
    for (const auto& kind : kinds) {
        auto dir = std::make_shared<std::string>();
        const std::string description = std::string("Write ") + kind.files[0] + ", " + kind.files[1] +
                                        " and " + kind.files[2] + " into DIR.";
        CLI::App* sub = command->add_subcommand(kind.name, description);
        sub->add_option("DIR", *dir, "The folder to write into.")->required();
        auto generate = kind.generate;
        sub->callback([&chosen, dir, generate] {
            chosen = [dir, generate] { return generate(dir->c_str()) ? 0 : 1; };
        });
    }
}
