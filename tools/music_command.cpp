// tarvex-tool music render MODULE OUT.wav [--ticks N | --seconds S]
// tarvex-tool music info MODULE
#include <CLI/CLI.hpp>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "audio/mixer_offline.h"
#include "music/module.h"
#include "music/music_file.h"
#include "tools/commands.h"
#include "tools/json_text.h"
#include "tools/read_file.h"
#include "tools/tool_messages.h"
#include "tools/wave_header.h"

namespace {

constexpr long TICKS_PER_SECOND = 50;
constexpr double DEFAULT_SECONDS = 60;

class FileSink : public BlockSink {
public:
    explicit FileSink(std::FILE* file) : file(file) {}
    void takeBlock(const uint8_t* data, uint32_t size) override {
        if (std::fwrite(data, 1, size, file) != size) failed = true;
    }
    std::FILE* file;
    bool failed = false;
};

struct RenderOptions {
    std::string module, output;
    uint64_t ticks = 0;
    double seconds = DEFAULT_SECONDS;
    bool tickCount = false;  // --ticks was given
};

int render(const RenderOptions& options) {
    const long ticks = options.tickCount ? long(options.ticks) : std::lround(options.seconds * TICKS_PER_SECOND);
    // The data chunk size must fit the header's 32 bits.
    const long maxTicks = long((0xFFFFFFFFu - 36u) / BLOCK_BYTES);
    if (ticks > maxTicks) {
        std::fprintf(stderr, TOO_MANY_TICKS, maxTicks);
        return 2;
    }

    std::vector<uint8_t> image;
    if (!readInputFile(options.module, image)) return 1;
    MusicModule module(image.data(), image.size());
    if (module.parse() != 0) {
        std::fprintf(stderr, "%s\n", musicFileProblemText(MusicFileProblem::NotAModule));
        return 1;
    }

    std::FILE* out = std::fopen(options.output.c_str(), "wb");
    if (!out) {
        std::fprintf(stderr, CANNOT_WRITE, options.output.c_str());
        return 1;
    }
    // 8-bit unsigned stereo at the mixer's rate, the sound output's.
    std::string header = waveHeader(2, platform::SOUND_RATE, 8, uint32_t(ticks) * BLOCK_BYTES);
    FileSink sink(out);
    sink.takeBlock(reinterpret_cast<const uint8_t*>(header.data()), uint32_t(header.size()));
    OfflineMusic music(module, true);
    music.renderTicks(ticks, &sink);
    bool failed = sink.failed;
    if (std::fclose(out) != 0) failed = true;
    if (failed) {
        std::fprintf(stderr, CANNOT_WRITE, options.output.c_str());
        return 1;
    }
    return 0;
}

// ---- info ------------------------------------------------------------------------------------

// A fixed-size text field of the module, up to its first zero byte.
std::string moduleText(const char* text, size_t maxLength) {
    size_t length = 0;
    while (length < maxLength && text[length] != 0) ++length;
    return utf8Text(std::string(text, length));
}

// One modulation unit of a synthetic instrument; delay and depth only where the unit has them.
ToolJson unitJson(uint8_t control, uint8_t table, uint16_t length, long delay, uint8_t speed,
                  long depth) {
    ToolJson unit = {{"control", control}, {"table", table}, {"length", length}};
    if (delay >= 0) unit["delay"] = delay;
    unit["speed"] = speed;
    if (depth >= 0) unit["depth"] = depth;
    return unit;
}

ToolJson instrumentJson(int number, const Instrument& in) {
    if (in.kind == INSTRUMENT_SAMPLED)
        return {{"number", number},
                {"kind", "sampled"},
                {"name", moduleText(in.name, sizeof in.name)},
                {"length", in.length},
                {"loopStart", in.loopStart},
                {"loopLength", in.loopLength},
                {"volume", in.volume}};
    return {{"number", number},
            {"kind", "synthetic"},
            {"waveformTable", in.waveformTable},
            {"waveformLength", in.waveformLength},
            {"volume", in.volume},
            {"volumeEnvelope", unitJson(in.volumeEnvelopeControl, in.volumeEnvelopeTable,
                                        in.volumeEnvelopeLength, -1, in.volumeEnvelopeSpeed, -1)},
            {"pitchModulation",
             unitJson(in.pitchModulationControl, in.pitchModulationTable, in.pitchModulationLength,
                      in.pitchModulationDelay, in.pitchModulationSpeed, in.pitchModulationDepth)},
            {"inversionEnvelope",
             unitJson(in.inversionEnvelopeControl, in.inversionEnvelopeTable,
                      in.inversionEnvelopeLength, in.inversionEnvelopeDelay,
                      in.inversionEnvelopeSpeed, -1)},
            {"waveEffect",
             {{"type", in.waveEffectType}, {"speed", in.waveEffectSpeed}, {"delay", in.waveEffectDelay}}},
            {"tailModulation",
             unitJson(in.tailModulationControl, in.tailModulationTable, in.tailModulationLength,
                      in.tailModulationDelay, in.tailModulationSpeed, -1)}};
}

int info(const std::string& path) {
    std::vector<uint8_t> image;
    if (!readInputFile(path, image)) return 1;
    MusicModule module(image.data(), image.size());
    const bool valid = module.parse() == 0;

    ToolJson out = {{"title", moduleText(module.title(), 26)},
                    {"signature", moduleText(module.signature().c_str(), 4)},
                    {"valid", valid},
                    {"fileSize", image.size()}};
    if (valid) {
        out["songLength"] = module.songLength();
        out["patternCount"] = module.patternCount();
        out["synthTableCount"] = module.synthTableCount();
        ToolJson instruments = ToolJson::array();
        for (int n = 1; n <= INSTRUMENT_COUNT; ++n)
            instruments.push_back(instrumentJson(n, *module.instrument(n)));
        out["instruments"] = instruments;
    }
    ToolJson problems = ToolJson::array();
    for (const std::string& problem : module.problems()) problems.push_back(utf8Text(problem));
    out["problems"] = problems;
    std::fputs(jsonDocument(out, 2).c_str(), stdout);
    if (!valid) {
        std::fprintf(stderr, "%s\n", musicFileProblemText(MusicFileProblem::NotAModule));
        return 1;
    }
    return 0;
}

}  // namespace

void addMusicCommand(CLI::App& tool, CommandAction& chosen) {
    CLI::App* command = tool.add_subcommand("music", "Render or describe a music module.");
    command->require_subcommand(1);

    auto options = std::make_shared<RenderOptions>();
    CLI::App* renderCommand = command->add_subcommand(
        "render", "Render a module to a WAV file as the game plays it (8-bit stereo, 44100 Hz).");
    renderCommand->add_option("MODULE", options->module, "The music module.")->required();
    renderCommand->add_option("OUT.wav", options->output, "The WAV file to write.")->required();
    CLI::Option* ticks =
        renderCommand->add_option("--ticks", options->ticks, "Length in ticks of 20 ms.")
            ->check(wholeNumber(UINT32_MAX));
    renderCommand->add_option("--seconds", options->seconds, "Length in seconds (default 60).")
        ->check(CLI::Validator(
            [](std::string& text) -> std::string {
                // Not NaN, which every range test lets through.
                char* end = nullptr;
                const double value = std::strtod(text.c_str(), &end);
                const bool ok = end != text.c_str() && *end == 0 && value >= 0 && value < 1e9;
                return ok ? "" : SECONDS_EXPECTED;
            },
            "SECONDS"))
        ->excludes(ticks);
    renderCommand->callback([&chosen, options, ticks] {
        options->tickCount = ticks->count() > 0;
        chosen = [options] { return render(*options); };
    });

    auto path = std::make_shared<std::string>();
    CLI::App* infoCommand = command->add_subcommand(
        "info", "Print a module's header, its instruments and the problems found in it, as JSON.");
    infoCommand->add_option("MODULE", *path, "The music module.")->required();
    infoCommand->callback([&chosen, path] { chosen = [path] { return info(*path); }; });
}
