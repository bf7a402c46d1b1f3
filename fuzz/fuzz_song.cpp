// Song text and module bytes. The first input byte chooses: odd, the rest is song text, which is
// read and compiled (a module only without messages); even, the rest is a module, which must
// decompile whenever the music parser accepts it, to text that compiles back to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "music/module.h"
#include "tools/song/compiler.h"
#include "tools/song/decompiler.h"
#include "tools/song/text_format.h"

namespace {

void compileSongText(const std::string& text) {
    // WAV files would make the run depend on the machine's files.
    if (text.find("wav") != std::string::npos) return;
    song::Song song;
    std::vector<song::Diagnostic> diagnostics;
    std::vector<uint8_t> module;
    if (song::readSongText(text, "", song, diagnostics)) {
        song::compileSong(song, song.generation, module, diagnostics);
        song::songWarnings(song);
    }
    if (!diagnostics.empty() && !module.empty()) std::abort();
}

void decompileModule(const std::vector<uint8_t>& bytes) {
    std::vector<uint8_t> image = bytes;
    MusicModule parsed(image.data(), image.size());
    const bool accepted = parsed.parse() == 0;
    song::Song song;
    std::string error;
    if (!song::decompileModule(bytes, song, error)) {
        if (accepted) std::abort();
        return;
    }
    // Damaged lengths can claim megabytes of (padded) sample data; their text costs much time
    // and tells nothing new.
    size_t sampleBytes = 0;
    for (const song::SongInstrument& instrument : song.instruments) sampleBytes += instrument.sampleData.size();
    if (sampleBytes > 65536) return;
    song::Song again;
    std::vector<song::Diagnostic> diagnostics;
    std::vector<uint8_t> module;
    if (!song::readSongText(song::writeSongText(song), "", again, diagnostics) ||
        !song::compileSong(again, again.generation, module, diagnostics) || module != bytes)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > (1u << 20)) return 0;
    if (data[0] & 1) compileSongText(std::string(data + 1, data + size));
    else decompileModule(std::vector<uint8_t>(data + 1, data + size));
    return 0;
}
