// tarvex-tool song compile|decompile: between the song text format and music modules.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "tools/commands.h"
#include "tools/read_file.h"
#include "tools/song/compiler.h"
#include "tools/song/decompiler.h"
#include "tools/song/text_format.h"

namespace {

const char* const USAGE =
    "usage: tarvex-tool song compile SONG.txt OUT [--generation V.3|V.2|ZUNQ]\n"
    "       tarvex-tool song decompile MODULE OUT.txt\n";

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

int compile(int argc, char** argv) {
    if (argc != 2 && argc != 4) {
        std::fputs(USAGE, stderr);
        return 2;
    }
    const std::string source = argv[0], output = argv[1];
    bool override = false;
    song::Generation generation = song::Generation::V3;
    if (argc == 4) {
        if (std::strcmp(argv[2], "--generation") != 0 || !song::generationFromName(argv[3], generation)) {
            std::fputs(USAGE, stderr);
            return 2;
        }
        override = true;
    }
    std::string text;
    if (!readInputFile(source, text)) return 1;
    song::Song song;
    std::vector<song::Diagnostic> diagnostics;
    std::vector<uint8_t> module;
    if (song::readSongText(text, directoryOf(source), song, diagnostics))
        song::compileSong(song, override ? generation : song.generation, module, diagnostics);
    if (!diagnostics.empty()) {
        std::fputs(song::formatDiagnostics(source, diagnostics).c_str(), stderr);
        std::fprintf(stderr, "%s: not compiled, nothing written\n", source.c_str());
        return 1;
    }
    for (const song::Diagnostic& warning : song::songWarnings(song))
        std::fprintf(stderr, "%s:%d: warning: %s\n", source.c_str(), warning.line, warning.message.c_str());
    if (!writeFile(output, reinterpret_cast<const char*>(module.data()), module.size())) {
        std::fprintf(stderr, "%s: cannot write the module\n", output.c_str());
        return 1;
    }
    std::printf("%s: %zu bytes, %s, %zu positions, %zu synthesis tables\n", output.c_str(), module.size(),
                song::generationName(override ? generation : song.generation), song.positions.size(),
                song.tables.size() / song::TABLE_SIZE);
    return 0;
}

int decompile(int argc, char** argv) {
    if (argc != 2) {
        std::fputs(USAGE, stderr);
        return 2;
    }
    std::vector<uint8_t> module;
    if (!readInputFile(argv[0], module)) return 1;
    song::Song song;
    std::string error;
    if (!song::decompileModule(module, song, error)) {
        std::fprintf(stderr, "%s: %s\n", argv[0], error.c_str());
        return 1;
    }
    const std::string text = song::writeSongText(song);
    if (!writeFile(argv[1], text.data(), text.size())) {
        std::fprintf(stderr, "%s: cannot write the song text\n", argv[1]);
        return 1;
    }
    return 0;
}

}  // namespace

int runSongCommand(int argc, char** argv) {
    if (argc >= 1 && std::strcmp(argv[0], "compile") == 0) return compile(argc - 1, argv + 1);
    if (argc >= 1 && std::strcmp(argv[0], "decompile") == 0) return decompile(argc - 1, argv + 1);
    std::fputs(USAGE, stderr);
    return 2;
}
