// Song text and module bytes. The first input byte chooses: odd, the rest is song text, which is
// read and compiled (a module only without messages); even, the rest is a module, which must
// decompile whenever the music parser accepts it, to text that compiles back to the same bytes.
// Every module compiled is read back with the game's parser, which must find what the compiler
// wrote: each sample's bytes, length and loop points, each wave's length, every table byte.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "music/module.h"
#include "tools/song/compiler.h"
#include "tools/song/decompiler.h"
#include "tools/song/text_format.h"

namespace {

void checkReadBack(const song::Song& song, const std::vector<uint8_t>& module) {
    if (song.cutTo >= 0) return;  // cut short on purpose: the game reads what is left
    std::vector<uint8_t> image = module;
    MusicModule parsed(image.data(), image.size());
    if (parsed.parse() != 0) std::abort();
    for (size_t i = 0; i < song.tables.size(); ++i)
        if (parsed.tableByte(unsigned(i / SYNTH_TABLE_BYTES), unsigned(i % SYNTH_TABLE_BYTES)) !=
            uint8_t(song.tables[i] + 128))
            std::abort();
    for (int k = 1; k <= INSTRUMENT_COUNT; ++k) {
        const song::SongInstrument& ins = song.instruments[k - 1];
        if (!ins.defined) continue;
        const uint8_t* record = ins.record.data();
        if (ins.synthetic()) {
            WaveformQuery wave;
            if (!parsed.waveform(k, wave)) std::abort();
            if (!ins.raw && wave.length != 2L * readBE16(record + rec::WAVE_LENGTH)) std::abort();
            continue;
        }
        SampleQuery sample;
        if (!parsed.sample(k, sample) || sample.length != ins.sampleData.size()) std::abort();
        for (size_t i = 0; i < ins.sampleData.size(); ++i)
            if (sample.data[i] != uint8_t(ins.sampleData[i] + 128)) std::abort();
        if (sample.loopStart != readBE16(record + rec::LOOP_START)) std::abort();
        if (!ins.raw && sample.loopLength != 2L * readBE16(record + rec::LOOP_LENGTH))
            std::abort();
    }
}

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
    if (!module.empty()) checkReadBack(song, module);
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
    checkReadBack(again, module);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > (1u << 20)) return 0;
    if (data[0] & 1) compileSongText(std::string(data + 1, data + size));
    else decompileModule(std::vector<uint8_t>(data + 1, data + size));
    return 0;
}
