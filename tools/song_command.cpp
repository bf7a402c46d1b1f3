// tarvex-tool song compile|decompile: between the song text format and music modules.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "tools/commands.h"
#include "tools/read_file.h"
#include "tools/song/compiler.h"
#include "tools/song/decompiler.h"
#include "tools/song/text_format.h"
#include "tools/tool_messages.h"

namespace {

// Writes through a temporary file so that a failed write leaves no half-written output.
bool writeFile(const std::string& path, const char* data, size_t size) {
    const std::string temporary = path + ".partial";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        if (!file || !file.write(data, static_cast<std::streamsize>(size)) || !file.flush()) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

std::string directoryOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
}

struct CompileOptions {
    std::string source, output, generationName;
};

int compile(const CompileOptions& options) {
    const std::string& source = options.source;
    const std::string& output = options.output;
    const bool override = !options.generationName.empty();
    song::Generation generation = song::Generation::V3;
    if (override) song::generationFromName(options.generationName, generation);  // checked by the parser
    std::string text;
    if (!readInputFile(source, text)) return 1;
    song::Song song;
    std::vector<song::Diagnostic> diagnostics;
    std::vector<uint8_t> module;
    if (song::readSongText(text, directoryOf(source), song, diagnostics))
        song::compileSong(song, override ? generation : song.generation, module, diagnostics);
    if (!diagnostics.empty()) {
        std::fputs(song::formatDiagnostics(source, diagnostics).c_str(), stderr);
        std::fprintf(stderr, SONG_NOT_COMPILED, source.c_str());
        return 1;
    }
    for (const song::Diagnostic& warning : song::songWarnings(song))
        std::fprintf(stderr, SONG_WARNING, source.c_str(), warning.line, warning.message.c_str());
    if (!writeFile(output, reinterpret_cast<const char*>(module.data()), module.size())) {
        std::fprintf(stderr, CANNOT_WRITE_MODULE, output.c_str());
        return 1;
    }
    std::printf(SONG_COMPILED, output.c_str(), module.size(),
                song::generationName(override ? generation : song.generation), song.positions.size(),
                song.tables.size() / SYNTH_TABLE_BYTES);
    return 0;
}

int decompile(const std::string& input, const std::string& output) {
    std::vector<uint8_t> module;
    if (!readInputFile(input, module)) return 1;
    song::Song song;
    std::string error;
    if (!song::decompileModule(module, song, error)) {
        std::fprintf(stderr, INPUT_UNREADABLE, input.c_str(), error.c_str());
        return 1;
    }
    const std::string text = song::writeSongText(song);
    if (!writeFile(output, text.data(), text.size())) {
        std::fprintf(stderr, CANNOT_WRITE_SONG_TEXT, output.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

void addSongCommand(CLI::App& tool, CommandAction& chosen) {
    CLI::App* command =
        tool.add_subcommand("song", "Turn song text into a music module and a module back into text.");
    command->require_subcommand(1);

    auto options = std::make_shared<CompileOptions>();
    CLI::App* compileCommand = command->add_subcommand(
        "compile", "Compile song text into a music module; nothing is written when the song has errors.");
    compileCommand->add_option("SONG.txt", options->source, "The song text.")->required();
    compileCommand->add_option("OUT", options->output, "The module to write.")->required();
    compileCommand
        ->add_option("--generation", options->generationName,
                     "Module generation to write instead of the song's own.")
        ->check(CLI::Validator(
            [](std::string& name) -> std::string {
                song::Generation generation;
                return song::generationFromName(name, generation) ? "" : GENERATION_EXPECTED;
            },
            "V.3|V.2|ZUNQ"));
    compileCommand->callback([&chosen, options] { chosen = [options] { return compile(*options); }; });

    auto paths = std::make_shared<std::pair<std::string, std::string>>();
    CLI::App* decompileCommand =
        command->add_subcommand("decompile", "Turn any music module back into song text.");
    decompileCommand->add_option("MODULE", paths->first, "The music module.")->required();
    decompileCommand->add_option("OUT.txt", paths->second, "The song text to write.")->required();
    decompileCommand->callback([&chosen, paths] {
        chosen = [paths] { return decompile(paths->first, paths->second); };
    });
}
