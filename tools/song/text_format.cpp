#include "tools/song/text_format.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <sstream>

#include "tools/song/waveforms.h"

namespace song {

namespace {

const char* const NOTE_NAMES[12] = {"C-", "C#", "D-", "D#", "E-", "F-",
                                    "F#", "G-", "G#", "A-", "A#", "B-"};

struct Token {
    std::string text;
    bool quoted = false;
};

struct Line {
    int number = 0;
    std::vector<Token> tokens;
};

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Splits one line into tokens: words, and quoted strings with the escapes \" \\ \xNN. A ';'
// outside a string starts a comment.
bool tokenize(const std::string& text, std::vector<Token>& tokens, std::string& error) {
    size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c == ';') break;
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
            continue;
        }
        Token token;
        if (c == '"') {
            token.quoted = true;
            ++i;
            bool closed = false;
            while (i < text.size()) {
                char d = text[i++];
                if (d == '"') {
                    closed = true;
                    break;
                }
                if (d != '\\') {
                    token.text += d;
                    continue;
                }
                if (i >= text.size()) break;
                char e = text[i++];
                if (e == '"' || e == '\\') {
                    token.text += e;
                } else if (e == 'x' && i + 1 < text.size() && hexDigit(text[i]) >= 0 &&
                           hexDigit(text[i + 1]) >= 0) {
                    token.text += static_cast<char>(hexDigit(text[i]) * 16 + hexDigit(text[i + 1]));
                    i += 2;
                } else {
                    error = std::string("unknown escape '\\") + e + "' in a string (use \\\", \\\\ or \\xNN)";
                    return false;
                }
            }
            if (!closed) {
                error = "string without its closing quote";
                return false;
            }
        } else {
            while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i])) &&
                   text[i] != ';' && text[i] != '"')
                token.text += text[i++];
        }
        tokens.push_back(token);
    }
    return true;
}

// Decimal with an optional sign, or hexadecimal after '$' or "0x".
bool parseNumber(const std::string& text, long& value) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size()) return false;
    long v = 0;
    for (; i < text.size(); ++i) {
        int d = base == 16 ? hexDigit(text[i]) : (std::isdigit(static_cast<unsigned char>(text[i])) ? text[i] - '0' : -1);
        if (d < 0) return false;
        v = v * base + d;
        if (v > 100000000) return false;
    }
    value = negative ? -v : v;
    return true;
}

bool isTopKeyword(const std::string& word) {
    static const char* const WORDS[] = {"title", "generation", "table", "instrument",
                                        "pattern", "positions", "trailer", "cut-to"};
    for (const char* w : WORDS)
        if (word == w) return true;
    return false;
}

struct TableDef {
    int line = 0;
    std::vector<uint8_t> values;
};

// Field layout of the five synthesis units in a current-layout record; -1 = the unit has no
// such field.
struct UnitLayout {
    const char* name;
    int control, table, length, speed, delay, depth;
};

const UnitLayout UNITS[] = {
    {"volume-envelope", rec::VOL_CONTROL, rec::VOL_TABLE, rec::VOL_LENGTH, rec::VOL_SPEED, -1, -1},
    {"pitch-modulation", rec::PITCH_CONTROL, rec::PITCH_TABLE, rec::PITCH_LENGTH, rec::PITCH_SPEED,
     rec::PITCH_DELAY, rec::PITCH_DEPTH},
    {"inversion-envelope", rec::INV_CONTROL, rec::INV_TABLE, rec::INV_LENGTH, rec::INV_SPEED,
     rec::INV_DELAY, -1},
    {"tail-modulation", rec::TAIL_CONTROL, rec::TAIL_TABLE, rec::TAIL_LENGTH, rec::TAIL_SPEED,
     rec::TAIL_DELAY, -1},
};

const char* const EFFECT_TYPE_NAMES[] = {"off", "average", "morph-inverted", "morph", "morph-next"};

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
            static const char* const OPENERS[] = {"table", "instrument", "pattern", "positions", "trailer"};
            if (diagnostics_.size() != before &&
                std::find(std::begin(OPENERS), std::end(OPENERS), t[0].text) != std::end(OPENERS))
                block_ = Block::Skip;
            return;
        }
        switch (block_) {
            case Block::None:
                error("'" + t[0].text + "' is not a statement (expected title, generation, table, "
                      "instrument, pattern, positions, trailer or cut-to)");
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

    bool number(const Token& token, long min, long max, const std::string& what, long& value) {
        if (token.quoted || !parseNumber(token.text, value)) {
            error(what + " '" + token.text + "' is not a number");
            return false;
        }
        if (value < min || value > max) {
            error(what + " " + token.text + " is out of " + std::to_string(min) + ".." +
                  std::to_string(max));
            return false;
        }
        return true;
    }

    bool hexByte(const Token& token, uint8_t& value) {
        if (token.quoted || token.text.size() != 2 || hexDigit(token.text[0]) < 0 ||
            hexDigit(token.text[1]) < 0) {
            error("'" + token.text + "' is not a byte of two hex digits");
            return false;
        }
        value = static_cast<uint8_t>(hexDigit(token.text[0]) * 16 + hexDigit(token.text[1]));
        return true;
    }

    void topLevel(const std::vector<Token>& t) {
        const std::string& word = t[0].text;
        if (word == "title") {
            if (t.size() != 2 || !t[1].quoted) return error("title wants one quoted string");
            if (seenTitle_) error("the title is given twice");
            seenTitle_ = true;
            if (t[1].text.size() > TITLE_SIZE)
                return error("the title has " + std::to_string(t[1].text.size()) +
                             " characters; at most 26 fit");
            song_.title.fill(0);
            std::copy(t[1].text.begin(), t[1].text.end(), song_.title.begin());
        } else if (word == "generation") {
            if (t.size() != 2 || !generationFromName(t[1].text, song_.generation))
                return error("generation wants V.3, V.2 or ZUNQ");
        } else if (word == "table") {
            tableHeader(t);
        } else if (word == "instrument") {
            instrumentHeader(t);
        } else if (word == "pattern") {
            long n;
            if (t.size() != 2) return error("pattern wants its number, e.g. 'pattern 4'");
            if (!number(t[1], 1, 65535, "pattern", n)) return;
            if (song_.patterns.count(static_cast<int>(n)))
                return error("pattern " + t[1].text + " is defined twice (first on line " +
                             std::to_string(song_.patterns[static_cast<int>(n)].line) + ")");
            pattern_ = &song_.patterns[static_cast<int>(n)];
            pattern_->line = line_;
            patternNumber_ = static_cast<int>(n);
            rows_ = 0;
            block_ = Block::Pattern;
        } else if (word == "positions") {
            if (t.size() != 1) return error("positions stands alone; the positions follow on their own lines");
            if (seenPositions_) return error("the position list is given twice");
            seenPositions_ = true;
            block_ = Block::Positions;
        } else if (word == "cut-to") {
            long n;
            if (t.size() != 2) return error("cut-to wants the size in bytes the module is cut to");
            if (!number(t[1], HEADER_SIZE, 100000000, "cut-to size", n)) return;
            song_.cutTo = n;
            song_.cutLine = line_;
        } else if (word == "trailer") {
            if (t.size() != 1) return error("trailer stands alone; 'data' lines follow");
            block_ = Block::Trailer;
        }
    }

    // ---- tables ----

    void tableHeader(const std::vector<Token>& t) {
        long n;
        if (t.size() < 3) return error("table wants a number and a kind, e.g. 'table 0 sine'");
        if (!number(t[1], 0, 254, "table", n)) return;
        if (tables_.count(static_cast<int>(n)))
            return error("table " + t[1].text + " is defined twice (first on line " +
                         std::to_string(tables_[static_cast<int>(n)].line) + ")");
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
            return error("unknown table kind '" + t[2].text +
                         "' (values, sine, square, saw, triangle, noise or ramp)");
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
                error("'" + key + "' wants a value");
                return false;
            }
            struct Option {
                const char* key;
                bool forSample, forTable;
                long min, max;
                int* field;
            };
            int seed = 0;
            const Option OPTIONS[] = {
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
            for (const Option& o : OPTIONS)
                if (key == o.key && (sample ? o.forSample : o.forTable)) option = &o;
            if (!option) {
                error("unknown option '" + key + "' for a generated " + (sample ? "sample" : "table"));
                return false;
            }
            long v;
            if (!number(t[i + 1], option->min, option->max, key, v)) return false;
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
            int span = std::max<int>(1, static_cast<int>((def.values.size() + TABLE_SIZE - 1) / TABLE_SIZE));
            auto next = tables_.upper_bound(index);
            if (next != tables_.end() && next->first < index + span)
                error("table " + std::to_string(index) + " has " + std::to_string(def.values.size()) +
                      " values and runs into table " + std::to_string(next->first) +
                      ", which is defined too", def.line);
            if (index + span > 255) {
                error("table " + std::to_string(index) + " reaches past table 254, the last a module holds",
                      def.line);
                continue;
            }
            count = std::max(count, index + span);
        }
        song_.tables.assign(static_cast<size_t>(count) * TABLE_SIZE, 0);
        song_.tableLines.assign(count, 0);
        for (const auto& [index, def] : tables_) {
            if (index >= count) continue;
            size_t start = static_cast<size_t>(index) * TABLE_SIZE;
            size_t n = std::min(def.values.size(), song_.tables.size() - start);
            std::copy(def.values.begin(), def.values.begin() + n, song_.tables.begin() + start);
            int span = std::max<int>(1, static_cast<int>((def.values.size() + TABLE_SIZE - 1) / TABLE_SIZE));
            for (int k = index; k < index + span && k < count; ++k) song_.tableLines[k] = def.line;
        }
    }

    // ---- instruments ----

    void instrumentHeader(const std::vector<Token>& t) {
        long n;
        if (t.size() < 3) return error("instrument wants a number and a kind: synth, sample or raw");
        if (!number(t[1], 1, 15, "instrument", n)) return;
        Instrument& ins = song_.instruments[n - 1];
        if (ins.defined)
            return error("instrument " + t[1].text + " is defined twice (first on line " +
                         std::to_string(ins.line) + ")");
        ins = Instrument{};
        ins.defined = true;
        ins.line = line_;
        instrument_ = &ins;
        instrumentNumber_ = static_cast<int>(n);
        source_.clear();
        block_ = Block::Instrument;
        const std::string& kind = t[2].text;
        if (kind == "synth") {
            kind_ = Kind::Synth;
            if (t.size() != 3) error("'instrument N synth' takes nothing more; its units follow on their own lines");
            ins.record[rec::MARKER] = 0xFF;
            for (int speed : {rec::VOL_SPEED, rec::PITCH_SPEED, rec::INV_SPEED, rec::EFFECT_SPEED,
                              rec::TAIL_SPEED})
                ins.record[speed] = 1;
        } else if (kind == "sample") {
            kind_ = Kind::Sample;
            if (t.size() > 4 || (t.size() == 4 && !t[3].quoted))
                return error("'instrument N sample' takes an optional quoted name");
            std::string name = t.size() == 4 ? t[3].text : "";
            if (name.size() > rec::NAME_SIZE)
                return error("the instrument name has " + std::to_string(name.size()) +
                             " characters; at most 24 fit");
            if (!name.empty() && static_cast<uint8_t>(name[0]) == 0xFF)
                return error("a sample's name cannot begin with the byte FF (that marks a synth)");
            std::copy(name.begin(), name.end(), ins.record.begin());
        } else if (kind == "raw") {
            kind_ = Kind::Raw;
            ins.raw = true;
            if (t.size() != 3 + RECORD_SIZE)
                return error("'instrument N raw' wants the 32 record bytes in hex on the same line");
            for (int i = 0; i < RECORD_SIZE; ++i)
                if (!hexByte(t[3 + i], ins.record[i])) return;
        } else {
            error("unknown instrument kind '" + kind + "' (synth, sample or raw)");
        }
    }

    bool once(const std::string& field) {
        auto [it, fresh] = instrument_->fieldLines.emplace(field, line_);
        if (!fresh) error("'" + field + "' is given twice for this instrument (first on line " +
                          std::to_string(it->second) + ")");
        return fresh;
    }

    void instrumentLine(const std::vector<Token>& t) {
        const std::string& word = t[0].text;
        Instrument& ins = *instrument_;
        if (word == "data") {
            if (kind_ == Kind::Synth) return error("a synth has no sample data");
            if (!source_.empty() && source_ != "data")
                return error("sample data comes from one source; this instrument already has '" + source_ + "'");
            source_ = "data";
            ins.fieldLines.emplace("data", line_);
            dataLine(t, ins.sampleData, "data", 1);
            return;
        }
        if (kind_ == Kind::Raw)
            return error("a raw instrument takes only 'data' lines, not '" + word + "'");
        if (kind_ == Kind::Sample) return sampleLine(t);
        synthLine(t);
    }

    void sampleLine(const std::vector<Token>& t) {
        const std::string& word = t[0].text;
        Instrument& ins = *instrument_;
        long v, w;
        if (word == "volume") {
            if (t.size() != 2) return error("volume wants one number 0..64");
            if (once(word) && number(t[1], 0, 64, "volume", v)) writeU16(&ins.record[rec::SAMPLE_VOLUME], v);
        } else if (word == "loop") {
            if (t.size() != 3) return error("loop wants a start and a length, both in bytes");
            if (!once(word) || !number(t[1], 0, 65535, "loop start", v) ||
                !number(t[2], 0, 131070, "loop length", w))
                return;
            if (w % 2) return error("loop length " + t[2].text + " is odd; it is stored in 2-byte words");
            writeU16(&ins.record[rec::LOOP_START], v);
            writeU16(&ins.record[rec::LOOP_LENGTH], w / 2);
        } else if (word == "wav" || word == "generate") {
            if (!source_.empty())
                return error("sample data comes from one source; this instrument already has '" + source_ + "'");
            source_ = word;
            ins.fieldLines.emplace("data", line_);
            if (word == "wav") {
                if (t.size() != 2 || !t[1].quoted) return error("wav wants one quoted file name");
                std::string path = t[1].text;
                if (!baseDir_.empty() && !path.empty() && path[0] != '/') path = baseDir_ + "/" + path;
                std::string why;
                if (!readWavSamples(path, ins.sampleData, why)) return error(why);
            } else {
                WaveRecipe recipe;
                recipe.amplitude = 100;
                if (t.size() < 2 || !waveKindFromName(t[1].text, recipe.kind) || recipe.kind == WaveKind::Ramp)
                    return error("generate wants a kind: sine, square, saw, triangle or noise");
                recipe.length = 0;
                if (!waveOptions(t, 2, recipe, true)) return;
                if (recipe.length == 0) return error("generate wants a length in bytes");
                ins.sampleData = generateSample(recipe);
            }
        } else {
            error("unknown sample attribute '" + word + "' (volume, loop, wav, generate or data)");
        }
    }

    void synthLine(const std::vector<Token>& t) {
        const std::string& word = t[0].text;
        Instrument& ins = *instrument_;
        long v, w;
        if (word == "wave") {
            if (t.size() != 4 || t[2].text != "length")
                return error("wave wants 'wave TABLE length BYTES'");
            if (!once(word) || !number(t[1], 0, 255, "wave table", v) ||
                !number(t[3], 0, 131070, "wave length", w))
                return;
            if (w % 2) return error("wave length " + t[3].text + " is odd; it is stored in 2-byte words");
            ins.record[rec::WAVE_TABLE] = static_cast<uint8_t>(v);
            writeU16(&ins.record[rec::WAVE_LENGTH], static_cast<uint16_t>(w / 2));
        } else if (word == "volume") {
            if (t.size() != 2) return error("volume wants one number 0..64");
            if (once(word) && number(t[1], 0, 64, "volume", v)) ins.record[rec::VOLUME] = static_cast<uint8_t>(v);
        } else if (word == "waveform-effect") {
            if (t.size() < 2) return error("waveform-effect wants a type");
            if (!once(word)) return;
            long type = -1;
            for (int k = 0; k < 5; ++k)
                if (t[1].text == EFFECT_TYPE_NAMES[k]) type = k;
            if (type < 0 && !number(t[1], 0, 255, "waveform effect type", type)) return;
            ins.record[rec::EFFECT_TYPE] = static_cast<uint8_t>(type);
            for (size_t i = 2; i < t.size(); i += 2) {
                if (i + 1 >= t.size()) return error("'" + t[i].text + "' wants a value");
                if (t[i].text == "speed" && number(t[i + 1], 0, 255, "speed", v)) ins.record[rec::EFFECT_SPEED] = v;
                else if (t[i].text == "delay" && number(t[i + 1], 0, 255, "delay", v)) ins.record[rec::EFFECT_DELAY] = v;
                else if (t[i].text != "speed" && t[i].text != "delay")
                    return error("unknown waveform-effect option '" + t[i].text + "' (speed or delay)");
            }
        } else if (word == "v2-spare") {
            if (t.size() != 10) return error("v2-spare wants 9 bytes in hex");
            if (!once(word)) return;
            for (int i = 0; i < 9; ++i)
                if (!hexByte(t[1 + i], ins.v2Spare[i])) return;
        } else {
            for (const UnitLayout& unit : UNITS)
                if (word == unit.name) return unitLine(t, unit);
            error("unknown synth attribute '" + word + "' (wave, volume, volume-envelope, "
                  "pitch-modulation, inversion-envelope, waveform-effect, tail-modulation)");
        }
    }

    void unitLine(const std::vector<Token>& t, const UnitLayout& unit) {
        Instrument& ins = *instrument_;
        if (t.size() < 2) return error(std::string(unit.name) + " wants a control: off, once or repeat");
        if (!once(unit.name)) return;
        long v;
        if (t[1].text == "off") v = 0;
        else if (t[1].text == "once") v = 1;
        else if (t[1].text == "repeat") v = 2;
        else if (!number(t[1], 0, 255, "control", v)) return;
        ins.record[unit.control] = static_cast<uint8_t>(v);
        for (size_t i = 2; i < t.size(); i += 2) {
            const std::string& key = t[i].text;
            if (i + 1 >= t.size()) return error("'" + key + "' wants a value");
            int offset = key == "table" ? unit.table : key == "length" ? unit.length
                       : key == "speed" ? unit.speed : key == "delay" ? unit.delay
                       : key == "depth" ? unit.depth : -1;
            if (offset < 0)
                return error("unknown " + std::string(unit.name) + " option '" + key + "'");
            if (key == "length") {
                if (!number(t[i + 1], 0, 65535, key, v)) return;
                writeU16(&ins.record[offset], static_cast<uint16_t>(v));
            } else {
                if (!number(t[i + 1], 0, 255, key, v)) return;
                ins.record[offset] = static_cast<uint8_t>(v);
            }
        }
    }

    void dataLine(const std::vector<Token>& t, std::vector<uint8_t>& out, const char* what, size_t first = 0) {
        if (first == 0 && (t.empty() || t[0].text != "data"))
            return error(std::string("a ") + what + " takes 'data' lines of hex bytes");
        if (first == 0) first = 1;
        for (size_t i = first; i < t.size(); ++i) {
            uint8_t b;
            if (!hexByte(t[i], b)) return;
            out.push_back(b);
        }
    }

    void finishInstrument() {
        Instrument& ins = *instrument_;
        const int line = ins.fieldLines.count("data") ? ins.fieldLines["data"] : ins.line;
        if (kind_ == Kind::Raw) {
            // Raw records are taken as stored: their data is what the game reads for them.
            size_t want = ins.record[0] == 0xFF ? 0 : bytesOfWords(readU16(&ins.record[rec::SAMPLE_LENGTH]));
            if (ins.sampleData.size() != want)
                error("raw instrument " + std::to_string(instrumentNumber_) + " declares " +
                      std::to_string(want) + " sample bytes but its data holds " +
                      std::to_string(ins.sampleData.size()), line);
        } else if (kind_ == Kind::Sample) {
            if (ins.sampleData.size() % 2) ins.sampleData.push_back(0);  // whole words only
            if (ins.sampleData.size() > static_cast<size_t>(LONGEST_LENGTH))
                return error("instrument " + std::to_string(instrumentNumber_) + " has " +
                             std::to_string(ins.sampleData.size()) + " sample bytes; at most " +
                             std::to_string(LONGEST_LENGTH) + " fit", line);
            writeU16(&ins.record[rec::SAMPLE_LENGTH], static_cast<uint16_t>(ins.sampleData.size() / 2));
        }
    }

    // ---- patterns ----

    void patternRow(const std::vector<Token>& t) {
        if (rows_ >= PATTERN_ROWS) {
            if (rows_ == PATTERN_ROWS)
                error("pattern " + std::to_string(patternNumber_) + " has more than 16 rows");
            ++rows_;
            return;
        }
        uint8_t* row = &pattern_->bytes[rows_ * 3];
        pattern_->rowLines[rows_] = line_;
        ++rows_;
        if (t.size() == 1 && t[0].text == "---") return;  // an empty row
        if (t.size() != 3)
            return error("a row is 'NOTE INSTRUMENT EFFECT', e.g. 'C-3 01 937' or '--- .. ...'");
        int note;
        if (!noteFromName(t[0].text, note)) {
            long raw;
            if (t[0].text.size() == 3 && t[0].text[0] == '$' && parseNumber(t[0].text, raw)) note = static_cast<int>(raw);
            else return error("unknown note '" + t[0].text + "' (C-1 .. B-4, --- for none)");
        }
        long instrument = 0;
        if (t[1].text != ".." && t[1].text != "--") {
            if (t[1].quoted || !parseNumber(t[1].text, instrument) || t[1].text[0] == '$')
                return error("instrument '" + t[1].text + "' is not a number (1..15, .. for none)");
            if (instrument < 1 || instrument > 15)
                return error("instrument " + t[1].text + " is out of 1..15");
        }
        int effect = 0, parameter = 0;
        const std::string& e = t[2].text;
        if (e != "...") {
            if (e.size() != 3 || hexDigit(e[0]) < 0 || hexDigit(e[1]) < 0 || hexDigit(e[2]) < 0)
                return error("effect '" + e + "' wants one hex digit of command and two of parameter, e.g. 937");
            effect = hexDigit(e[0]);
            parameter = hexDigit(e[1]) * 16 + hexDigit(e[2]);
        }
        row[0] = static_cast<uint8_t>(note);
        row[1] = static_cast<uint8_t>(instrument << 4 | effect);
        row[2] = static_cast<uint8_t>(parameter);
    }

    // ---- positions ----

    void positionLine(const std::vector<Token>& t) {
        if (t.size() != VOICES)
            return error("a position names the patterns of the 4 voices, e.g. '1 2:+12 3 4:0:1'");
        Position position;
        position.line = line_;
        for (int v = 0; v < VOICES; ++v) {
            std::vector<std::string> parts;
            std::stringstream stream(t[v].text);
            std::string part;
            while (std::getline(stream, part, ':')) parts.push_back(part);
            if (parts.empty() || parts.size() > 3)
                return error("'" + t[v].text + "' is not PATTERN[:NOTE_TRANSPOSE[:INSTRUMENT_TRANSPOSE]]");
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
        if (song_.positions.size() >= 65535) return error("a song holds at most 65535 positions");
        song_.positions.push_back(position);
    }

    void finishBlock() {
        if (block_ == Block::Instrument) finishInstrument();
        if (block_ == Block::Pattern && rows_ < PATTERN_ROWS)
            error("pattern " + std::to_string(patternNumber_) + " has " + std::to_string(rows_) +
                  " rows; a pattern needs 16", pattern_->line);
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
    Instrument* instrument_ = nullptr;
    int instrumentNumber_ = 0;
    Kind kind_ = Kind::Synth;
    std::string source_;
    Pattern* pattern_ = nullptr;
    int patternNumber_ = 0;
    int rows_ = 0;
};

std::string quoted(const uint8_t* bytes, size_t size) {
    while (size > 0 && bytes[size - 1] == 0) --size;
    std::string out = "\"";
    for (size_t i = 0; i < size; ++i) {
        uint8_t c = bytes[i];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 32 && c < 127) {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out + "\"";
}

// Each byte as a space and two upper-case hex digits.
void writeHexBytes(std::ostringstream& out, const uint8_t* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02X", bytes[i]);
        out << hex;
    }
}

void writeHexLines(std::ostringstream& out, const std::vector<uint8_t>& bytes, const char* indent) {
    for (size_t i = 0; i < bytes.size(); i += 32) {
        out << indent << "data";
        writeHexBytes(out, &bytes[i], std::min<size_t>(32, bytes.size() - i));
        out << "\n";
    }
}

std::string controlName(uint8_t control) {
    return control == 0 ? "off" : control == 1 ? "once" : control == 2 ? "repeat" : std::to_string(control);
}

void writeSynth(std::ostringstream& out, const Instrument& ins) {
    const Record& r = ins.record;
    out << "  wave " << int(r[rec::WAVE_TABLE]) << " length " << 2 * readU16(&r[rec::WAVE_LENGTH]) << "\n";
    out << "  volume " << int(r[rec::VOLUME]) << "\n";
    for (const UnitLayout& unit : UNITS) {
        out << "  " << unit.name << " " << controlName(r[unit.control]) << " table " << int(r[unit.table])
            << " length " << readU16(&r[unit.length]);
        if (unit.depth >= 0) out << " depth " << int(r[unit.depth]);
        if (unit.delay >= 0) out << " delay " << int(r[unit.delay]);
        out << " speed " << int(r[unit.speed]) << "\n";
    }
    uint8_t type = r[rec::EFFECT_TYPE];
    out << "  waveform-effect " << (type < 5 ? EFFECT_TYPE_NAMES[type] : std::to_string(type))
        << " speed " << int(r[rec::EFFECT_SPEED]) << " delay " << int(r[rec::EFFECT_DELAY]) << "\n";
    if (std::any_of(ins.v2Spare.begin(), ins.v2Spare.end(), [](uint8_t b) { return b != 0; })) {
        out << "  v2-spare";
        writeHexBytes(out, ins.v2Spare.data(), ins.v2Spare.size());
        out << "\n";
    }
}

}  // namespace

std::string noteName(int note) {
    if (note == 0) return "---";
    if (note < 1 || note > 48) return "";
    return std::string(NOTE_NAMES[(note - 1) % 12]) + std::to_string((note - 1) / 12 + 1);
}

bool noteFromName(const std::string& name, int& note) {
    if (name == "---") {
        note = 0;
        return true;
    }
    if (name.size() != 3) return false;
    std::string head = name.substr(0, 2);
    head[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(head[0])));
    for (int k = 0; k < 12; ++k) {
        if (head != NOTE_NAMES[k]) continue;
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

std::string writeSongText(const Song& song) {
    std::ostringstream out;
    out << "; four-voice song, see docs/song-format.md\n";
    out << "title " << quoted(song.title.data(), song.title.size()) << "\n";
    if (song.generation != Generation::V3) out << "generation " << generationName(song.generation) << "\n";

    for (size_t t = 0; t * TABLE_SIZE < song.tables.size(); ++t) {
        out << "\ntable " << t << " values\n";
        const uint8_t* values = &song.tables[t * TABLE_SIZE];
        size_t used = TABLE_SIZE;
        while (used > 0 && values[used - 1] == 0) --used;
        for (size_t i = 0; i < used; i += 16) {
            out << " ";
            for (size_t j = i; j < i + 16 && j < used; ++j) out << " " << int(static_cast<int8_t>(values[j]));
            out << "\n";
        }
    }

    for (int k = 0; k < INSTRUMENT_COUNT; ++k) {
        const Instrument& ins = song.instruments[k];
        if (!ins.defined) continue;
        out << "\ninstrument " << k + 1;
        if (ins.raw) {
            out << " raw";
            writeHexBytes(out, ins.record.data(), ins.record.size());
            out << "\n";
        } else if (ins.synthetic()) {
            out << " synth\n";
            writeSynth(out, ins);
            continue;
        } else {
            out << " sample " << quoted(ins.record.data(), rec::NAME_SIZE) << "\n";
            out << "  volume " << readU16(&ins.record[rec::SAMPLE_VOLUME]) << "\n";
            out << "  loop " << readU16(&ins.record[rec::LOOP_START]) << " "
                << 2 * readU16(&ins.record[rec::LOOP_LENGTH]) << "\n";
        }
        writeHexLines(out, ins.sampleData, "  ");
    }

    for (const auto& [number, pattern] : song.patterns) {
        out << "\npattern " << number << "\n";
        for (int r = 0; r < PATTERN_ROWS; ++r) {
            const uint8_t* row = &pattern.bytes[r * 3];
            std::string note = noteName(static_cast<int8_t>(row[0]));
            if (note.empty()) {
                char hex[4];
                std::snprintf(hex, sizeof hex, "$%02X", row[0]);
                note = hex;
            }
            char text[32];
            int instrument = row[1] >> 4;
            if (instrument == 0) std::snprintf(text, sizeof text, "  %s ..", note.c_str());
            else std::snprintf(text, sizeof text, "  %s %02d", note.c_str(), instrument);
            out << text;
            if ((row[1] & 15) == 0 && row[2] == 0) out << " ...\n";
            else {
                std::snprintf(text, sizeof text, " %X%02X\n", row[1] & 15, row[2]);
                out << text;
            }
        }
    }

    out << "\npositions\n";
    for (size_t p = 0; p < song.positions.size(); ++p) {
        out << " ";
        for (const VoiceEntry& entry : song.positions[p].voices) {
            out << " " << (entry.pattern ? std::to_string(entry.pattern) : "--");
            if (entry.noteTranspose || entry.instrumentTranspose)
                out << ":" << int(static_cast<int8_t>(entry.noteTranspose));
            if (entry.instrumentTranspose) out << ":" << int(entry.instrumentTranspose);
        }
        out << "  ; " << p << "\n";
    }

    if (!song.trailer.empty()) {
        out << "\ntrailer\n";
        writeHexLines(out, song.trailer, "  ");
    }
    if (song.cutTo >= 0) out << "\n; the module file ends inside its tables or samples\ncut-to " << song.cutTo << "\n";
    return out.str();
}

}  // namespace song
