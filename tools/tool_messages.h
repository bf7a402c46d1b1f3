// The fixed texts tarvex-tool's commands show their user: refused inputs and options, files it
// cannot write, the reports of song, bmp and soak, and the check command's verdicts, in one list
// so that they can be read (or translated) together. The song language's diagnostics are in
// tools/song/song_messages.h. Each is a printf format, for printf itself or for formatMessage
// (tools/message_format.h); those printed as a line of their own end in "\n".
// A module the game cannot read is refused in the game's own words (musicFileProblemText in
// music/music_file.h), and the messages the check command reports are the game's.
#pragma once

// ---- input files and options ----

// The file, then why it cannot be read or used (platform::fileProblemText's words, or the
// decompiler's).
constexpr const char* INPUT_UNREADABLE = "%s: %s\n";
// The same, then the most bytes an input may have.
constexpr const char* INPUT_TOO_LARGE = "%s: %s (more than %llu bytes)\n";
// %llu: the largest number allowed.
constexpr const char* WHOLE_NUMBER_EXPECTED = "expected a whole number from 0 to %llu";
constexpr const char* SECONDS_EXPECTED = "expected a number of seconds from 0 to 1e9";
constexpr const char* GENERATION_EXPECTED = "expected V.3, V.2 or ZUNQ";
// The key script, the line's number and the line.
constexpr const char* BAD_KEY_SCRIPT_LINE =
    "simulate: %s:%d: expected \"FRAME down|up KEY\" with a known key, got \"%s\"\n";

// ---- replay verify (%s: the replay file) ----

constexpr const char* REPLAY_START_REFUSED =
    "%s: its start state cannot be restored by this game (another state layout)\n";
// The frame after which the first differing hash was taken, then the stretch of frames since the
// last hash that matched: one of them went another way.
constexpr const char* REPLAY_DIFFERS =
    "%s: does not play the same: the state after frame %lld differs from the recording (one of "
    "frames %lld to %lld went another way)\n";

// ---- output files (%s: the file) ----

constexpr const char* CANNOT_WRITE = "cannot write %s\n";
constexpr const char* CANNOT_WRITE_SOUND = "generate sounds: cannot write %s\n";
constexpr const char* CANNOT_WRITE_MODULE = "%s: cannot write the module\n";
constexpr const char* CANNOT_WRITE_SONG_TEXT = "%s: cannot write the song text\n";
// %ld: the most ticks whose bytes a WAV header can count.
constexpr const char* TOO_MANY_TICKS = "at most %ld ticks fit in one WAV file\n";

// ---- song and bmp ----

// After the song text's diagnostics: the song text.
constexpr const char* SONG_NOT_COMPILED = "%s: not compiled, nothing written\n";
// The song text, the line, the warning.
constexpr const char* SONG_WARNING = "%s:%d: warning: %s\n";
// The module written, its bytes, its generation, positions and synthesis tables.
constexpr const char* SONG_COMPILED = "%s: %zu bytes, %s, %zu positions, %zu synthesis tables\n";
// The bitmap, its width and height.
constexpr const char* BITMAP_DECODED = "%s: %d x %d\n";

// ---- soak: the rules checked after every frame (%d: the player, 0 or 1) ----

constexpr const char* TANK_LEFT_ARENA = "tank %d left the arena";
// Then the lives the player has.
constexpr const char* LIVES_OUT_OF_RANGE = "player %d has %d lives";
constexpr const char* BULLET_LIVES_TOO_LONG = "bullet %d lives too long";
constexpr const char* BULLET_LEFT_ARENA = "bullet %d left the arena";
constexpr const char* TANKS_OVERLAP = "tanks overlap";
constexpr const char* POWERUP_ON_WALL = "powerup on a wall";
constexpr const char* MATCH_WITHOUT_LIVES = "match runs on without lives";
constexpr const char* MATCH_ENDED_EARLY = "match ended with lives left";
// The variant (1..3), the frame, the seed, then the broken rule.
constexpr const char* SOAK_RULE_BROKEN = "soak: variant F%d, frame %lld (seed %lu): %s\n";
// Frames per variant, matches begun, hits, powerups collected.
constexpr const char* SOAK_PASSED =
    "soak: %lld frames of each variant, %lld matches, %lld hits, %lld powerups collected: every rule "
    "held\n";

// ---- check: per data file, what was read... ----

constexpr const char* ARENA_WALLS = "%d walls";
constexpr const char* ARENA_NO_WALLS = "no line of seven numbers x1,y1,x2,y2,red,green,blue";
constexpr const char* TEXTURE_UNREADABLE = "missing, or cannot be opened";
constexpr const char* TEXTURE_SIZE = "%d x %d pixels";
// The song's title, then its positions.
constexpr const char* MUSIC_TITLE_AND_LENGTH = "\"%s\", %d positions";
// %s: why the platform cannot play it.
constexpr const char* WAVE_UNPLAYABLE = "cannot be played: %s";
constexpr const char* WAVE_PLAYS = "plays";
constexpr const char* WAVE_NOT_CHECKED = "not checked: this build of the tool reads no WAV files";

// ---- ...the verdict, after "FILE: " ----

// %s: what was read.
constexpr const char* CHECK_OK = "OK, %s";
// One for each message the game shows: its text and caption.
constexpr const char* CHECK_MESSAGE = "message \"%s\" (%s); ";
// When the game shows none: why nothing could be used.
constexpr const char* CHECK_NO_MESSAGE = "%s, no message; ";
// %s: what the game does without the file, one of the texts below.
constexpr const char* CHECK_THEN_THE_GAME = "the game %s";

// ---- ...and what the game does without it ----

constexpr const char* WITHOUT_ARENA = "plays in an open arena without walls";
constexpr const char* WITHOUT_FONT = "draws the title screen's text and the powerup letters as plain white blocks";
constexpr const char* WITHOUT_FILLED = "draws the sides of the powerup box plain white";
constexpr const char* WITHOUT_TRACK = "draws the tank treads plain white";
constexpr const char* WITHOUT_MUSIC = "shows the title screen without music";
constexpr const char* WITHOUT_ENGINE = "drives without the engine sound";
constexpr const char* WITHOUT_SHOT = "fires without the shot sound";
constexpr const char* WITHOUT_EXPLOSION = "shows hits without the explosion sound";
