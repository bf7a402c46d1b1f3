#include "tests/tools/song_support.h"

#include <fstream>
#include <iterator>

#include "tools/song/compiler.h"
#include "tools/song/decompiler.h"
#include "tools/song/text_format.h"

namespace songtest {

const char* const EVERYTHING_SONG = R"(; every feature of the text format
title "EVERY \"EFFECT\" \x01"
table 0 sine
table 1 square duty 30 cycles 2
table 2 saw amplitude 100
table 3 triangle cycles 4
table 4 noise seed 9 amplitude 50
table 5 ramp from 127 to -128
table 6 values 1 -2 3 -4
  5 -6 7
table 8 values   ; runs on into table 9
  1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 26 27 28 29 30 31 32
  33 34 35 36 37 38 39 40 41 42 43 44 45 46 47 48 49 50 51 52 53 54 55 56 57 58 59 60 61 62 63 64
  -1 -2 -3 -4 -5 -6 -7 -8 -9 -10 -11 -12 -13 -14 -15 -16

instrument 1 synth
  wave 0 length 64
  volume 50
  volume-envelope once table 5 length 64 speed 2
  pitch-modulation repeat table 3 length 64 depth 3 delay 5 speed 1
  inversion-envelope 7 table 8 length 80 delay 2 speed 3
  waveform-effect average speed 4 delay 1
  tail-modulation once table 4 length 64 delay 0 speed 2
instrument 2 synth
  wave 1 length 32
  volume 64
  waveform-effect morph-inverted speed 2
instrument 3 synth
  wave 2 length 16
  waveform-effect morph-next speed 3 delay 9
instrument 4 synth
  wave 3 length 32
  waveform-effect morph speed 1
instrument 11 synth
  wave 6 length 32
  waveform-effect 5 speed 7
instrument 5 sample "loop"
  volume 33
  loop 4 20
  generate square length 64 period 16 duty 25
instrument 6 sample "tri"
  generate triangle length 101 period 20
instrument 7 sample "bytes"
  volume 64
  data 01 02 03 FF 80 7F
instrument 8 raw FF 00 00 10 01 00 00 00 01 00 00 00 00 00 00 01 00 00 00 00 00 01 00 01 00 00 00 01 00 20 00 00
instrument 9 sample "saw"
  generate saw length 40 period 10 decay 10
instrument 10 sample "sine \xFF"
  generate sine length 30 period 30 period-end 10 amplitude 127
  loop 0 2

pattern 1
  C-1 01 037
  C#1 .. 100
  D-1 02 110
  D#1 .. 203
  E-2 03 306
  F-2 .. 420
  F#2 .. 520
  G-3 04 618
  G#3 05 702
  A-3 .. 801
  A#4 .. 8FE
  B-4 06 947
  --- .. A10
  $F0 07 B03
  $31 08 C00
  ---
pattern 2
  C-2 09 D37
  --- 10 E00
  D-2 11 F47
  ---
  ---
  ---
  ---
  ---
  ---
  ---
  ---
  ---
  ---
  ---
  ---
  --- .. 206
; pattern 3 is never defined: the module holds it as zero bytes
pattern 4
  A-1 01 ...
  --- .. ...
  --- .. ...
  --- .. ...
  --- .. ...
  --- .. ...
  --- .. ...
  --- .. ...
  --- .. ...
  --- .. ...
  --- .. ...
  --- .. ...
  --- .. ...
  --- .. ...
  --- .. ...
  --- .. ...

positions
  1 2 1:+12 2:-3:1
  2 1:0:2 -- 4
  4 4 4 4:-128:255
trailer
  data DE AD BE EF
)";

const char* const V2_SONG = R"(title "OLDER SYNTHS"
table 0 square cycles 2
table 1 ramp from 127 to -128
table 2 sine cycles 4
instrument 1 synth
  wave 0 length 32
  volume 40
  volume-envelope once table 1 length 64 speed 1
  pitch-modulation repeat table 2 length 64 depth 8 delay 10 speed 1
  inversion-envelope repeat table 2 length 64 delay 3 speed 2
instrument 2 sample "click"
  volume 50
  generate noise length 100 decay 20
instrument 3 synth
  wave 0 length 64
  volume 64
pattern 1
  C-2 01 ...
  ---
  E-2 02 ...
  ---
  G-2 03 937
  ---
  ---
  ---
  ---
  ---
  ---
  ---
  ---
  ---
  ---
  ---
positions
  1 1 1 1
)";

const char* const ZUNQ_SONG = R"(title "SAMPLES ONLY"
instrument 1 sample "tone"
  volume 48
  loop 0 32
  generate square length 32 period 32
instrument 2 sample "hiss"
  generate noise length 200 decay 50
pattern 1
  C-2 01 ...
  --- .. ...
  C-3 02 ...
  ---
  ---
  ---
  ---
  ---
  ---
  ---
  ---
  ---
  ---
  ---
  ---
  ---
positions
  1 -- -- 1:+5
)";

std::vector<uint8_t> compileText(const std::string& text, song::Generation generation,
                                 std::vector<song::Diagnostic>* diagnostics) {
    song::Song song;
    std::vector<song::Diagnostic> list;
    std::vector<uint8_t> module;
    if (song::readSongText(text, "", song, list)) song::compileSong(song, generation, module, list);
    if (diagnostics) *diagnostics = list;
    return module;
}

std::vector<uint8_t> compileText(const std::string& text) {
    return compileText(text, song::Generation::V3);
}

std::vector<uint8_t> roundTrip(const std::vector<uint8_t>& module, std::string* error) {
    song::Song song;
    std::string why;
    if (!song::decompileModule(module, song, why)) {
        if (error) *error = why;
        return {};
    }
    const std::string text = song::writeSongText(song);
    song::Song again;
    std::vector<song::Diagnostic> diagnostics;
    std::vector<uint8_t> out;
    if (song::readSongText(text, "", again, diagnostics))
        song::compileSong(again, again.generation, out, diagnostics);
    if (error && !diagnostics.empty()) *error = song::formatDiagnostics("decompiled", diagnostics) + text;
    return out;
}

std::vector<uint8_t> readBinary(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string readText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace songtest
