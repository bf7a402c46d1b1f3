// Reading song text into a Song, line by line, with a diagnostic for every mistake.
#include "tools/song/text_format.h"

#include <algorithm>
#include <cctype>
#include <sstream>

#include "tools/message_format.h"
#include "tools/song/song_messages.h"
#include "tools/song/text_tokens.h"
#include "tools/song/waveforms.h"

namespace song {

namespace {

bool isTopKeyword(const std::string& word) {
    static const char* const TopKeywords[] = {"title", "generation", "table", "instrument",
                                        "pattern", "positions", "trailer", "cut-to"};
    for (const char* w : TopKeywords)
        if (word == w) return true;
    return false;
}

struct TableDef {
    int line = 0;
    std::vector<uint8_t> values;
};

class Reader {
public:
    Reader(Song& song, const std::string& baseDir, std::vector<Diagnostic>& diagnostics)
        : song_(song), baseDir_(baseDir), diagnostics_(diagnostics) {}

    void read(const Line& line) {
        line_ = line.number;
        const std::vector<Token>& t = line.tokens;
        if (t.empty()) return;
        if (!t[0].quoted && isTopKeyword(t[0].text)) {
            finishBlock();
            const size_t before = diagnostics_.size();
            topLevel(t);
            // The lines of a block whose header is wrong would only repeat the mistake.
            static const char* const BlockOpeners[] = {"table", "instrument", "pattern", "positions", "trailer"};
            if (diagnostics_.size() != before &&
                std::find(std::begin(BlockOpeners), std::end(BlockOpeners), t[0].text) != std::end(BlockOpeners))
                block_ = Block::Skip;
            return;
        }
        switch (block_) {
            case Block::None:
                error(formatMessage(NOT_A_STATEMENT, t[0].text.c_str()));
                break;
            case Block::Table: tableValues(t, 0); break;
            case Block::Instrument: instrumentLine(t); break;
            case Block::Pattern: patternRow(t); break;
            case Block::Positions: positionLine(t); break;
            case Block::Trailer: dataLine(t, song_.trailer, "trailer"); break;
            case Block::Skip: break;
        }
    }

    void finish() {
        finishBlock();
        buildTables();
    }

private:
    enum class Block { None, Table, Instrument, Pattern, Positions, Trailer, Skip };

    void error(const std::string& message, int line = -1) {
        diagnostics_.push_back({line < 0 ? line_ : line, message});
    }

    bool number(const Token& token, long min, long max, const char* what, long& value) {
        if (token.quoted || !parseNumber(token.text, value)) {
            error(formatMessage(NOT_A_NUMBER, what, token.text.c_str()));
            return false;
        }
        if (value < min || value > max) {
            error(formatMessage(OUT_OF_RANGE, what, token.text.c_str(), min, max));
            return false;
        }
        return true;
    }

    bool hexByte(const Token& token, uint8_t& value) {
        if (token.quoted || token.text.size() != 2 || hexDigit(token.text[0]) < 0 ||
            hexDigit(token.text[1]) < 0) {
            error(formatMessage(NOT_A_HEX_BYTE, token.text.c_str()));
            return false;
        }
        value = static_cast<uint8_t>(hexDigit(token.text[0]) * 16 + hexDigit(token.text[1]));
        return true;
    }

    void topLevel(const std::vector<Token>& t) {
        const std::string& word = t[0].text;
        if (word == "title") {
            if (t.size() != 2 || !t[1].quoted) return error(TITLE_WANTS_STRING);
            if (seenTitle_) error(TITLE_TWICE);
            seenTitle_ = true;
            if (t[1].text.size() > MODULE_TITLE_BYTES)
                return error(formatMessage(TITLE_TOO_LONG, t[1].text.size()));
            song_.title.fill(0);
            std::copy(t[1].text.begin(), t[1].text.end(), song_.title.begin());
        } else if (word == "generation") {
            if (t.size() != 2 || !generationFromName(t[1].text, song_.generation))
                return error(GENERATION_WANTS_NAME);
        } else if (word == "table") {
            tableHeader(t);
        } else if (word == "instrument") {
            instrumentHeader(t);
        } else if (word == "pattern") {
            long n;
            if (t.size() != 2) return error(PATTERN_WANTS_NUMBER);
            if (!number(t[1], 1, 65535, "pattern", n)) return;
            if (song_.patterns.count(static_cast<int>(n)))
                return error(formatMessage(PATTERN_DEFINED_TWICE, t[1].text.c_str(),
                                           song_.patterns[static_cast<int>(n)].line));
            pattern_ = &song_.patterns[static_cast<int>(n)];
            pattern_->line = line_;
            patternNumber_ = static_cast<int>(n);
            rows_ = 0;
            block_ = Block::Pattern;
        } else if (word == "positions") {
            if (t.size() != 1) return error(POSITIONS_STAND_ALONE);
            if (seenPositions_) return error(POSITIONS_TWICE);
            seenPositions_ = true;
            block_ = Block::Positions;
        } else if (word == "cut-to") {
            long n;
            if (t.size() != 2) return error(CUT_TO_WANTS_SIZE);
            if (!number(t[1], MODULE_HEADER_BYTES, 100000000, "cut-to size", n)) return;
            song_.cutTo = n;
            song_.cutLine = line_;
        } else if (word == "trailer") {
            if (t.size() != 1) return error(TRAILER_STANDS_ALONE);
            block_ = Block::Trailer;
        }
    }

    // ---- tables ----

    void tableHeader(const std::vector<Token>& t) {
        long n;
        if (t.size() < 3) return error(TABLE_WANTS_NUMBER_AND_KIND);
        if (!number(t[1], 0, 254, "table", n)) return;
        if (tables_.count(static_cast<int>(n)))
            return error(formatMessage(TABLE_DEFINED_TWICE, t[1].text.c_str(),
                                       tables_[static_cast<int>(n)].line));
        TableDef& def = tables_[static_cast<int>(n)];
        def.line = line_;
        if (t[2].text == "values") {
            table_ = &def;
            block_ = Block::Table;
            tableValues(t, 3);
            return;
        }
        WaveRecipe recipe;
        if (!waveKindFromName(t[2].text, recipe.kind))
            return error(formatMessage(UNKNOWN_TABLE_KIND, t[2].text.c_str()));
        if (!waveOptions(t, 3, recipe, false)) return;
        def.values = generateTable(recipe);
    }

    void tableValues(const std::vector<Token>& t, size_t first) {
        for (size_t i = first; i < t.size(); ++i) {
            long v;
            if (!number(t[i], -128, 127, "table value", v)) return;
            table_->values.push_back(static_cast<uint8_t>(static_cast<int8_t>(v)));
        }
    }

    // Options "key value" of a generated table or sample.
    bool waveOptions(const std::vector<Token>& t, size_t first, WaveRecipe& recipe, bool sample) {
        for (size_t i = first; i < t.size(); i += 2) {
            const std::string& key = t[i].text;
            if (i + 1 >= t.size()) {
                error(formatMessage(OPTION_WANTS_VALUE, key.c_str()));
                return false;
            }
            struct Option {
                const char* key;
                bool forSample, forTable;
                long min, max;
                int* field;
            };
            int seed = 0;
            const Option Options[] = {
                {"length", true, true, 1, sample ? 131070 : 255 * 64, &recipe.length},
                {"amplitude", true, true, 0, 127, &recipe.amplitude},
                {"cycles", false, true, 1, 64, &recipe.cycles},
                {"period", true, false, 1, 65535, &recipe.period},
                {"period-end", true, false, 1, 65535, &recipe.periodEnd},
                {"decay", true, false, 0, 1000000, &recipe.decay},
                {"duty", true, true, 1, 99, &recipe.duty},
                {"from", true, true, -128, 127, &recipe.from},
                {"to", true, true, -128, 127, &recipe.to},
                {"seed", true, true, 0, 99999999, &seed},
            };
            const Option* option = nullptr;
            for (const Option& o : Options)
                if (key == o.key && (sample ? o.forSample : o.forTable)) option = &o;
            if (!option) {
                error(formatMessage(sample ? UNKNOWN_SAMPLE_OPTION : UNKNOWN_TABLE_OPTION, key.c_str()));
                return false;
            }
            long v;
            if (!number(t[i + 1], option->min, option->max, key.c_str(), v)) return false;
            *option->field = static_cast<int>(v);
            if (option->field == &seed) recipe.seed = static_cast<uint32_t>(v);
        }
        return true;
    }

    // Lays the defined tables out one after the other: table n covers n*64.. and a longer list
    // of values runs on into the following tables.
    void buildTables() {
        int count = 0;
        for (const auto& [index, def] : tables_) {
            int span = std::max<int>(1, static_cast<int>((def.values.size() + SYNTH_TABLE_BYTES - 1) / SYNTH_TABLE_BYTES));
            auto next = tables_.upper_bound(index);
            if (next != tables_.end() && next->first < index + span)
                error(formatMessage(TABLE_RUNS_INTO_NEXT, index, def.values.size(), next->first), def.line);
            if (index + span > 255) {
                error(formatMessage(TABLE_PAST_LAST, index), def.line);
                continue;
            }
            count = std::max(count, index + span);
        }
        song_.tables.assign(static_cast<size_t>(count) * SYNTH_TABLE_BYTES, 0);
        song_.tableLines.assign(count, 0);
        for (const auto& [index, def] : tables_) {
            if (index >= count) continue;
            size_t start = static_cast<size_t>(index) * SYNTH_TABLE_BYTES;
            size_t n = std::min(def.values.size(), song_.tables.size() - start);
            std::copy(def.values.begin(), def.values.begin() + n, song_.tables.begin() + start);
            int span = std::max<int>(1, static_cast<int>((def.values.size() + SYNTH_TABLE_BYTES - 1) / SYNTH_TABLE_BYTES));
            for (int k = index; k < index + span && k < count; ++k) song_.tableLines[k] = def.line;
        }
    }

    // ---- instruments ----

    void instrumentHeader(const std::vector<Token>& t) {
        long n;
        if (t.size() < 3) return error(INSTRUMENT_WANTS_NUMBER_AND_KIND);
        if (!number(t[1], 1, 15, "instrument", n)) return;
        SongInstrument& ins = song_.instruments[n - 1];
        if (ins.defined)
            return error(formatMessage(INSTRUMENT_DEFINED_TWICE, t[1].text.c_str(), ins.line));
        ins = SongInstrument{};
        ins.defined = true;
        ins.line = line_;
        instrument_ = &ins;
        instrumentNumber_ = static_cast<int>(n);
        source_.clear();
        block_ = Block::Instrument;
        const std::string& kind = t[2].text;
        if (kind == "synth") {
            kind_ = Kind::Synth;
            if (t.size() != 3) error(SYNTH_TAKES_NOTHING_MORE);
            ins.record[rec::MARKER] = SYNTHETIC_MARKER;
            for (int speed : {rec::VOL_SPEED, rec::PITCH_SPEED, rec::INV_SPEED, rec::EFFECT_SPEED,
                              rec::TAIL_SPEED})
                ins.record[speed] = 1;
        } else if (kind == "sample") {
            kind_ = Kind::Sample;
            if (t.size() > 4 || (t.size() == 4 && !t[3].quoted))
                return error(SAMPLE_TAKES_NAME);
            std::string name = t.size() == 4 ? t[3].text : "";
            if (name.size() > rec::NAME_SIZE)
                return error(formatMessage(INSTRUMENT_NAME_TOO_LONG, name.size()));
            if (!name.empty() && static_cast<uint8_t>(name[0]) == SYNTHETIC_MARKER)
                return error(SAMPLE_NAME_BEGINS_FF);
            std::copy(name.begin(), name.end(), ins.record.begin());
        } else if (kind == "raw") {
            kind_ = Kind::Raw;
            ins.raw = true;
            if (t.size() != 3 + INSTRUMENT_RECORD_BYTES)
                return error(RAW_WANTS_RECORD);
            for (size_t i = 0; i < INSTRUMENT_RECORD_BYTES; ++i)
                if (!hexByte(t[3 + i], ins.record[i])) return;
        } else {
            error(formatMessage(UNKNOWN_INSTRUMENT_KIND, kind.c_str()));
        }
    }

    bool once(const std::string& field) {
        auto [it, fresh] = instrument_->fieldLines.emplace(field, line_);
        if (!fresh) error(formatMessage(FIELD_GIVEN_TWICE, field.c_str(), it->second));
        return fresh;
    }

    void instrumentLine(const std::vector<Token>& t) {
        const std::string& word = t[0].text;
        SongInstrument& ins = *instrument_;
        if (word == "data") {
            if (kind_ == Kind::Synth) return error(SYNTH_HAS_NO_DATA);
            if (!source_.empty() && source_ != "data")
                return error(formatMessage(ONE_SAMPLE_SOURCE, source_.c_str()));
            source_ = "data";
            ins.fieldLines.emplace("data", line_);
            dataLine(t, ins.sampleData, "data", 1);
            return;
        }
        if (kind_ == Kind::Raw)
            return error(formatMessage(RAW_TAKES_ONLY_DATA, word.c_str()));
        if (kind_ == Kind::Sample) return sampleLine(t);
        synthLine(t);
    }

    void sampleLine(const std::vector<Token>& t) {
        const std::string& word = t[0].text;
        SongInstrument& ins = *instrument_;
        long v, w;
        if (word == "volume") {
            if (t.size() != 2) return error(VOLUME_WANTS_NUMBER);
            if (once(word) && number(t[1], 0, 64, "volume", v)) writeBE16(&ins.record[rec::SAMPLE_VOLUME], v);
        } else if (word == "loop") {
            if (t.size() != 3) return error(LOOP_WANTS_START_AND_LENGTH);
            if (!once(word) || !number(t[1], 0, 65535, "loop start", v) ||
                !number(t[2], 0, 131070, "loop length", w))
                return;
            if (w % 2) return error(formatMessage(LOOP_LENGTH_ODD, t[2].text.c_str()));
            writeBE16(&ins.record[rec::LOOP_START], v);
            writeBE16(&ins.record[rec::LOOP_LENGTH], w / 2);
        } else if (word == "wav" || word == "generate") {
            if (!source_.empty())
                return error(formatMessage(ONE_SAMPLE_SOURCE, source_.c_str()));
            source_ = word;
            ins.fieldLines.emplace("data", line_);
            if (word == "wav") {
                if (t.size() != 2 || !t[1].quoted) return error(WAV_WANTS_NAME);
                std::string path = t[1].text;
                if (!baseDir_.empty() && !path.empty() && path[0] != '/') path = baseDir_ + "/" + path;
                std::string why;
                if (!readWavSamples(path, ins.sampleData, why)) return error(why);
            } else {
                WaveRecipe recipe;
                recipe.amplitude = 100;
                if (t.size() < 2 || !waveKindFromName(t[1].text, recipe.kind) || recipe.kind == WaveKind::Ramp)
                    return error(GENERATE_WANTS_KIND);
                recipe.length = 0;
                if (!waveOptions(t, 2, recipe, true)) return;
                if (recipe.length == 0) return error(GENERATE_WANTS_LENGTH);
                ins.sampleData = generateSample(recipe);
            }
        } else {
            error(formatMessage(UNKNOWN_SAMPLE_ATTRIBUTE, word.c_str()));
        }
    }

    void synthLine(const std::vector<Token>& t) {
        const std::string& word = t[0].text;
        SongInstrument& ins = *instrument_;
        long v, w;
        if (word == "wave") {
            if (t.size() != 4 || t[2].text != "length")
                return error(WAVE_WANTS_TABLE_AND_LENGTH);
            if (!once(word) || !number(t[1], 0, 255, "wave table", v) ||
                !number(t[3], 0, 131070, "wave length", w))
                return;
            if (w % 2) return error(formatMessage(WAVE_LENGTH_ODD, t[3].text.c_str()));
            ins.record[rec::WAVE_TABLE] = static_cast<uint8_t>(v);
            writeBE16(&ins.record[rec::WAVE_LENGTH], static_cast<uint16_t>(w / 2));
        } else if (word == "volume") {
            if (t.size() != 2) return error(VOLUME_WANTS_NUMBER);
            if (once(word) && number(t[1], 0, 64, "volume", v)) ins.record[rec::VOLUME] = static_cast<uint8_t>(v);
        } else if (word == "waveform-effect") {
            if (t.size() < 2) return error(EFFECT_WANTS_TYPE);
            if (!once(word)) return;
            long type = -1;
            for (int k = 0; k < 5; ++k)
                if (t[1].text == EffectTypeNames[k]) type = k;
            if (type < 0 && !number(t[1], 0, 255, "waveform effect type", type)) return;
            ins.record[rec::EFFECT_TYPE] = static_cast<uint8_t>(type);
            for (size_t i = 2; i < t.size(); i += 2) {
                if (i + 1 >= t.size()) return error(formatMessage(OPTION_WANTS_VALUE, t[i].text.c_str()));
                if (t[i].text == "speed" && number(t[i + 1], 0, 255, "speed", v)) ins.record[rec::EFFECT_SPEED] = v;
                else if (t[i].text == "delay" && number(t[i + 1], 0, 255, "delay", v)) ins.record[rec::EFFECT_DELAY] = v;
                else if (t[i].text != "speed" && t[i].text != "delay")
                    return error(formatMessage(UNKNOWN_EFFECT_OPTION, t[i].text.c_str()));
            }
        } else if (word == "v2-spare") {
            if (t.size() != 1 + ins.v2Spare.size()) return error(V2_SPARE_WANTS_BYTES);
            if (!once(word)) return;
            for (size_t i = 0; i < ins.v2Spare.size(); ++i)
                if (!hexByte(t[1 + i], ins.v2Spare[i])) return;
        } else {
            for (const rec::UnitLayout& unit : rec::UnitLayouts)
                if (word == unit.name) return unitLine(t, unit);
            error(formatMessage(UNKNOWN_SYNTH_ATTRIBUTE, word.c_str()));
        }
    }

    void unitLine(const std::vector<Token>& t, const rec::UnitLayout& unit) {
        SongInstrument& ins = *instrument_;
        if (t.size() < 2) return error(formatMessage(UNIT_WANTS_CONTROL, unit.name));
        if (!once(unit.name)) return;
        long v;
        if (t[1].text == "off") v = 0;
        else if (t[1].text == "once") v = 1;
        else if (t[1].text == "repeat") v = 2;
        else if (!number(t[1], 0, 255, "control", v)) return;
        ins.record[unit.control] = static_cast<uint8_t>(v);
        for (size_t i = 2; i < t.size(); i += 2) {
            const std::string& key = t[i].text;
            if (i + 1 >= t.size()) return error(formatMessage(OPTION_WANTS_VALUE, key.c_str()));
            int offset = key == "table" ? unit.table : key == "length" ? unit.length
                       : key == "speed" ? unit.speed : key == "delay" ? unit.delay
                       : key == "depth" ? unit.depth : -1;
            if (offset < 0)
                return error(formatMessage(UNKNOWN_UNIT_OPTION, unit.name, key.c_str()));
            if (key == "length") {
                if (!number(t[i + 1], 0, 65535, key.c_str(), v)) return;
                writeBE16(&ins.record[offset], static_cast<uint16_t>(v));
            } else {
                if (!number(t[i + 1], 0, 255, key.c_str(), v)) return;
                ins.record[offset] = static_cast<uint8_t>(v);
            }
        }
    }

    void dataLine(const std::vector<Token>& t, std::vector<uint8_t>& out, const char* what, size_t first = 0) {
        if (first == 0 && (t.empty() || t[0].text != "data"))
            return error(formatMessage(BLOCK_TAKES_DATA_LINES, what));
        if (first == 0) first = 1;
        for (size_t i = first; i < t.size(); ++i) {
            uint8_t b;
            if (!hexByte(t[i], b)) return;
            out.push_back(b);
        }
    }

    void finishInstrument() {
        SongInstrument& ins = *instrument_;
        const int line = ins.fieldLines.count("data") ? ins.fieldLines["data"] : ins.line;
        if (kind_ == Kind::Raw) {
            // Raw records are taken as stored: their data is what the game reads for them.
            size_t want = ins.record[rec::MARKER] == SYNTHETIC_MARKER ? 0 : sampleBytesOfRecord(ins.record.data());
            if (ins.sampleData.size() != want)
                error(formatMessage(RAW_DATA_SIZE_MISMATCH, instrumentNumber_, want, ins.sampleData.size()),
                      line);
        } else if (kind_ == Kind::Sample) {
            if (ins.sampleData.size() % 2) ins.sampleData.push_back(0);  // whole words only
            if (ins.sampleData.size() > static_cast<size_t>(LONGEST_LENGTH))
                return error(formatMessage(SAMPLE_TOO_LONG, instrumentNumber_, ins.sampleData.size(),
                                           LONGEST_LENGTH),
                             line);
            writeBE16(&ins.record[rec::SAMPLE_LENGTH], static_cast<uint16_t>(ins.sampleData.size() / 2));
        }
    }

    // ---- patterns ----

    void patternRow(const std::vector<Token>& t) {
        if (rows_ >= PATTERN_ROWS) {
            if (rows_ == PATTERN_ROWS)
                error(formatMessage(PATTERN_TOO_MANY_ROWS, patternNumber_));
            ++rows_;
            return;
        }
        uint8_t* row = &pattern_->bytes[rows_ * 3];
        pattern_->rowLines[rows_] = line_;
        ++rows_;
        if (t.size() == 1 && t[0].text == "---") return;  // an empty row
        if (t.size() != 3)
            return error(ROW_WANTS_THREE_FIELDS);
        int note;
        if (!noteFromName(t[0].text, note)) {
            long raw;
            if (t[0].text.size() == 3 && t[0].text[0] == '$' && parseNumber(t[0].text, raw)) note = static_cast<int>(raw);
            else return error(formatMessage(UNKNOWN_NOTE, t[0].text.c_str()));
        }
        long instrument = 0;
        if (t[1].text != ".." && t[1].text != "--") {
            if (t[1].quoted || !parseNumber(t[1].text, instrument) || t[1].text[0] == '$')
                return error(formatMessage(ROW_INSTRUMENT_NOT_A_NUMBER, t[1].text.c_str()));
            if (instrument < 1 || instrument > 15)
                return error(formatMessage(ROW_INSTRUMENT_OUT_OF_RANGE, t[1].text.c_str()));
        }
        int effect = 0, parameter = 0;
        const std::string& e = t[2].text;
        if (e != "...") {
            if (e.size() != 3 || hexDigit(e[0]) < 0 || hexDigit(e[1]) < 0 || hexDigit(e[2]) < 0)
                return error(formatMessage(BAD_EFFECT, e.c_str()));
            effect = hexDigit(e[0]);
            parameter = hexDigit(e[1]) * 16 + hexDigit(e[2]);
        }
        row[0] = static_cast<uint8_t>(note);
        row[1] = static_cast<uint8_t>(instrument << 4 | effect);
        row[2] = static_cast<uint8_t>(parameter);
    }

    // ---- positions ----

    void positionLine(const std::vector<Token>& t) {
        if (t.size() != VOICE_COUNT)
            return error(POSITION_WANTS_FOUR_VOICES);
        Position position;
        position.line = line_;
        for (int v = 0; v < VOICE_COUNT; ++v) {
            std::vector<std::string> parts;
            std::stringstream stream(t[v].text);
            std::string part;
            while (std::getline(stream, part, ':')) parts.push_back(part);
            if (parts.empty() || parts.size() > 3)
                return error(formatMessage(BAD_VOICE_ENTRY, t[v].text.c_str()));
            VoiceEntry& entry = position.voices[v];
            long n;
            if (parts[0] == "--") {
                entry.pattern = 0;
            } else {
                if (!number(Token{parts[0]}, 1, 65535, "pattern", n)) return;
                entry.pattern = static_cast<uint16_t>(n);
            }
            if (parts.size() > 1) {
                if (!number(Token{parts[1]}, -128, 127, "note transpose", n)) return;
                entry.noteTranspose = static_cast<uint8_t>(static_cast<int8_t>(n));
            }
            if (parts.size() > 2) {
                if (!number(Token{parts[2]}, 0, 255, "instrument transpose", n)) return;
                entry.instrumentTranspose = static_cast<uint8_t>(n);
            }
        }
        if (song_.positions.size() >= 65535) return error(TOO_MANY_POSITIONS);
        song_.positions.push_back(position);
    }

    void finishBlock() {
        if (block_ == Block::Instrument) finishInstrument();
        if (block_ == Block::Pattern && rows_ < PATTERN_ROWS)
            error(formatMessage(PATTERN_TOO_FEW_ROWS, patternNumber_, rows_), pattern_->line);
        block_ = Block::None;
    }

    enum class Kind { Synth, Sample, Raw };

    Song& song_;
    std::string baseDir_;
    std::vector<Diagnostic>& diagnostics_;
    int line_ = 0;
    Block block_ = Block::None;
    bool seenTitle_ = false;
    bool seenPositions_ = false;
    std::map<int, TableDef> tables_;
    TableDef* table_ = nullptr;
    SongInstrument* instrument_ = nullptr;
    int instrumentNumber_ = 0;
    Kind kind_ = Kind::Synth;
    std::string source_;
    Pattern* pattern_ = nullptr;
    int patternNumber_ = 0;
    int rows_ = 0;
};

}  // namespace

bool noteFromName(const std::string& name, int& note) {
    if (name == "---") {
        note = 0;
        return true;
    }
    if (name.size() != 3) return false;
    std::string head = name.substr(0, 2);
    head[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(head[0])));
    for (int k = 0; k < 12; ++k) {
        if (head != NoteNames[k]) continue;
        if (name[2] < '1' || name[2] > '4') return false;
        note = (name[2] - '1') * 12 + k + 1;
        return true;
    }
    return false;
}

bool readSongText(const std::string& text, const std::string& baseDir, Song& song,
                  std::vector<Diagnostic>& diagnostics) {
    song = Song{};
    const size_t before = diagnostics.size();
    Reader reader(song, baseDir, diagnostics);
    std::istringstream stream(text);
    std::string raw;
    int number = 0;
    while (std::getline(stream, raw)) {
        ++number;
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        Line line;
        line.number = number;
        std::string why;
        if (!tokenize(raw, line.tokens, why)) {
            diagnostics.push_back({number, why});
            continue;
        }
        reader.read(line);
    }
    reader.finish();
    return diagnostics.size() == before;
}

}  // namespace song
