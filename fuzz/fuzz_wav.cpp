// WAV files of any content as a song's sampled instrument: the reader must refuse them or give
// one byte per frame, and whatever the compiler makes of them the music parser must accept.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "music/module.h"
#include "tools/song/compiler.h"
#include "tools/song/text_format.h"
#include "tools/song/waveforms.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string folder = "/tmp/fuzz_wav_" + std::to_string(getpid());
    static const std::string path = folder + "/in.wav";
    static const bool made = [] { return std::system(("mkdir -p " + folder).c_str()) == 0; }();
    if (!made) std::abort();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    std::vector<uint8_t> samples;
    std::string error;
    if (song::readWavSamples(path, samples, error) && samples.size() > size) std::abort();

    static const std::string text = [] {
        std::string song = "instrument 1 sample \"w\"\n  wav \"in.wav\"\npattern 1\n  C-3 01 ...\n";
        for (int row = 1; row < 16; ++row) song += "  ---\n";
        return song + "positions\n  1 -- -- --\n";
    }();
    song::Song song;
    std::vector<song::Diagnostic> diagnostics;
    std::vector<uint8_t> module;
    if (!song::readSongText(text, folder, song, diagnostics) ||
        !song::compileSong(song, song.generation, module, diagnostics))
        return 0;
    MusicModule parsed(module.data(), module.size());
    if (parsed.parse() != 0) std::abort();
    return 0;
}
