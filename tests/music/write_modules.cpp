// Writes the demo song and a few small modules made by the test module writer into a folder:
// the fuzz seed corpus and files to render and listen to.
//   music_write_modules DIR
#include <cstdio>
#include <string>
#include <vector>

#include "tests/music/module_writer.h"

using namespace testmusic;

namespace {

bool save(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

ModuleWriter tinySong(const std::string& signature) {
    ModuleWriter w;
    w.signature = signature;
    w.addTable(sineTable(100, 1));
    w.setSampled(1, "beep", squareWave(32, 16, 100), 0, 16, 64);
    SynthSettings synth;
    synth.waveformWords = 16;
    synth.waveEffectType = 1;
    w.setSynthetic(2, synth);
    uint16_t p = w.addPattern();
    w.setRow(p, 0, 25, 1, 0, 0x37);
    w.setRow(p, 4, 30, 2, 8, 0xFE);
    w.setRow(p, 8, 20, 1, 6, 2);
    w.setRow(p, 12, 27, 2, 14, 0);
    w.addPosition({p, p, 0, p});
    return w;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: music_write_modules DIR\n");
        return 2;
    }
    std::string dir = argv[1];
    bool ok = save(dir + "/demo.zq", demoSong().build()) &&
              save(dir + "/tiny_v3.zq", tinySong("V.3").build()) &&
              save(dir + "/tiny_v2.zq", tinySong("V.2").build()) &&
              save(dir + "/tiny_zunq.zq", tinySong("ZUNQ").build());
    return ok ? 0 : 1;
}
