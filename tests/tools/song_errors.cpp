// Every mistake in a song text is reported with its line, and nothing is written for it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "tests/tools/song_support.h"
#include "tools/commands.h"
#include "tools/song/compiler.h"
#include "tools/song/text_format.h"

using namespace songtest;

namespace {

// A small correct song; the cases below change single lines of it (line numbers from 1).
std::vector<std::string> miniSong() {
    std::vector<std::string> lines = {
        "title \"MINI\"",                                        // 1
        "table 0 square cycles 2",                               // 2
        "table 1 ramp from 127 to -128",                         // 3
        "instrument 1 synth",                                    // 4
        "  wave 0 length 32",                                    // 5
        "  volume 40",                                           // 6
        "  volume-envelope once table 1 length 64 speed 1",      // 7
        "pattern 1",                                             // 8
        "  C-2 01 ...",                                          // 9
    };
    for (int r = 1; r < 16; ++r) lines.push_back("  --- .. ...");  // 10..24
    lines.push_back("positions");                                 // 25
    lines.push_back("  1 1 1 1");                                 // 26
    return lines;
}

std::string join(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

// A folder of this process's own, so that tests running side by side do not share files.
std::string scratchDir() {
    const std::string dir = testing::TempDir() + "/song_tests_" + std::to_string(getpid());
    std::filesystem::create_directories(dir);
    return dir;
}

std::vector<song::Diagnostic> problemsOf(const std::vector<std::string>& lines) {
    std::vector<song::Diagnostic> problems;
    std::vector<uint8_t> module = compileText(join(lines), song::Generation::V3, &problems);
    if (!problems.empty()) {
        EXPECT_TRUE(module.empty()) << "a module despite mistakes";
    }
    return problems;
}

struct Mistake {
    const char* what;
    int line;             // line to replace (1-based), 0 = none
    const char* text;     // its new text; nullptr deletes the line
    int expectedLine;
    const char* expected; // part of the message
};

}  // namespace

TEST(SongErrors, TheMiniSongIsCorrect) {
    std::vector<song::Diagnostic> problems = problemsOf(miniSong());
    EXPECT_TRUE(problems.empty()) << song::formatDiagnostics("mini", problems);
}

TEST(SongErrors, EachMistakeIsReportedWithItsLine) {
    const Mistake mistakes[] = {
        {"unknown note", 9, "  H-2 01 ...", 9, "unknown note 'H-2'"},
        {"note above the table", 9, "  C-5 01 ...", 9, "unknown note 'C-5'"},
        {"note below the table", 9, "  C-0 01 ...", 9, "unknown note 'C-0'"},
        {"instrument 16 in a row", 9, "  C-2 16 ...", 9, "instrument 16 is out of 1..15"},
        {"instrument 00 in a row", 9, "  C-2 00 ...", 9, "instrument 00 is out of 1..15"},
        {"instrument 0 defined", 4, "instrument 0 synth", 4, "instrument 0 is out of 1..15"},
        {"instrument 16 defined", 4, "instrument 16 synth", 4, "instrument 16 is out of 1..15"},
        {"pattern of 15 rows", 24, nullptr, 8, "pattern 1 has 15 rows; a pattern needs 16"},
        {"table value too big", 3, "table 1 values 1 200", 3, "table value 200 is out of -128..127"},
        {"table number too big", 3, "table 300 sine", 3, "table 300 is out of 0..254"},
        {"unit table out of range", 7, "  volume-envelope once table 5 length 64 speed 1", 7,
         "reads 64 bytes from table 5, which is out of range"},
        {"unit reading past the tables", 7, "  volume-envelope once table 1 length 65 speed 1", 7,
         "out of range: the song has 2 table(s)"},
        {"wave table out of range", 5, "  wave 2 length 32", 5, "from table 2, which is out of range"},
        {"unit length of 0", 7, "  volume-envelope once table 1 length 0 speed 1", 7, "unit length of 0"},
        {"odd wave length", 5, "  wave 0 length 31", 5, "odd"},
        {"bad effect", 9, "  C-2 01 9G7", 9, "effect '9G7'"},
        {"row with two fields", 9, "  C-2 01", 9, "a row is 'NOTE INSTRUMENT EFFECT'"},
        {"volume too high", 6, "  volume 65", 6, "volume 65 is out of 0..64"},
        {"pattern not defined", 26, "  1 2 1 1", 26, "plays pattern 2, which is not defined"},
        {"position of 3 voices", 26, "  1 1 1", 26, "patterns of the 4 voices"},
        {"note transpose too big", 26, "  1 1:+200 1 1", 26, "note transpose +200 is out of -128..127"},
        {"pattern played by nobody", 8, "pattern 2", 8, "pattern 2 is played by no position"},
        {"unknown statement", 1, "tempo 6", 1, "'tempo' is not a statement"},
        {"unknown unit option", 7, "  volume-envelope once tabel 1", 7, "unknown volume-envelope option 'tabel'"},
        {"unterminated string", 1, "title \"MINI", 1, "closing quote"},
        {"title too long", 1, "title \"ABCDEFGHIJKLMNOPQRSTUVWXYZ0\"", 1, "at most 26 fit"},
        {"instrument defined twice", 8, "instrument 1 synth", 8, "instrument 1 is defined twice"},
    };
    for (const Mistake& m : mistakes) {
        SCOPED_TRACE(m.what);
        std::vector<std::string> lines = miniSong();
        if (m.text) lines[m.line - 1] = m.text;
        else lines.erase(lines.begin() + (m.line - 1));
        std::vector<song::Diagnostic> problems = problemsOf(lines);
        ASSERT_FALSE(problems.empty());
        bool found = false;
        for (const song::Diagnostic& d : problems)
            if (d.line == m.expectedLine && d.message.find(m.expected) != std::string::npos) found = true;
        EXPECT_TRUE(found) << song::formatDiagnostics("mini", problems);
    }
}

TEST(SongErrors, LengthsTheModuleCannotKeepAreRefused) {
    // The module keeps lengths in bytes in 16 bits: 65534 is the largest even length.
    const struct {
        std::vector<std::string> lines;  // appended to the mini song from line 27
        int line;
        const char* expected;
    } cases[] = {
        {{"instrument 2 sample \"s\"", "  generate sine length 70000"}, 28,
         "instrument 2 has 70000 sample bytes; at most 65534 fit"},
        {{"instrument 2 sample \"s\"", "  generate sine length 65534", "  loop 0 65536"}, 29,
         "instrument 2: the loop ends at byte 65536"},
        {{"instrument 2 synth", "  wave 0 length 70000"}, 28,
         "instrument 2: the wave length is 70000 bytes; at most 65534 fit"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        std::vector<std::string> lines = miniSong();
        lines.insert(lines.end(), c.lines.begin(), c.lines.end());
        std::vector<song::Diagnostic> problems = problemsOf(lines);
        ASSERT_FALSE(problems.empty());
        EXPECT_EQ(problems[0].line, c.line);
        EXPECT_NE(problems[0].message.find(c.expected), std::string::npos) << problems[0].message;
    }
    std::vector<std::string> longest = miniSong();
    longest.insert(longest.end(), {"instrument 2 sample \"s\"", "  generate sine length 65534"});
    EXPECT_TRUE(problemsOf(longest).empty());
}

TEST(SongErrors, APatternOfSeventeenRowsIsReportedAtTheExtraRow) {
    std::vector<std::string> lines = miniSong();
    lines.insert(lines.begin() + 24, "  --- .. ...");  // becomes line 25, the 17th row
    std::vector<song::Diagnostic> problems = problemsOf(lines);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].line, 25);
    EXPECT_NE(problems[0].message.find("more than 16 rows"), std::string::npos);
}

TEST(SongErrors, EveryMistakeOfOneTextIsReported) {
    std::vector<std::string> lines = miniSong();
    lines[8] = "  X-2 01 ...";
    lines[10] = "  C-2 99 ...";
    lines[6] = "  volume-envelope once table 1 length 0 speed 1";
    std::vector<song::Diagnostic> problems = problemsOf(lines);
    ASSERT_EQ(problems.size(), 2u) << "the text's mistakes stop compiling; all of them are listed";
    EXPECT_EQ(problems[0].line, 9);
    EXPECT_EQ(problems[1].line, 11);
    EXPECT_EQ(song::formatDiagnostics("mini.txt", problems).substr(0, 12), "mini.txt:9: ");
}

TEST(SongErrors, WavFilesAreReadOrRefusedWithTheirLine) {
    const std::string dir = scratchDir();
    // A 16-bit stereo WAV of four frames.
    const unsigned char wav[] = {'R', 'I', 'F', 'F', 52, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                                 16, 0, 0, 0, 1, 0, 2, 0, 0x44, 0xAC, 0, 0, 0x10, 0xB1, 2, 0, 4, 0, 16, 0,
                                 'd', 'a', 't', 'a', 16, 0, 0, 0,
                                 0, 0x40, 0, 0x40, 0, 0xC0, 0, 0xC0, 0, 0x7F, 0, 0x01, 0, 0, 0, 0};
    std::ofstream(dir + "/four.wav", std::ios::binary).write(reinterpret_cast<const char*>(wav), sizeof wav);
    std::ofstream(dir + "/bad.wav", std::ios::binary) << "RIFF....WAVEjunk";
    const std::string head = "instrument 1 sample \"w\"\n";
    song::Song s;
    std::vector<song::Diagnostic> problems;
    ASSERT_TRUE(song::readSongText(head + "  wav \"four.wav\"\n", dir, s, problems))
        << song::formatDiagnostics("wav", problems);
    ASSERT_EQ(s.instruments[0].sampleData.size(), 4u);
    EXPECT_EQ(static_cast<int8_t>(s.instruments[0].sampleData[0]), 64);
    EXPECT_EQ(static_cast<int8_t>(s.instruments[0].sampleData[1]), -64);
    EXPECT_EQ(static_cast<int8_t>(s.instruments[0].sampleData[2]), 64) << "channels are averaged";
    EXPECT_FALSE(song::readSongText(head + "  wav \"bad.wav\"\n", dir, s, problems));
    EXPECT_EQ(problems.back().line, 2);
    EXPECT_FALSE(song::readSongText(head + "  wav \"missing.wav\"\n", dir, s, problems));
    EXPECT_NE(problems.back().message.find("cannot be opened"), std::string::npos);
    // A file that never ends is not read for ever, nor one far larger than a sample.
#ifndef _WIN32
    EXPECT_FALSE(song::readSongText(head + "  wav \"/dev/zero\"\n", dir, s, problems));
    EXPECT_NE(problems.back().message.find("not a regular file"), std::string::npos);
#endif
    std::ofstream(dir + "/huge.wav");
    ASSERT_EQ(truncate((dir + "/huge.wav").c_str(), 17 << 20), 0);
    EXPECT_FALSE(song::readSongText(head + "  wav \"huge.wav\"\n", dir, s, problems));
    EXPECT_NE(problems.back().message.find("larger than 16 MiB"), std::string::npos);
}

TEST(SongCommand, CompileWritesNothingOnErrorAndTheModuleOtherwise) {
    const std::string dir = scratchDir();
    const std::string bad = dir + "/bad_song.txt", good = dir + "/good_song.txt";
    const std::string out = dir + "/song_out.mod";
    std::vector<std::string> lines = miniSong();
    std::ofstream(good) << join(lines);
    lines[8] = "  C-2 20 ...";
    std::ofstream(bad) << join(lines);
    std::remove(out.c_str());

    auto run = [](std::vector<std::string> args) {
        std::vector<const char*> argv = {"tarvex-tool", "song"};
        for (const std::string& a : args) argv.push_back(a.c_str());
        return runToolCommandLine(static_cast<int>(argv.size()), argv.data());
    };
    EXPECT_EQ(run({"compile", bad, out}), 1);
    EXPECT_FALSE(std::ifstream(out).good()) << "nothing written for a faulty song";
    EXPECT_FALSE(std::ifstream(out + ".partial").good());
    EXPECT_EQ(run({"compile", good, out, "--generation", "V.9"}), 2);
    EXPECT_FALSE(std::ifstream(out).good());

    EXPECT_EQ(run({"compile", good, out}), 0);
    EXPECT_EQ(readBinary(out), compileText(join(miniSong())));
    const std::string text = dir + "/song_back.txt";
    EXPECT_EQ(run({"decompile", out, text}), 0);
    EXPECT_NE(readText(text).find("title \"MINI\""), std::string::npos);
    EXPECT_EQ(run({"compile", good, out, "--generation", "ZUNQ"}), 1) << "the song has tables";
    EXPECT_EQ(run({"decompile", good, text}), 1) << "song text is not a module";
}

TEST(SongErrors, DamagedTextIsReportedNeverMisread) {
    const std::string base = EVERYTHING_SONG;
    const int lineCount = static_cast<int>(std::count(base.begin(), base.end(), '\n')) + 1;
    std::mt19937 random(777);
    const char alphabet[] = " \n\t;\"\\$x0123456789-#.:ABCDEFGabcdefgHX\x01\xFF";
    int refused = 0;
    for (int trial = 0; trial < 1500; ++trial) {
        std::string text = base;
        for (int c = 1 + static_cast<int>(random() % 4); c > 0; --c) {
            size_t at = random() % text.size();
            switch (random() % 3) {
                case 0: text[at] = alphabet[random() % (sizeof alphabet - 1)]; break;
                case 1: text.erase(at, 1 + random() % 8); break;
                default: text.insert(at, 1, alphabet[random() % (sizeof alphabet - 1)]); break;
            }
        }
        std::vector<song::Diagnostic> problems;
        std::vector<uint8_t> module = compileText(text, song::Generation::V3, &problems);
        if (module.empty()) {
            ++refused;
            ASSERT_FALSE(problems.empty()) << "refused without a reason:\n" << text;
        }
        for (const song::Diagnostic& d : problems) {
            EXPECT_GE(d.line, 0);
            EXPECT_LE(d.line, lineCount + 8);
            EXPECT_FALSE(d.message.empty());
        }
    }
    EXPECT_GT(refused, 300);
}

TEST(SongErrors, AWrongBlockHeaderIsReportedOnceNotForEachOfItsLines) {
    std::vector<std::string> lines = miniSong();
    lines[3] = "instrument 16 synth";
    std::vector<song::Diagnostic> problems = problemsOf(lines);
    ASSERT_EQ(problems.size(), 1u) << song::formatDiagnostics("mini", problems);
    EXPECT_EQ(problems[0].line, 4);

    lines = miniSong();
    lines[7] = "pattern 0";
    problems = problemsOf(lines);
    ASSERT_EQ(problems.size(), 1u) << song::formatDiagnostics("mini", problems);
    EXPECT_EQ(problems[0].line, 8);
}

TEST(SongWarnings, ASampleLongerThanThePlayerKeepsIsRefusedAndTheLongestIsNotNamed) {
    for (const auto& [bytes, kept] : {std::pair{65534, true}, std::pair{70000, false}}) {
        std::vector<std::string> lines = miniSong();
        lines.insert(lines.begin() + 7, {"instrument 2 sample \"long\"",
                                         "  generate noise length " + std::to_string(bytes)});
        song::Song s;
        std::vector<song::Diagnostic> problems;
        EXPECT_EQ(song::readSongText(join(lines), "", s, problems), kept);
        if (kept) {
            EXPECT_TRUE(song::songWarnings(s).empty());
        } else {
            ASSERT_EQ(problems.size(), 1u);
            EXPECT_NE(problems[0].message.find("at most 65534 fit"), std::string::npos);
        }
    }
}

TEST(SongWarnings, LikelyMistakesAreNamedWithTheirRowsLine) {
    std::vector<std::string> lines = miniSong();
    lines[10] = "  --- .. 705";              // line 11: jump past the one position
    lines[12] = "  G-4 01 A01";              // line 13: above the mixer's top rate
    lines[14] = "  C-2 03 ...";              // line 15: instrument 3 is not defined
    lines.insert(lines.begin() + 16, "  ; a comment between rows");  // line 17
    lines[17] = "  C-2 01 A01";             // line 18: kept from the transpose
    lines.back() = "  1 1:0:0 1:0:1 1";     // voice 2 moves instrument numbers up by one
    song::Song s;
    std::vector<song::Diagnostic> problems;
    ASSERT_TRUE(song::readSongText(join(lines), "", s, problems)) << song::formatDiagnostics("mini", problems);
    std::vector<song::Diagnostic> warnings = song::songWarnings(s);
    std::vector<int> warned;
    for (const song::Diagnostic& w : warnings) warned.push_back(w.line);
    EXPECT_EQ(warned, (std::vector<int>{9, 11, 13, 15})) << song::formatDiagnostics("mini", warnings);
    EXPECT_NE(warnings[0].message.find("instrument 2 is not defined"), std::string::npos);
    EXPECT_NE(warnings[1].message.find("jump to position 5"), std::string::npos);
    EXPECT_NE(warnings[2].message.find("top rate"), std::string::npos);
    EXPECT_NE(warnings[3].message.find("instrument 3 is not defined"), std::string::npos);
    EXPECT_FALSE(compileText(join(lines)).empty()) << "warnings do not stop compiling";

    ASSERT_TRUE(song::readSongText(readText("music/songs/title.txt"), "music/songs", s, problems));
    warnings = song::songWarnings(s);
    EXPECT_TRUE(warnings.empty()) << song::formatDiagnostics("title", warnings);
}
