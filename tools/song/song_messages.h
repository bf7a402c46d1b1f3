// The fixed texts of the song language's diagnostics: the text reader's and tokenizer's, the
// compiler's errors and warnings, the decompiler's and the WAV reader's, in one list so that they
// can be read (or translated) together. Each is a printf format for formatMessage
// (tools/message_format.h); the tool puts "FILE:LINE: " before each. A word or number quoted in a
// text ('%s') is the token as the song text spells it.
#pragma once

namespace song {

// ---- tokens ----

// %c: the character after the backslash.
constexpr const char* UNKNOWN_ESCAPE = "unknown escape '\\%c' in a string (use \\\", \\\\ or \\xNN)";
constexpr const char* UNCLOSED_STRING = "string without its closing quote";

// ---- statements and their values ----

constexpr const char* NOT_A_STATEMENT =
    "'%s' is not a statement (expected title, generation, table, instrument, pattern, positions, "
    "trailer or cut-to)";
// %s: what the value is ("pattern", "table value", "loop start", an option's key...), then the
// value as written; OUT_OF_RANGE ends with the lowest and highest value allowed.
constexpr const char* NOT_A_NUMBER = "%s '%s' is not a number";
constexpr const char* OUT_OF_RANGE = "%s %s is out of %ld..%ld";
constexpr const char* NOT_A_HEX_BYTE = "'%s' is not a byte of two hex digits";
constexpr const char* TITLE_WANTS_STRING = "title wants one quoted string";
constexpr const char* TITLE_TWICE = "the title is given twice";
constexpr const char* TITLE_TOO_LONG = "the title has %zu characters; at most 26 fit";
constexpr const char* GENERATION_WANTS_NAME = "generation wants V.3, V.2 or ZUNQ";
constexpr const char* CUT_TO_WANTS_SIZE = "cut-to wants the size in bytes the module is cut to";
constexpr const char* TRAILER_STANDS_ALONE = "trailer stands alone; 'data' lines follow";
// %s: the block, "trailer".
constexpr const char* BLOCK_TAKES_DATA_LINES = "a %s takes 'data' lines of hex bytes";

// ---- tables ----

constexpr const char* TABLE_WANTS_NUMBER_AND_KIND = "table wants a number and a kind, e.g. 'table 0 sine'";
// %s: the number as written; %d: the line of the first definition.
constexpr const char* TABLE_DEFINED_TWICE = "table %s is defined twice (first on line %d)";
constexpr const char* UNKNOWN_TABLE_KIND =
    "unknown table kind '%s' (values, sine, square, saw, triangle, noise or ramp)";
constexpr const char* OPTION_WANTS_VALUE = "'%s' wants a value";
constexpr const char* UNKNOWN_TABLE_OPTION = "unknown option '%s' for a generated table";
constexpr const char* UNKNOWN_SAMPLE_OPTION = "unknown option '%s' for a generated sample";
// The table, its count of values, and the defined table it runs into.
constexpr const char* TABLE_RUNS_INTO_NEXT = "table %d has %zu values and runs into table %d, which is defined too";
constexpr const char* TABLE_PAST_LAST = "table %d reaches past table 254, the last a module holds";

// ---- instruments ----

constexpr const char* INSTRUMENT_WANTS_NUMBER_AND_KIND =
    "instrument wants a number and a kind: synth, sample or raw";
// %s: the number as written; %d: the line of the first definition.
constexpr const char* INSTRUMENT_DEFINED_TWICE = "instrument %s is defined twice (first on line %d)";
constexpr const char* SYNTH_TAKES_NOTHING_MORE =
    "'instrument N synth' takes nothing more; its units follow on their own lines";
constexpr const char* SAMPLE_TAKES_NAME = "'instrument N sample' takes an optional quoted name";
constexpr const char* INSTRUMENT_NAME_TOO_LONG = "the instrument name has %zu characters; at most 24 fit";
constexpr const char* SAMPLE_NAME_BEGINS_FF = "a sample's name cannot begin with the byte FF (that marks a synth)";
constexpr const char* RAW_WANTS_RECORD = "'instrument N raw' wants the 32 record bytes in hex on the same line";
constexpr const char* UNKNOWN_INSTRUMENT_KIND = "unknown instrument kind '%s' (synth, sample or raw)";
// %s: the attribute; %d: the line that first gave it.
constexpr const char* FIELD_GIVEN_TWICE = "'%s' is given twice for this instrument (first on line %d)";
constexpr const char* SYNTH_HAS_NO_DATA = "a synth has no sample data";
// %s: the source already given: data, wav or generate.
constexpr const char* ONE_SAMPLE_SOURCE = "sample data comes from one source; this instrument already has '%s'";
constexpr const char* RAW_TAKES_ONLY_DATA = "a raw instrument takes only 'data' lines, not '%s'";
// The instrument, the bytes its record declares, the bytes its data lines hold.
constexpr const char* RAW_DATA_SIZE_MISMATCH = "raw instrument %d declares %zu sample bytes but its data holds %zu";
// The instrument, its sample bytes, the most a module keeps.
constexpr const char* SAMPLE_TOO_LONG = "instrument %d has %zu sample bytes; at most %ld fit";

constexpr const char* VOLUME_WANTS_NUMBER = "volume wants one number 0..64";
constexpr const char* LOOP_WANTS_START_AND_LENGTH = "loop wants a start and a length, both in bytes";
constexpr const char* LOOP_LENGTH_ODD = "loop length %s is odd; it is stored in 2-byte words";
constexpr const char* WAV_WANTS_NAME = "wav wants one quoted file name";
constexpr const char* GENERATE_WANTS_KIND = "generate wants a kind: sine, square, saw, triangle or noise";
constexpr const char* GENERATE_WANTS_LENGTH = "generate wants a length in bytes";
constexpr const char* UNKNOWN_SAMPLE_ATTRIBUTE =
    "unknown sample attribute '%s' (volume, loop, wav, generate or data)";

constexpr const char* WAVE_WANTS_TABLE_AND_LENGTH = "wave wants 'wave TABLE length BYTES'";
constexpr const char* WAVE_LENGTH_ODD = "wave length %s is odd; it is stored in 2-byte words";
constexpr const char* EFFECT_WANTS_TYPE = "waveform-effect wants a type";
constexpr const char* UNKNOWN_EFFECT_OPTION = "unknown waveform-effect option '%s' (speed or delay)";
constexpr const char* V2_SPARE_WANTS_BYTES = "v2-spare wants 9 bytes in hex";
constexpr const char* UNKNOWN_SYNTH_ATTRIBUTE =
    "unknown synth attribute '%s' (wave, volume, volume-envelope, pitch-modulation, "
    "inversion-envelope, waveform-effect, tail-modulation)";
// %s: the unit, e.g. volume-envelope.
constexpr const char* UNIT_WANTS_CONTROL = "%s wants a control: off, once or repeat";
// The unit, then the option.
constexpr const char* UNKNOWN_UNIT_OPTION = "unknown %s option '%s'";

// ---- patterns and positions ----

constexpr const char* PATTERN_WANTS_NUMBER = "pattern wants its number, e.g. 'pattern 4'";
// %s: the number as written; %d: the line of the first definition.
constexpr const char* PATTERN_DEFINED_TWICE = "pattern %s is defined twice (first on line %d)";
constexpr const char* PATTERN_TOO_MANY_ROWS = "pattern %d has more than 16 rows";
// The pattern and its rows.
constexpr const char* PATTERN_TOO_FEW_ROWS = "pattern %d has %d rows; a pattern needs 16";
constexpr const char* ROW_WANTS_THREE_FIELDS =
    "a row is 'NOTE INSTRUMENT EFFECT', e.g. 'C-3 01 937' or '--- .. ...'";
constexpr const char* UNKNOWN_NOTE = "unknown note '%s' (C-1 .. B-4, --- for none)";
constexpr const char* ROW_INSTRUMENT_NOT_A_NUMBER = "instrument '%s' is not a number (1..15, .. for none)";
constexpr const char* ROW_INSTRUMENT_OUT_OF_RANGE = "instrument %s is out of 1..15";
constexpr const char* BAD_EFFECT = "effect '%s' wants one hex digit of command and two of parameter, e.g. 937";
constexpr const char* POSITIONS_STAND_ALONE = "positions stands alone; the positions follow on their own lines";
constexpr const char* POSITIONS_TWICE = "the position list is given twice";
constexpr const char* POSITION_WANTS_FOUR_VOICES =
    "a position names the patterns of the 4 voices, e.g. '1 2:+12 3 4:0:1'";
constexpr const char* BAD_VOICE_ENTRY = "'%s' is not PATTERN[:NOTE_TRANSPOSE[:INSTRUMENT_TRANSPOSE]]";
constexpr const char* TOO_MANY_POSITIONS = "a song holds at most 65535 positions";

// ---- the compiler's checks of the whole song ----

// The instrument; what reads ("wave", a unit's name, "waveform effect"); the bytes it reads; the
// table it starts at; the song's table count and the last table.
constexpr const char* TABLE_READ_OUT_OF_RANGE =
    "instrument %d: the %s reads %ld bytes from table %d, which is out of range: the song has %ld "
    "table(s), 0..%ld";
// The instrument, the wave's bytes, the most a module keeps.
constexpr const char* WAVE_TOO_LONG = "instrument %d: the wave length is %ld bytes; at most %ld fit";
constexpr const char* WAVE_TOO_SHORT = "instrument %d: the wave length is %ld bytes; a looping wave needs at least 4";
constexpr const char* INSTRUMENT_VOLUME_OUT_OF_RANGE = "instrument %d: volume %d is out of 0..64";
// The instrument, then the unit.
constexpr const char* UNIT_LENGTH_ZERO =
    "instrument %d: the %s is on with a unit length of 0; give the number of table values it steps through";
// The instrument, its sample bytes, the most a module keeps.
constexpr const char* SAMPLE_BYTES_TOO_MANY = "instrument %d: the sample is %ld bytes; at most %ld fit";
// The instrument, the byte its loop ends at, its sample bytes.
constexpr const char* LOOP_PAST_SAMPLE = "instrument %d: the loop ends at byte %ld, past the sample's %ld bytes";
constexpr const char* SAMPLE_MARKED_SYNTH = "instrument %d: a sample's name cannot begin with the byte FF";
constexpr const char* V2_HAS_NO_WAVEFORM_EFFECT =
    "instrument %d: the V.2 generation has no waveform effect; for V.2 it must read "
    "'waveform-effect off speed 1 delay 0'";
constexpr const char* V2_HAS_NO_TAIL_MODULATION =
    "instrument %d: the V.2 generation has no tail modulation; for V.2 it must read "
    "'tail-modulation off table 0 length 0 delay 0 speed 1'";
// %zu: the song's synthesis tables.
constexpr const char* ZUNQ_HAS_NO_TABLES = "the ZUNQ generation holds no synthesis tables, and this song has %zu";
// The instrument, the song's generation, the generation asked for.
constexpr const char* RAW_FOR_OTHER_GENERATION =
    "instrument %d is given as raw bytes of the %s generation and cannot be rewritten for %s";
constexpr const char* V2_SPARE_ONLY_IN_V2 = "instrument %d: v2-spare bytes exist only in the V.2 generation";
// The position (from 0), then the pattern.
constexpr const char* PATTERN_NOT_DEFINED = "position %zu plays pattern %d, which is not defined";
// The pattern, then the highest pattern a position plays.
constexpr const char* PATTERN_NOT_PLAYED =
    "pattern %d is played by no position; a module only holds patterns up to the highest one played (%d)";
constexpr const char* TOO_MANY_TABLES = "a module holds at most 255 synthesis tables";
// The size asked for, then the module's size.
constexpr const char* CUT_BEYOND_MODULE = "cut-to %ld is beyond the module's %zu bytes";

// ---- the compiler's warnings ----

// The instrument, the bytes the game plays, its sample bytes.
constexpr const char* SAMPLE_PLAYED_SHORT =
    "instrument %d: the game plays only %ld of its %ld sample bytes (at most 65534)";
// Each row warning begins with the pattern and the row (from 0).
// Then the position jumped to and the song's position count.
constexpr const char* JUMP_PAST_END = "pattern %d row %d: jump to position %d, past the song's %zu positions";
constexpr const char* NOTE_AT_TOP_RATE = "pattern %d row %d: notes F#4 to B-4 all sound at the mixer's top rate";
// Then the instrument the note plays after the voice's transpose.
constexpr const char* NOTE_INSTRUMENT_MISSING =
    "pattern %d row %d: instrument %d does not exist; the note plays nothing";
constexpr const char* NOTE_INSTRUMENT_UNDEFINED =
    "pattern %d row %d: instrument %d is not defined; the note plays nothing";

// ---- the decompiler ----

constexpr const char* MODULE_SHORTER_THAN_HEADER = "the file has %zu bytes, fewer than a module header's 512";
constexpr const char* NO_MODULE_SIGNATURE = "not a music module: no V.3, V.2 or ZUNQ signature at byte 26";
constexpr const char* POSITIONS_PAST_END = "the position list runs past the end of the file";
// The bytes up to the patterns' end, then the file's size.
constexpr const char* PATTERNS_PAST_END = "the patterns need %zu bytes but the file has %zu";
constexpr const char* SAMPLE_DATA_PAST_END = "the sample data of instrument %d runs past the end of the file";

// ---- WAV files of sampled instruments (%s: the file's path) ----

constexpr const char* WAV_TOO_LARGE = "\"%s\" is larger than 16 MiB";
// Then why the file cannot be read, e.g. "cannot be opened".
constexpr const char* WAV_UNREADABLE = "WAV file \"%s\" %s";
constexpr const char* WAV_NOT_RIFF = "\"%s\" is not a WAV file";
constexpr const char* WAV_NOT_PCM = "\"%s\" is not plain PCM";
constexpr const char* WAV_FORMAT_UNSUPPORTED = "\"%s\" must be 8- or 16-bit PCM with its format first";
constexpr const char* WAV_NO_DATA = "\"%s\" has no sample data";

}  // namespace song
