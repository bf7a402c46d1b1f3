// The arena file and the collision tests against its wall boxes.
//
// File format: records of seven integers "x1,y1,x2,y2,red,green,blue", each integer optionally
// preceded by white space, the first six each followed at once by a comma. Corners are in
// -100..100 file units (scaled by 0.43 in x and 0.32 in y), colours 0..255.
#include <cctype>
#include <climits>
#include <cmath>
#include <new>
#include <string_view>
#include <vector>

#include "game/game.h"
#include "game/stable_trig.h"
#include "platform/file_read.h"
#include "platform/platform.h"

namespace {

constexpr float COLOUR_SCALE = 0.003921569f;  // 1 / 255
constexpr float POWERUP_HALF_SIZE = 1.4f;

// An arena of this size holds about a million walls, far more than the game can test each frame.
constexpr uint64_t LARGEST_PLAYFIELD_FILE = uint64_t(16) << 20;

// Reads records the way the pattern "%d,%d,%d,%d,%d,%d,%d" does: each integer may be preceded by
// white space; each comma must follow its integer at once. A record that stops early is dropped
// and reading resumes where it stopped; text that cannot start a number is skipped one character
// at a time, so reading always reaches the end.
class RecordReader {
public:
    RecordReader(const std::vector<uint8_t>& bytes)
        : text_(reinterpret_cast<const char*>(bytes.data()), bytes.size()) {}

    bool atEnd() const { return pos_ >= text_.size(); }

    // Returns how many integers of the record were read (7 for a complete record).
    int readRecord(int values[7]) {
        size_t start = pos_;
        int count = 0;
        while (count < 7) {
            if (!readInteger(values[count])) break;
            ++count;
            if (count == 7) break;
            if (pos_ >= text_.size() || text_[pos_] != ',') break;
            ++pos_;
        }
        if (count == 0 && pos_ == start) skipUnreadable();
        return count;
    }

private:
    void skipSpace() {
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
    }

    // After a read that made no progress: skip white space, then one character.
    void skipUnreadable() {
        skipSpace();
        if (pos_ < text_.size()) ++pos_;
    }

    bool readInteger(int& value) {
        skipSpace();  // consumed even when no number follows, as the pattern does
        size_t p = pos_;
        bool negative = false;
        if (p < text_.size() && (text_[p] == '+' || text_[p] == '-')) negative = text_[p++] == '-';
        if (p >= text_.size() || !std::isdigit(static_cast<unsigned char>(text_[p]))) return false;
        long long magnitude = 0;
        while (p < text_.size() && std::isdigit(static_cast<unsigned char>(text_[p]))) {
            // Out-of-range numbers saturate instead of overflowing.
            if (magnitude <= static_cast<long long>(INT_MAX) + 1)
                magnitude = magnitude * 10 + (text_[p] - '0');
            ++p;
        }
        long long signedValue = negative ? -magnitude : magnitude;
        if (signedValue > INT_MAX) signedValue = INT_MAX;
        if (signedValue < INT_MIN) signedValue = INT_MIN;
        value = static_cast<int>(signedValue);
        pos_ = p;
        return true;
    }

    std::string_view text_;
    size_t pos_ = 0;
};

PlayfieldBlock blockFromRecord(const int v[7]) {
    auto colour = [](int c) { return static_cast<float>(c > 255 ? 255 : c) * COLOUR_SCALE; };
    PlayfieldBlock block;
    block.xMin = static_cast<float>(v[0] < v[2] ? v[0] : v[2]) * PLAYFIELD_X_SCALE;
    block.xMax = static_cast<float>(v[0] < v[2] ? v[2] : v[0]) * PLAYFIELD_X_SCALE;
    block.yMin = static_cast<float>(v[1] < v[3] ? v[1] : v[3]) * PLAYFIELD_Y_SCALE;
    block.yMax = static_cast<float>(v[1] < v[3] ? v[3] : v[1]) * PLAYFIELD_Y_SCALE;
    block.red = colour(v[4]);
    block.green = colour(v[5]);
    block.blue = colour(v[6]);
    return block;
}

bool pointInBlock(const PlayfieldBlock& block, float x, float y) {
    return block.xMin <= x && x <= block.xMax && block.yMin <= y && y <= block.yMax;
}

// The tank outline in tank coordinates (forward, left): hull corners and the middle of each
// long side, then the barrel's corners in turret coordinates.
const float HullOutline[6][2] = {{TANK_FRONT, TANK_HALF_WIDTH},  {TANK_FRONT, -TANK_HALF_WIDTH},
                                  {0.0f, TANK_HALF_WIDTH},        {0.0f, -TANK_HALF_WIDTH},
                                  {-TANK_REAR, -TANK_HALF_WIDTH}, {-TANK_REAR, TANK_HALF_WIDTH}};
const float BarrelOutline[4][2] = {{2.6f, 0.14f}, {2.6f, -0.14f}, {1.5f, -0.14f}, {1.5f, 0.14f}};

struct Point {
    float x, y;
};

}  // namespace

void releasePlayfield(Playfield& playfield) {
    delete[] playfield.blocks;
    playfield.blocks = nullptr;
    playfield.blockCount = 0;
}

void loadPlayfield(Playfield& playfield, const char* path) {
    releasePlayfield(playfield);
    // Anything but a regular file of a sensible size (a folder, a pipe, a device) counts as a
    // file that cannot be opened; only memory running out has a message of its own.
    const platform::UserFile file = platform::readUserFile(path, LARGEST_PLAYFIELD_FILE);
    if (file.problem == platform::FileProblem::OutOfMemory) {
        platform::errorBox(PLAYFIELD_MEMORY_FAILED);
        return;
    }
    if (file.problem != platform::FileProblem::None) {
        platform::errorBox(PLAYFIELD_OPEN_FAILED);
        return;
    }
    // First pass: count the complete records; second pass: store them.
    size_t count = 0;
    int values[7];
    for (RecordReader reader(file.bytes); !reader.atEnd();)
        if (reader.readRecord(values) == 7) ++count;
    if (count == 0) return;
    PlayfieldBlock* blocks = new (std::nothrow) PlayfieldBlock[count];
    if (!blocks) {
        platform::errorBox(PLAYFIELD_MEMORY_FAILED);
        return;
    }
    size_t stored = 0;
    for (RecordReader reader(file.bytes); !reader.atEnd() && stored < count;)
        if (reader.readRecord(values) == 7) blocks[stored++] = blockFromRecord(values);
    playfield.blocks = blocks;
    playfield.blockCount = static_cast<int32_t>(count);
}

bool tryMove(const GameState& game, int p, float dx, float dy, float dHeading, float dTurret) {
    if (p < 0 || p >= game.playerCount) return false;
    const Player& player = game.players[p];
    const Playfield& playfield = game.playfield;
    const float cx = player.x + dx;
    const float cy = player.y + dy;
    const float hullAngle = (player.heading + dHeading) * DEG_TO_RAD;
    const float barrelAngle = (player.turretAngle + player.heading + dHeading + dTurret) * DEG_TO_RAD;

    Point outline[10];
    auto place = [&](const float (*points)[2], int count, float angle, Point* out) {
        const float c = stableCos(angle), s = stableSin(angle);
        for (int k = 0; k < count; ++k) {
            const float u = points[k][0], v = points[k][1];
            out[k] = {cx + u * c - v * s, cy + u * s + v * c};
        }
    };
    place(HullOutline, 6, hullAngle, outline);
    place(BarrelOutline, 4, barrelAngle, outline + 6);

    for (int b = 0; b < playfield.blockCount; ++b)
        for (const Point& point : outline)
            if (pointInBlock(playfield.blocks[b], point.x, point.y)) return false;

    for (int q = 0; q < game.playerCount; ++q) {
        if (q == p) continue;
        const float ex = cx - game.players[q].x, ey = cy - game.players[q].y;
        if (ex * ex + ey * ey < MIN_TANK_DISTANCE_SQUARED) return false;
    }
    return true;
}

bool bulletHitsBlock(const PlayfieldBlock& block, float nextX, float nextY) {
    return block.xMin - BULLET_WALL_MARGIN <= nextX && nextX <= block.xMax + BULLET_WALL_MARGIN &&
           block.yMin - BULLET_WALL_MARGIN <= nextY && nextY <= block.yMax + BULLET_WALL_MARGIN;
}

bool powerupOverlapsBlock(const Playfield& playfield, float x, float y) {
    for (int b = 0; b < playfield.blockCount; ++b) {
        const PlayfieldBlock& block = playfield.blocks[b];
        if (x + POWERUP_HALF_SIZE > block.xMin && x - POWERUP_HALF_SIZE < block.xMax &&
            y + POWERUP_HALF_SIZE > block.yMin && y - POWERUP_HALF_SIZE < block.yMax)
            return true;
    }
    return false;
}
