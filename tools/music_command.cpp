// tarvex-tool music render MODULE OUT.wav [--ticks N | --seconds S]
// tarvex-tool music info MODULE
#include "tools/commands.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "audio/mixer_offline.h"
#include "music/module.h"
#include "tools/read_file.h"
#include "tools/wave_header.h"

namespace {

constexpr long TICKS_PER_SECOND = 50;
constexpr long DEFAULT_SECONDS = 60;

class FileSink : public BlockSink {
public:
    explicit FileSink(std::FILE* file) : file(file) {}
    void takeBlock(const uint8_t* data, uint32_t size) override {
        if (std::fwrite(data, 1, size, file) != size) failed = true;
    }
    std::FILE* file;
    bool failed = false;
};

bool parseCount(const char* text, long& value) {
    char* end = nullptr;
    value = std::strtol(text, &end, 10);
    return end != text && *end == 0 && value >= 0;
}

// Seconds of music: a non-negative decimal number, small enough to count in ticks.
bool parseSeconds(const char* text, double& value) {
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == 0 && value >= 0 && value < 1e9;
}

int renderUsage() {
    std::fprintf(stderr, "usage: tarvex-tool music render MODULE OUT.wav [--ticks N | --seconds S]\n");
    return 2;
}

int runRender(int argc, char** argv) {
    if (argc != 2 && argc != 4) return renderUsage();
    long ticks = DEFAULT_SECONDS * TICKS_PER_SECOND;
    if (argc == 4) {
        if (std::strcmp(argv[2], "--ticks") == 0) {
            if (!parseCount(argv[3], ticks)) return renderUsage();
        } else if (std::strcmp(argv[2], "--seconds") == 0) {
            double seconds = 0;
            if (!parseSeconds(argv[3], seconds)) return renderUsage();
            ticks = std::lround(seconds * TICKS_PER_SECOND);
        } else {
            return renderUsage();
        }
    }
    // The data chunk size must fit the header's 32 bits.
    const long maxTicks = long((0xFFFFFFFFu - 36u) / BLOCK_BYTES);
    if (ticks > maxTicks) {
        std::fprintf(stderr, "at most %ld ticks fit in one WAV file\n", maxTicks);
        return 2;
    }

    std::vector<uint8_t> image;
    if (!readInputFile(argv[0], image)) return 1;
    MusicModule module(image.data(), image.size());
    if (module.parse() != 0) {
        std::fprintf(stderr, "No ZQ module\n");
        return 1;
    }

    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    // 8-bit unsigned stereo at the mixer's rate.
    std::string header = waveHeader(2, MIXER_RATE, 8, uint32_t(ticks) * BLOCK_BYTES);
    FileSink sink(out);
    sink.takeBlock(reinterpret_cast<const uint8_t*>(header.data()), uint32_t(header.size()));
    OfflineMusic music(module, true);
    music.renderTicks(ticks, &sink);
    bool failed = sink.failed;
    if (std::fclose(out) != 0) failed = true;
    if (failed) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}

// ---- info ------------------------------------------------------------------------------------

std::string jsonString(const char* text, size_t maxLength) {
    std::string out = "\"";
    for (size_t i = 0; i < maxLength && text[i] != 0; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);  // bytes read as Latin-1
            out += escaped;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

std::string field(const char* name, long value) {
    return std::string("\"") + name + "\": " + std::to_string(value);
}

std::string unitJson(uint8_t control, uint8_t table, uint16_t length, long delay, uint8_t speed,
                     long depth) {
    std::string out = "{" + field("control", control) + ", " + field("table", table) + ", " +
                      field("length", length);
    if (delay >= 0) out += ", " + field("delay", delay);
    out += ", " + field("speed", speed);
    if (depth >= 0) out += ", " + field("depth", depth);
    return out + "}";
}

std::string instrumentJson(int number, const Instrument& in) {
    std::string out = "    {" + field("number", number) + ", ";
    if (in.kind == INSTRUMENT_SAMPLED) {
        out += "\"kind\": \"sampled\", \"name\": " + jsonString(in.name, sizeof in.name) + ", " +
               field("length", in.length) + ", " + field("loopStart", in.loopStart) + ", " +
               field("loopLength", in.loopLength) + ", " + field("volume", in.volume) + "}";
        return out;
    }
    out += "\"kind\": \"synthetic\", " + field("waveformTable", in.waveformTable) + ", " +
           field("waveformLength", in.waveformLength) + ", " + field("volume", in.volume) +
           ",\n     \"volumeEnvelope\": " +
           unitJson(in.volumeEnvelopeControl, in.volumeEnvelopeTable, in.volumeEnvelopeLength, -1,
                    in.volumeEnvelopeSpeed, -1) +
           ",\n     \"pitchModulation\": " +
           unitJson(in.pitchModulationControl, in.pitchModulationTable,
                    in.pitchModulationLength, in.pitchModulationDelay, in.pitchModulationSpeed,
                    in.pitchModulationDepth) +
           ",\n     \"inversionEnvelope\": " +
           unitJson(in.inversionEnvelopeControl, in.inversionEnvelopeTable,
                    in.inversionEnvelopeLength, in.inversionEnvelopeDelay,
                    in.inversionEnvelopeSpeed, -1) +
           ",\n     \"waveEffect\": {" + field("type", in.waveEffectType) + ", " +
           field("speed", in.waveEffectSpeed) + ", " + field("delay", in.waveEffectDelay) +
           "},\n     \"tailModulation\": " +
           unitJson(in.tailModulationControl, in.tailModulationTable, in.tailModulationLength,
                    in.tailModulationDelay, in.tailModulationSpeed, -1) +
           "}";
    return out;
}

int runInfo(int argc, char** argv) {
    if (argc != 1) {
        std::fprintf(stderr, "usage: tarvex-tool music info MODULE\n");
        return 2;
    }
    std::vector<uint8_t> image;
    if (!readInputFile(argv[0], image)) return 1;
    MusicModule module(image.data(), image.size());
    bool valid = module.parse() == 0;

    std::string out = "{\n  \"title\": " + jsonString(module.title(), 26) + ",\n";
    out += "  \"signature\": " + jsonString(module.signature().c_str(), 4) + ",\n";
    out += "  \"valid\": " + std::string(valid ? "true" : "false") + ",\n";
    out += "  " + field("fileSize", long(image.size())) + ",\n";
    if (valid) {
        out += "  " + field("songLength", module.songLength()) + ",\n";
        out += "  " + field("patternCount", module.patternCount()) + ",\n";
        out += "  " + field("synthTableCount", module.synthTableCount()) + ",\n";
        out += "  \"instruments\": [\n";
        for (int n = 1; n <= INSTRUMENT_COUNT; ++n) {
            out += instrumentJson(n, *module.instrument(n));
            out += n < INSTRUMENT_COUNT ? ",\n" : "\n";
        }
        out += "  ],\n";
    }
    out += "  \"problems\": [";
    const std::vector<std::string>& problems = module.problems();
    for (size_t i = 0; i < problems.size(); ++i)
        out += (i ? ", " : "") + jsonString(problems[i].c_str(), problems[i].size());
    out += "]\n}\n";
    std::fputs(out.c_str(), stdout);
    if (!valid) {
        std::fprintf(stderr, "No ZQ module\n");
        return 1;
    }
    return 0;
}

}  // namespace

int runMusicCommand(int argc, char** argv) {
    if (argc >= 1 && std::strcmp(argv[0], "render") == 0) return runRender(argc - 1, argv + 1);
    if (argc >= 1 && std::strcmp(argv[0], "info") == 0) return runInfo(argc - 1, argv + 1);
    std::fprintf(stderr,
                 "usage: tarvex-tool music render MODULE OUT.wav [--ticks N | --seconds S]\n"
                 "       tarvex-tool music info MODULE\n");
    return 2;
}
