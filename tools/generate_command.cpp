// generate sounds|bitmaps DIR: writes the game's synthesised data files into DIR.
#include <CLI/CLI.hpp>

#include <memory>
#include <string>

#include "tools/commands.h"
#include "tools/generators.h"

void addGenerateCommand(CLI::App& tool, CommandAction& chosen) {
    CLI::App* command = tool.add_subcommand("generate", "Write the game's own data files.");
    command->require_subcommand(1);
    const struct {
        const char* name;
        const char* description;
        bool (*generate)(const char* dir);
    } kinds[] = {
        {"sounds", "Write TankDrive.wav, TankShoot.wav and TankExplosion.wav into DIR.", generateSounds},
        {"bitmaps", "Write hetfont.bmp, Filled.bmp and track.bmp into DIR.", generateBitmaps},
    };
    for (const auto& kind : kinds) {
        auto dir = std::make_shared<std::string>();
        CLI::App* sub = command->add_subcommand(kind.name, kind.description);
        sub->add_option("DIR", *dir, "The folder to write into.")->required();
        auto generate = kind.generate;
        sub->callback([&chosen, dir, generate] {
            chosen = [dir, generate] { return generate(dir->c_str()) ? 0 : 1; };
        });
    }
}
