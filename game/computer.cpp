// The computer player. Each frame it remembers what it saw, looks at the frame its level lets
// it see (late by its reaction time), and then, in this order: finds its way with a distance
// field over a grid of free cells, dodges bullets it sees coming, aims (leading the target,
// off a wall in the bouncing variant) and fires when the shot can land, and steers its bullet
// in the steerable variant. The heavy part, the distance field, grows a few thousand cells a
// frame so that no frame thinks for long.
#include "game/computer.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float PI_F = 3.1415927f;
constexpr float RAD_TO_DEG = 57.29578f;
constexpr uint16_t NO_PATH = 0xFFFF;
constexpr int PASSABLE = 27;          // tenths of a unit: room for the hull to turn on the spot
constexpr int SEARCH_BUDGET = 1400;   // cells the distance field grows by per frame
constexpr float HULL_TURN = 0.5f, TURRET_TURN = 0.4f, DRIVE_STEP = 0.075f;
constexpr float MUZZLE_STEPS = 7.0f;
constexpr int OWN_BULLET_SAFE = 5;    // updates a new bullet cannot hit its shooter
constexpr float TARGET_RADIUS = 1.5f; // a shot aimed this close to the centre lands
constexpr float SELF_RADIUS = 3.0f;   // a bounced shot of its own must stay this far away
constexpr float DODGE_MARGIN = 0.45f; // the hull box is grown by this when dodging
constexpr int MAX_LEGS = 4;           // straight pieces of a bullet's flight (bounces + 1)
constexpr float COVER_SHOT_RETURN = 80.0f;  // updates a shot fired anyway may take to come back
constexpr int STILL_SAMPLE = 8;       // frames between two places kept for the stillness watch
constexpr int ESCAPE_AFTER = 150;     // frames standing still before it drives out of the place
constexpr int ESCAPE_PLAN = 150;      // updates a way out is followed ahead (and held at most)
constexpr int ESCAPE_SPIN = 60;       // updates of turning on the spot first, in the plans that do
// Clear of every place kept of the stretch by this much: 4.4 units, and the 0.6 a tank drives
// between two places kept.
constexpr float ESCAPED = 5.5f;

// How the levels differ: how late they see, how well they aim and how far they look ahead.
struct LevelTraits {
    int delay;           // frames between a thing happening and the computer seeing it
    float aimError;      // degrees, largest error of a shot
    int lookAhead;       // updates it follows a bullet ahead when dodging
    int replanEvery;     // frames between choices of a goal
    bool leads;          // aims where a moving target will be
    bool seesThroughDelay;  // moves what it saw on by its delay
    bool bounceShots;    // looks for shots off a wall in the bouncing variant
    float holdRange;     // stops closing in within this distance of a target in line of fire
    int steerHorizon;    // updates it follows its steered bullet ahead when planning its turns
};
const LevelTraits Levels[3] = {
    {20, 6.0f, 35, 60, false, false, false, 24.0f, 40},
    {10, 3.0f, 70, 40, true, false, true, 28.0f, 80},
    {4, 0.5f, 140, 20, true, true, true, 32.0f, 170},
};

// ---- Small helpers ---------------------------------------------------------------------------

float wrapDegrees(float a) {
    a = std::fmod(a, 360.0f);
    if (a > 180.0f) a -= 360.0f;
    if (a < -180.0f) a += 360.0f;
    return a;
}

float angleTo(float dx, float dy) { return std::atan2(dy, dx) * RAD_TO_DEG; }

uint32_t nextDraw(ComputerPlayer& ai) {
    ai.randomState = ai.randomState * 1664525u + 1013904223u;
    return ai.randomState >> 8;
}

float spread(ComputerPlayer& ai) {  // -1 .. 1
    return static_cast<float>(nextDraw(ai) % 20001u) / 10000.0f - 1.0f;
}

int between(ComputerPlayer& ai, int a, int b) { return a + static_cast<int>(nextDraw(ai) % uint32_t(b - a + 1)); }

struct Vec {
    float x, y;
};

// ---- The map: clearance of every cell and the distance field to the goal --------------------

int cellIndex(int i, int j) { return j * ComputerMap::WIDTH + i; }
float cellX(int i) { return -ARENA_HALF_WIDTH + static_cast<float>(i) + 0.5f; }
float cellY(int j) { return -ARENA_HALF_HEIGHT + static_cast<float>(j) + 0.5f; }
// The cell of a coordinate, clamped to the grid (NaN to the first cell).
int cellOf(float offset, int cells) {
    if (!(offset >= 0)) return 0;
    return offset >= static_cast<float>(cells) ? cells - 1 : static_cast<int>(offset);
}
int columnOf(float x) { return cellOf(x + ARENA_HALF_WIDTH, ComputerMap::WIDTH); }
int rowOf(float y) { return cellOf(y + ARENA_HALF_HEIGHT, ComputerMap::HEIGHT); }

int clearanceAt(const ComputerMap& map, float x, float y) {
    if (std::fabs(x) >= ARENA_HALF_WIDTH || std::fabs(y) >= ARENA_HALF_HEIGHT) return 0;
    return map.clearance[cellIndex(columnOf(x), rowOf(y))];
}

constexpr int BULLET_COLUMNS = ComputerMap::WIDTH * ComputerMap::BULLET_CELLS;
constexpr int BULLET_ROWS = ComputerMap::HEIGHT * ComputerMap::BULLET_CELLS;
int bulletColumnOf(float x) { return cellOf((x + ARENA_HALF_WIDTH) * ComputerMap::BULLET_CELLS, BULLET_COLUMNS); }
int bulletRowOf(float y) { return cellOf((y + ARENA_HALF_HEIGHT) * ComputerMap::BULLET_CELLS, BULLET_ROWS); }

// Marks every quarter-unit cell that a wall box, grown by the bullet's margin, touches.
void buildBulletWalls(ComputerMap& map, const ComputerSight& sight) {
    map.bulletWall.assign(BULLET_COLUMNS * BULLET_ROWS, 0);
    for (int w = 0; w < sight.wallCount; ++w) {
        const PlayfieldBlock& b = sight.walls[w];
        if (!(b.xMin <= b.xMax && b.yMin <= b.yMax)) continue;  // not a box (NaN)
        const int i0 = bulletColumnOf(b.xMin - BULLET_WALL_MARGIN), i1 = bulletColumnOf(b.xMax + BULLET_WALL_MARGIN);
        const int j0 = bulletRowOf(b.yMin - BULLET_WALL_MARGIN), j1 = bulletRowOf(b.yMax + BULLET_WALL_MARGIN);
        for (int j = j0; j <= j1; ++j)
            std::fill(map.bulletWall.begin() + j * BULLET_COLUMNS + i0, map.bulletWall.begin() + j * BULLET_COLUMNS + i1 + 1,
                      uint8_t{1});
    }
}

// True where a bullet meets a wall (outside the arena counts as wall).
bool bulletBlocked(const ComputerMap& map, float x, float y) {
    if (!(std::fabs(x) < ARENA_HALF_WIDTH && std::fabs(y) < ARENA_HALF_HEIGHT)) return true;
    return map.bulletWall[bulletRowOf(y) * BULLET_COLUMNS + bulletColumnOf(x)] != 0;
}

// Distance from each cell centre to the nearest wall, by stamping every wall grown by the
// largest clearance kept; outside the arena counts as wall.
void buildClearance(ComputerMap& map, const ComputerSight& sight) {
    constexpr float REACH = 4.0f;
    const int cells = ComputerMap::WIDTH * ComputerMap::HEIGHT;
    map.clearance.assign(cells, 40);
    map.distance.assign(cells, NO_PATH);
    map.growing.assign(cells, NO_PATH);
    map.queue.assign(cells, 0);
    map.searching = false;
    for (int j = 0; j < ComputerMap::HEIGHT; ++j)
        for (int i = 0; i < ComputerMap::WIDTH; ++i) {
            const float edge = std::min(std::min(cellX(i) + ARENA_HALF_WIDTH, ARENA_HALF_WIDTH - cellX(i)),
                                        std::min(cellY(j) + ARENA_HALF_HEIGHT, ARENA_HALF_HEIGHT - cellY(j)));
            if (edge < REACH) map.clearance[cellIndex(i, j)] = static_cast<uint8_t>(edge * 10.0f);
        }
    for (int w = 0; w < sight.wallCount; ++w) {
        const PlayfieldBlock& b = sight.walls[w];
        if (!(b.xMin <= b.xMax && b.yMin <= b.yMax)) continue;  // not a box (NaN)
        const int i0 = columnOf(b.xMin - REACH), i1 = columnOf(b.xMax + REACH);
        const int j0 = rowOf(b.yMin - REACH), j1 = rowOf(b.yMax + REACH);
        for (int j = j0; j <= j1; ++j)
            for (int i = i0; i <= i1; ++i) {
                const float dx = std::max(std::max(b.xMin - cellX(i), cellX(i) - b.xMax), 0.0f);
                const float dy = std::max(std::max(b.yMin - cellY(j), cellY(j) - b.yMax), 0.0f);
                const float d = std::sqrt(dx * dx + dy * dy);
                uint8_t& c = map.clearance[cellIndex(i, j)];
                if (d < REACH) c = std::min<uint8_t>(c, static_cast<uint8_t>(d * 10.0f));
            }
    }
    buildBulletWalls(map, sight);
    map.walls = sight.walls;
    map.wallCount = sight.wallCount;
}

bool passable(const ComputerMap& map, int i, int j) {
    return i >= 0 && j >= 0 && i < ComputerMap::WIDTH && j < ComputerMap::HEIGHT &&
           map.clearance[cellIndex(i, j)] >= PASSABLE;
}

// A new search from the free cells within reach of the goal (wider when there are none).
void startSearch(ComputerMap& map, float goalX, float goalY) {
    std::fill(map.growing.begin(), map.growing.end(), NO_PATH);
    map.queueHead = 0;
    int tail = 0;
    for (float reach : {1.5f, 3.0f, 6.0f}) {
        const int r = static_cast<int>(std::ceil(reach));
        const int ci = columnOf(goalX), cj = rowOf(goalY);
        for (int j = cj - r; j <= cj + r; ++j)
            for (int i = ci - r; i <= ci + r; ++i) {
                if (!passable(map, i, j)) continue;
                const float dx = cellX(i) - goalX, dy = cellY(j) - goalY;
                if (dx * dx + dy * dy > reach * reach || map.growing[cellIndex(i, j)] == 0) continue;
                map.growing[cellIndex(i, j)] = 0;
                map.queue[tail++] = static_cast<int16_t>(cellIndex(i, j));
            }
        if (tail > 0) break;
    }
    map.queueTail = tail;
    map.searching = true;
}

// Grows the search by up to budget cells (breadth first, eight neighbours, no corner cutting);
// a finished search becomes the distance field.
void continueSearch(ComputerMap& map, int budget) {
    if (!map.searching) return;
    int tail = map.queueTail;
    static const int Steps[8][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {1, 1}, {1, -1}, {-1, 1}, {-1, -1}};
    while (map.queueHead < tail && budget-- > 0) {
        const int cell = map.queue[map.queueHead++];
        const int i = cell % ComputerMap::WIDTH, j = cell / ComputerMap::WIDTH;
        const uint16_t next = static_cast<uint16_t>(map.growing[cell] + 1);
        for (const auto& s : Steps) {
            const int ni = i + s[0], nj = j + s[1];
            if (!passable(map, ni, nj) || map.growing[cellIndex(ni, nj)] != NO_PATH) continue;
            if (s[0] && s[1] && (!passable(map, i + s[0], j) || !passable(map, i, j + s[1]))) continue;
            map.growing[cellIndex(ni, nj)] = next;
            map.queue[tail++] = static_cast<int16_t>(cellIndex(ni, nj));
        }
    }
    map.queueTail = tail;
    if (map.queueHead >= tail) {
        map.distance.swap(map.growing);
        map.searching = false;
    }
}

// True when the straight way between two points keeps the hull clear of walls.
bool clearWay(const ComputerMap& map, Vec a, Vec b, int needed) {
    const float dx = b.x - a.x, dy = b.y - a.y;
    const float length = std::sqrt(dx * dx + dy * dy);
    if (!(length < 200.0f)) return false;
    const int samples = static_cast<int>(length * 2.0f) + 1;
    for (int k = 1; k <= samples; ++k) {
        const float t = static_cast<float>(k) / static_cast<float>(samples);
        if (clearanceAt(map, a.x + dx * t, a.y + dy * t) < needed) return false;
    }
    return true;
}

// The point to drive at: down the distance field from the tank's cell, as far along as the
// straight way stays clear. Returns false when the field does not reach the tank.
bool nextWaypoint(const ComputerMap& map, Vec from, int lookCells, Vec& waypoint) {
    int i = columnOf(from.x), j = rowOf(from.y);
    uint16_t best = map.distance[cellIndex(i, j)];
    if (best == NO_PATH) {  // off the free cells (close to a wall): the best cell nearby
        int bi = -1, bj = -1;
        for (int dj = -3; dj <= 3; ++dj)
            for (int di = -3; di <= 3; ++di) {
                const int ni = i + di, nj = j + dj;
                if (ni < 0 || nj < 0 || ni >= ComputerMap::WIDTH || nj >= ComputerMap::HEIGHT) continue;
                const uint16_t d = map.distance[cellIndex(ni, nj)];
                if (d < best) best = d, bi = ni, bj = nj;
            }
        if (bi < 0) return false;
        waypoint = {cellX(bi), cellY(bj)};
        return true;
    }
    waypoint = {cellX(i), cellY(j)};
    for (int k = 0; k < lookCells && best > 0; ++k) {
        int bi = i, bj = j;
        for (int dj = -1; dj <= 1; ++dj)
            for (int di = -1; di <= 1; ++di) {
                const int ni = i + di, nj = j + dj;
                if (ni < 0 || nj < 0 || ni >= ComputerMap::WIDTH || nj >= ComputerMap::HEIGHT) continue;
                const uint16_t d = map.distance[cellIndex(ni, nj)];
                if (d < best) best = d, bi = ni, bj = nj;
            }
        if (bi == i && bj == j) break;
        i = bi, j = bj;
        const Vec candidate = {cellX(i), cellY(j)};
        // Cut no corner closer than the free cells keep: the barrel reaches 2.6 units.
        if (k > 0 && !clearWay(map, from, candidate, PASSABLE)) break;
        waypoint = candidate;
    }
    return true;
}

// ---- Bullet flights: straight pieces between walls ------------------------------------------

struct Leg {
    float x, y, vx, vy;  // position at time t0, movement per update
    float t0, t1;        // updates from now
};
struct Flight {
    Leg legs[MAX_LEGS];
    int count = 0;
    Vec at(float t) const {
        for (int k = 0; k < count; ++k)
            if (t <= legs[k].t1 || k == count - 1) {
                const Leg& l = legs[k];
                return {l.x + l.vx * (t - l.t0), l.y + l.vy * (t - l.t0)};
            }
        return {0, 0};
    }
};

// Where a bullet flies from (x, y) with (vx, vy) per update for life updates: it dies at the
// first wall, or bounces off it (reversing the component of the side it meets) when bounce.
Flight castFlight(const ComputerSight& sight, float x, float y, float vx, float vy, float life, bool bounce) {
    Flight flight;
    float t = 0;
    while (flight.count < MAX_LEGS && t < life) {
        float best = life - t;
        bool acrossX = false;
        for (int w = 0; w < sight.wallCount; ++w) {
            const PlayfieldBlock& b = sight.walls[w];
            const float x0 = b.xMin - BULLET_WALL_MARGIN, x1 = b.xMax + BULLET_WALL_MARGIN;
            const float y0 = b.yMin - BULLET_WALL_MARGIN, y1 = b.yMax + BULLET_WALL_MARGIN;
            float enterX, exitX, enterY, exitY;
            if (vx != 0) {
                const float a = (x0 - x) / vx, c = (x1 - x) / vx;
                enterX = std::min(a, c), exitX = std::max(a, c);
            } else if (x0 <= x && x <= x1) {
                enterX = -1e30f, exitX = 1e30f;
            } else {
                continue;
            }
            if (vy != 0) {
                const float a = (y0 - y) / vy, c = (y1 - y) / vy;
                enterY = std::min(a, c), exitY = std::max(a, c);
            } else if (y0 <= y && y <= y1) {
                enterY = -1e30f, exitY = 1e30f;
            } else {
                continue;
            }
            const float enter = std::max(enterX, enterY), exit = std::min(exitX, exitY);
            if (enter > exit || exit <= 0 || enter >= best) continue;
            best = std::max(enter, 0.0f);
            acrossX = enterX > enterY;
        }
        flight.legs[flight.count++] = {x, y, vx, vy, t, t + best};
        if (t + best >= life || !bounce) break;
        // Bounce: back off a hair from the wall so the next leg starts outside it.
        x += vx * (best - 0.01f);
        y += vy * (best - 0.01f);
        t += best;
        if (acrossX) vx = -vx; else vy = -vy;
    }
    return flight;
}

// The first time from tMin on at which the flight passes within radius of a point moving
// from p by v per update; -1 when it does not.
float firstPass(const Flight& flight, Vec p, Vec v, float radius, float tMin) {
    for (int k = 0; k < flight.count; ++k) {
        const Leg& l = flight.legs[k];
        const float a = std::max(l.t0, tMin), b = l.t1;
        if (a > b) continue;
        // Relative position r(t) = r0 + w (t - a).
        const float rx = l.x + l.vx * (a - l.t0) - (p.x + v.x * a);
        const float ry = l.y + l.vy * (a - l.t0) - (p.y + v.y * a);
        const float wx = l.vx - v.x, wy = l.vy - v.y;
        const float ww = wx * wx + wy * wy;
        float s = ww > 0 ? -(rx * wx + ry * wy) / ww : 0.0f;
        s = std::clamp(s, 0.0f, b - a);
        const float dx = rx + wx * s, dy = ry + wy * s;
        if (dx * dx + dy * dy <= radius * radius) {
            // Step back to the first time within the radius.
            float first = s;
            const float c = rx * rx + ry * ry - radius * radius, bq = rx * wx + ry * wy;
            const float disc = bq * bq - ww * c;
            if (ww > 0 && disc >= 0) first = std::max(0.0f, (-bq - std::sqrt(disc)) / ww);
            return a + std::min(first, s);
        }
    }
    return -1;
}

float bulletSpeed(const Player& shooter) { return BULLET_SPEED * (shooter.powerupKind == BulletSpeed ? 2.0f : 1.0f); }

// The flight of a shot the tank would fire now along world angle g (degrees).
Flight shotFlight(const ComputerSight& sight, const Player& tank, float g) {
    const float s = bulletSpeed(tank);
    const float vx = s * std::cos(g * DEG_TO_RAD), vy = s * std::sin(g * DEG_TO_RAD);
    const float life = tank.powerupKind == RapidFire ? 600.0f : 200.0f;
    const float step = BULLET_SPEED;  // the muzzle is seven single steps ahead
    return castFlight(sight, tank.x + MUZZLE_STEPS * step * std::cos(g * DEG_TO_RAD),
                      tank.y + MUZZLE_STEPS * step * std::sin(g * DEG_TO_RAD), vx, vy, life,
                      sight.mode == Bouncing);
}

// The flight of a live bullet, from what was seen of it `late` updates ago.
Flight liveFlight(const ComputerSight& sight, const Bullet& bullet, const Player& shooter) {
    const float steps = shooter.powerupKind == BulletSpeed ? 2.0f : 1.0f;
    return castFlight(sight, bullet.x, bullet.y, bullet.vx * steps, bullet.vy * steps,
                      static_cast<float>(bullet.life), sight.mode == Bouncing);
}

// ---- What it sees: the opponent and its bullet, late by the level's delay -------------------

const SeenFrame& seenAgo(const ComputerPlayer& ai, int ago) {
    const int newest = ai.seenCount - 1;
    const int index = std::max(newest - ago, std::max(0, ai.seenCount - 32));
    return ai.seen[index % 32];
}

void remember(ComputerPlayer& ai, int other, const ComputerSight& sight) {
    SeenFrame& frame = ai.seen[ai.seenCount % 32];
    frame.tank = sight.tanks[other];
    frame.bullet = sight.bullets[other];
    frame.powerup = sight.powerup;
    ai.seenCount += 1;
    if (ai.seenCount >= 1 << 30) ai.seenCount -= 32 * (1 << 24);  // keeps the ring's order
}

struct Target {
    Vec p;  // where the target is thought to be now
    Vec v;  // its movement per update
    float until = 1e9f;  // updates after which it would run into a wall: it stops there
    Vec at(float t) const {
        const float moving = std::min(t, until);
        return {p.x + v.x * moving, p.y + v.y * moving};
    }
};

Target targetSeen(const ComputerPlayer& ai, const LevelTraits& traits) {
    const Player& now = seenAgo(ai, traits.delay).tank;
    const Player& before = seenAgo(ai, traits.delay + 4).tank;
    Vec v = {(now.x - before.x) / 4.0f, (now.y - before.y) / 4.0f};
    if (v.x * v.x + v.y * v.y > 0.04f) v = {0, 0};  // a jump: play restarted
    Target target = {{now.x, now.y}, v};
    if (traits.seesThroughDelay) {
        target.p.x += v.x * static_cast<float>(traits.delay);
        target.p.y += v.y * static_cast<float>(traits.delay);
    }
    // A tank does not drive through walls: its way on is cut where the map has no room for it.
    if (v.x != 0 || v.y != 0)
        for (int t = 4; t <= BULLET_LIFE; t += 4)
            if (clearanceAt(ai.map, target.p.x + v.x * static_cast<float>(t), target.p.y + v.y * static_cast<float>(t)) < 16) {
                target.until = static_cast<float>(t - 4);
                break;
            }
    return target;
}

// ---- Dodging ---------------------------------------------------------------------------------

bool inGrownHull(Vec bullet, Vec centre, float heading) {
    const float dx = bullet.x - centre.x, dy = bullet.y - centre.y;
    const float c = std::cos(heading * DEG_TO_RAD), s = std::sin(heading * DEG_TO_RAD);
    const float u = dx * c + dy * s, v = -dx * s + dy * c;
    return -TANK_REAR - DODGE_MARGIN <= u && u <= TANK_FRONT + DODGE_MARGIN &&
           std::fabs(v) <= TANK_HALF_WIDTH + DODGE_MARGIN;
}

// A steered bullet followed as if its shooter turned it toward the tank at every update, the
// worst it can do: it flies on until a wall stops it or its life ends.
struct Homing {
    bool live = false;
    float x = 0, y = 0, dx = 1, dy = 0;  // position and unit direction
    int steps = 1;                       // bullet steps per update
    float turnCos = 1, turnSin = 0;      // the most it turns in an update
    int life = 0;
};

// What can hit the tank: bullets on known flights (from safeUntil on) and one steered bullet.
struct Threats {
    Flight flights[2];
    float safeUntil[2] = {0, 0};
    int count = 0;
    Homing homing;
};

// One update of a homing bullet: its steps, then a turn toward the tank (all the way when the
// turn left is smaller than a step).
void advanceHoming(Homing& h, const ComputerMap& map, Vec tank) {
    if (!h.live) return;
    for (int s = 0; s < h.steps; ++s) {
        h.x += BULLET_SPEED * h.dx, h.y += BULLET_SPEED * h.dy;
        if (bulletBlocked(map, h.x, h.y)) {
            h.live = false;
            return;
        }
    }
    if (--h.life <= 0) {
        h.live = false;
        return;
    }
    const float tx = tank.x - h.x, ty = tank.y - h.y;
    const float length = std::sqrt(tx * tx + ty * ty);
    if (!(length > 0.01f)) return;
    const float cross = (h.dx * ty - h.dy * tx) / length, dot = (h.dx * tx + h.dy * ty) / length;
    if (dot >= h.turnCos) {
        h.dx = tx / length, h.dy = ty / length;
        return;
    }
    const float s = cross >= 0 ? h.turnSin : -h.turnSin;
    const float nx = h.dx * h.turnCos - h.dy * s, ny = h.dx * s + h.dy * h.turnCos;
    h.dx = nx, h.dy = ny;
}

// The first update at which a bullet meets the tank if it keeps these controls; horizon + 1 if
// never within the horizon. The hull cannot drive where the map has no room for it.
int firstHit(const ComputerMap& map, const Player& me, Controls controls, const Threats& threats, int horizon) {
    Vec p = {me.x, me.y};
    float h = me.heading;
    Homing homing = threats.homing;
    const int repeats = me.powerupKind == TankSpeed ? 2 : 1;
    for (int t = 0; t <= horizon; ++t) {
        for (int f = 0; f < threats.count; ++f) {
            const Flight& flight = threats.flights[f];
            const float tf = static_cast<float>(t);
            if (tf < threats.safeUntil[f] || tf > flight.legs[flight.count - 1].t1) continue;
            if (inGrownHull(flight.at(tf), p, h)) return t;
        }
        if (homing.live && inGrownHull({homing.x, homing.y}, p, h)) return t;
        advanceHoming(homing, map, p);
        for (int r = 0; r < repeats; ++r) {
            float a = h * DEG_TO_RAD;
            if (controls & Backward) a += PI_F;
            if (controls & HullLeft) h += HULL_TURN;
            if (controls & HullRight) h -= HULL_TURN;
            if (controls & (Forward | Backward)) {
                const Vec next = {p.x + DRIVE_STEP * std::cos(a), p.y + DRIVE_STEP * std::sin(a)};
                if (clearanceAt(map, next.x, next.y) >= 16) p = next;
            }
        }
    }
    return horizon + 1;
}

// Keeps the planned hull and drive controls when no bullet meets the tank under them;
// otherwise the way out that meets a bullet last (or never).
Controls dodge(const ComputerMap& map, const Player& me, Controls plan, const Threats& threats, int horizon,
               bool& dodging) {
    dodging = false;
    if (threats.count == 0 && !threats.homing.live) return plan;
    const Controls moves = plan & (HullLeft | HullRight | Forward | Backward);
    int best = firstHit(map, me, moves, threats, horizon);
    if (best > horizon) return plan;
    // The plan's hull turn (it may be steering a bullet) is kept when a way out with it is as good.
    const Controls turn = plan & (HullLeft | HullRight);
    const Controls Options[] = {static_cast<Controls>(Forward | turn), static_cast<Controls>(Backward | turn), turn,
                                Forward, Backward, Forward | HullLeft, Forward | HullRight,
                                Backward | HullLeft, Backward | HullRight, 0, HullLeft, HullRight};
    Controls chosen = moves;
    for (Controls option : Options) {
        const int hit = firstHit(map, me, option, threats, horizon);
        if (hit > best) best = hit, chosen = option;
    }
    dodging = chosen != moves;
    return static_cast<Controls>((plan & ~(HullLeft | HullRight | Forward | Backward)) | chosen);
}

// ---- Driving ---------------------------------------------------------------------------------

// The barrel's corners along the turret (forward, left), the part of the tank's outline that
// turns with the turret.
const float BarrelPoints[4][2] = {{2.6f, 0.14f}, {2.6f, -0.14f}, {1.5f, -0.14f}, {1.5f, 0.14f}};

bool barrelClear(const PlayfieldBlock* const* walls, int count, Vec centre, float angle) {
    const float c = std::cos(angle * DEG_TO_RAD), s = std::sin(angle * DEG_TO_RAD);
    for (const auto& point : BarrelPoints) {
        const float x = centre.x + point[0] * c - point[1] * s;
        const float y = centre.y + point[0] * s + point[1] * c;
        for (int w = 0; w < count; ++w) {
            const PlayfieldBlock& b = *walls[w];
            if (b.xMin <= x && x <= b.xMax && b.yMin <= y && y <= b.yMax) return false;
        }
    }
    return true;
}

// When the barrel alone stops the planned drive, turns the turret the shorter way to where
// it no longer does; 0 when the barrel is not in the way or cannot turn out of it. Only walls
// within the barrel's reach are looked at.
Controls freeBarrel(const ComputerSight& sight, const Player& me, Controls controls) {
    if (!(controls & (Forward | Backward))) return 0;
    constexpr int MOST_NEAR = 32;
    const PlayfieldBlock* near[MOST_NEAR];
    int nearCount = 0;
    for (int w = 0; w < sight.wallCount && nearCount < MOST_NEAR; ++w) {
        const PlayfieldBlock& b = sight.walls[w];
        if (me.x + 3.5f >= b.xMin && me.x - 3.5f <= b.xMax && me.y + 3.5f >= b.yMin && me.y - 3.5f <= b.yMax)
            near[nearCount++] = &b;
    }
    if (nearCount == 0) return 0;
    float a = me.heading * DEG_TO_RAD;
    if (controls & Backward) a += PI_F;
    const float gun = me.heading + me.turretAngle;
    auto clearAlong = [&](float g) {
        for (float steps : {1.0f, 4.0f, 8.0f}) {
            const Vec at = {me.x + DRIVE_STEP * steps * std::cos(a), me.y + DRIVE_STEP * steps * std::sin(a)};
            if (!barrelClear(near, nearCount, at, g)) return false;
        }
        return true;
    };
    if (clearAlong(gun)) return 0;
    // The turret turns where it stands: a way out must be clear all along the turn.
    float best = 1000.0f;
    Controls way = 0;
    for (const float side : {1.0f, -1.0f})
        for (int step = 1; step <= 450 && step * TURRET_TURN < best; ++step) {
            const float turn = static_cast<float>(step) * TURRET_TURN;
            if (!barrelClear(near, nearCount, {me.x, me.y}, gun + side * turn)) break;
            if (step % 5 == 0 && clearAlong(gun + side * turn)) {
                best = turn;
                way = side > 0 ? TurretLeft : TurretRight;
            }
        }
    return way;
}

Controls turnToward(float error, float deadZone) {
    if (error > deadZone) return HullLeft;
    if (error < -deadZone) return HullRight;
    return 0;
}

// Hull and drive controls that take the tank to a point: forward when it lies ahead, backward
// when behind (a half turn on the spot takes 360 frames), turning while driving; on the spot
// only when the point is close and well to the side. The way it drove last frame is kept
// until the point is well on the other side, so that it does not rock to and fro.
Controls driveTo(const Player& me, Vec point, Controls last) {
    const float error = wrapDegrees(angleTo(point.x - me.x, point.y - me.y) - me.heading);
    const bool behind = std::fabs(error) > ((last & Backward) ? 70.0f : 110.0f);
    const float steer = behind ? wrapDegrees(error - 180.0f) : error;
    const Controls turn = turnToward(steer, 2.0f);
    const float distance = std::hypot(point.x - me.x, point.y - me.y);
    if (std::fabs(steer) > 45.0f && distance < 9.0f) return turn;
    return static_cast<Controls>(turn | (behind ? Backward : Forward));
}

bool worthIt(const Powerup& powerup, const Player& me, const Player& other) {
    if (powerup.life < 100) return false;
    const float mine = std::hypot(powerup.x - me.x, powerup.y - me.y);
    const float theirs = std::hypot(powerup.x - other.x, powerup.y - other.y);
    return mine < 30.0f && mine < theirs + 2.0f;
}

void pickWanderGoal(ComputerPlayer& ai, const Player& me) {
    for (int tries = 0; tries < 40; ++tries) {
        const int i = between(ai, 0, ComputerMap::WIDTH - 1), j = between(ai, 0, ComputerMap::HEIGHT - 1);
        if (!passable(ai.map, i, j) || std::hypot(cellX(i) - me.x, cellY(j) - me.y) < 15.0f) continue;
        ai.goalX = cellX(i), ai.goalY = cellY(j);
        return;
    }
}

// ---- Getting away: the drive that takes the tank clear of where it stood ------------------

// The hull's outline in tank coordinates (forward, left), as the rules test it against walls:
// the corners and the middle of each long side. The barrel adds BarrelPoints.
const float HullPoints[6][2] = {{TANK_FRONT, TANK_HALF_WIDTH},  {TANK_FRONT, -TANK_HALF_WIDTH},
                                {0.0f, TANK_HALF_WIDTH},        {0.0f, -TANK_HALF_WIDTH},
                                {-TANK_REAR, -TANK_HALF_WIDTH}, {-TANK_REAR, TANK_HALF_WIDTH}};

// The walls within a plan's reach of the tank and the other tank, to drive a tank ahead in.
struct Surroundings {
    static constexpr int MOST = 128;
    const PlayfieldBlock* walls[MOST];
    int count = 0;
    Vec other;
    float gun;    // the barrel's angle from the hull (the turret turns with the hull)
    int repeats;  // updates a frame (two with the speed powerup)
};

// True when the tank's outline at p with this heading touches no wall and keeps its distance
// from the other tank: the test the rules make before a tank turns or moves.
bool tankFits(const Surroundings& s, Vec p, float heading) {
    const float ox = p.x - s.other.x, oy = p.y - s.other.y;
    if (ox * ox + oy * oy < MIN_TANK_DISTANCE_SQUARED) return false;
    constexpr float REACH = 2.8f;  // no point of the outline is farther from the centre
    const float c = std::cos(heading * DEG_TO_RAD), sn = std::sin(heading * DEG_TO_RAD);
    const float gc = std::cos((heading + s.gun) * DEG_TO_RAD), gs = std::sin((heading + s.gun) * DEG_TO_RAD);
    for (int w = 0; w < s.count; ++w) {
        const PlayfieldBlock& b = *s.walls[w];
        if (p.x + REACH < b.xMin || p.x - REACH > b.xMax || p.y + REACH < b.yMin || p.y - REACH > b.yMax) continue;
        for (const auto& q : HullPoints) {
            const float x = p.x + q[0] * c - q[1] * sn, y = p.y + q[0] * sn + q[1] * c;
            if (b.xMin <= x && x <= b.xMax && b.yMin <= y && y <= b.yMax) return false;
        }
        for (const auto& q : BarrelPoints) {
            const float x = p.x + q[0] * gc - q[1] * gs, y = p.y + q[0] * gs + q[1] * gc;
            if (b.xMin <= x && x <= b.xMax && b.yMin <= y && y <= b.yMax) return false;
        }
    }
    return true;
}

struct TankPose {
    Vec p;
    float heading;
};

// One frame of these controls as the rules play it: the drive direction is taken first, then
// the hull turns if it fits, then the tank moves if it fits.
void driveAhead(const Surroundings& s, TankPose& t, Controls controls) {
    for (int r = 0; r < s.repeats; ++r) {
        const float a = t.heading * DEG_TO_RAD + ((controls & Backward) ? PI_F : 0.0f);
        if ((controls & HullLeft) && tankFits(s, t.p, t.heading + HULL_TURN)) t.heading += HULL_TURN;
        if ((controls & HullRight) && tankFits(s, t.p, t.heading - HULL_TURN)) t.heading -= HULL_TURN;
        if (!(controls & (Forward | Backward))) continue;
        const Vec next = {t.p.x + DRIVE_STEP * std::cos(a), t.p.y + DRIVE_STEP * std::sin(a)};
        if (tankFits(s, next, t.heading)) t.p = next;
    }
}

// How far p lies from the nearest place it stood at in the stretch it gets away from.
float clearOfStretch(const ComputerPlayer& ai, Vec p) {
    float nearest = 1e9f;
    for (int k = 0; k < ai.stillFromCount; ++k)
        nearest = std::min(nearest, std::hypot(p.x - ai.stillFromX[k], p.y - ai.stillFromY[k]));
    return nearest;
}

// The way out of the stretch: every drive (forward or backward, straight or turning), first
// straight away and after turning on the spot either way, followed ahead through the walls as
// the rules move a tank; the one that ends farthest from every place of the stretch is held.
// A turn on the spot first costs the plan its frames of driving, so it wins only where driving
// at once gets nowhere.
void planEscape(ComputerPlayer& ai, const ComputerSight& sight, const Player& me, const Player& other) {
    Surroundings s;
    s.other = {other.x, other.y};
    s.gun = me.turretAngle;
    s.repeats = me.powerupKind == TankSpeed ? 2 : 1;
    const float reach = static_cast<float>(ESCAPE_PLAN * s.repeats) * DRIVE_STEP + 3.0f;
    for (int w = 0; w < sight.wallCount && s.count < Surroundings::MOST; ++w) {
        const PlayfieldBlock& b = sight.walls[w];
        if (me.x + reach >= b.xMin && me.x - reach <= b.xMax && me.y + reach >= b.yMin && me.y - reach <= b.yMax)
            s.walls[s.count++] = &b;
    }
    static const Controls Drives[] = {Forward, Backward, Forward | HullLeft, Forward | HullRight,
                                      Backward | HullLeft, Backward | HullRight};
    float best = -1.0f;
    for (const Controls spin : {Controls{0}, Controls{HullLeft}, Controls{HullRight}}) {
        const int spinFor = spin ? ESCAPE_SPIN : 0;
        TankPose start = {{me.x, me.y}, me.heading};
        for (int k = 0; k < spinFor; ++k) driveAhead(s, start, spin);
        for (const Controls drive : Drives) {
            TankPose t = start;
            for (int k = spinFor; k < ESCAPE_PLAN; ++k) driveAhead(s, t, drive);
            const float clear = clearOfStretch(ai, t.p);
            if (clear > best) {
                best = clear;
                ai.escapeSpin = spin, ai.escapeSpinFor = spinFor, ai.escapeDrive = drive;
            }
        }
    }
    ai.escapeFor = ESCAPE_PLAN;
}

// Starts getting away from the stretch of standing still just counted: its places are kept, a
// way out is planned, and a random place elsewhere becomes the goal for a while after it.
void startEscape(ComputerPlayer& ai, const ComputerSight& sight, const Player& me, const Player& other) {
    constexpr int KEPT = sizeof(ai.trailX) / sizeof(ai.trailX[0]);
    ai.stillFromCount = std::min({ai.stillFrames / STILL_SAMPLE + 1, ai.trailCount, KEPT});
    for (int k = 0; k < ai.stillFromCount; ++k) {
        const int at = (ai.trailCount - 1 - k) % KEPT;
        ai.stillFromX[k] = ai.trailX[at], ai.stillFromY[k] = ai.trailY[at];
    }
    planEscape(ai, sight, me, other);
    ai.backOffFor = 0;
    ai.wanderFor = 400;
    pickWanderGoal(ai, me);
    startSearch(ai.map, ai.goalX, ai.goalY);
    ai.replanIn = 400;
}

// How long it has stood still with nothing to show for it: no bullet of its own in flight, no
// lead in lives, and every place it stood since within one box of twice 4.4 units a side (so
// any stretch within 4.4 units of one point is counted in full, wherever that point lies).
void trackStillness(ComputerPlayer& ai, const Player& me, const Player& other, const Bullet& mine) {
    constexpr int SAMPLE = STILL_SAMPLE;
    constexpr float SIDE = 8.8f;
    constexpr int KEPT = sizeof(ai.trailX) / sizeof(ai.trailX[0]);
    if (mine.life > 0 || me.lives > other.lives) {
        ai.trailCount = 0;
        ai.stillFrames = 0;
        return;
    }
    if (ai.seenCount % SAMPLE != 0 && ai.trailCount > 0) return;
    ai.trailX[ai.trailCount % KEPT] = me.x, ai.trailY[ai.trailCount % KEPT] = me.y;
    if (++ai.trailCount >= 2 * KEPT) ai.trailCount -= KEPT;  // the same places, in the same order
    float x0 = me.x, x1 = me.x, y0 = me.y, y1 = me.y;
    int within = 0;
    for (int k = 0; k < std::min(ai.trailCount, KEPT); ++k) {
        const int at = (ai.trailCount - 1 - k) % KEPT;
        x0 = std::min(x0, ai.trailX[at]), x1 = std::max(x1, ai.trailX[at]);
        y0 = std::min(y0, ai.trailY[at]), y1 = std::max(y1, ai.trailY[at]);
        if (x1 - x0 > SIDE || y1 - y0 > SIDE) break;
        within = k;
    }
    ai.stillFrames = within * SAMPLE;
}

// Counts frames in which the tank asked to move or turn and did neither; then backs off the
// other way, turning, for a while. Also counts frames it stays in one place with nothing to
// show for it, and then goes somewhere else.
void watchProgress(ComputerPlayer& ai, const ComputerSight& sight, const Player& me, const Player& other,
                   const Bullet& mine) {
    const bool askedToDrive = ai.lastControls & (Forward | Backward);
    const bool askedToTurn = ai.lastControls & (HullLeft | HullRight);
    const bool moved = std::fabs(me.x - ai.lastX) + std::fabs(me.y - ai.lastY) > 0.01f;
    const bool turned = me.heading != ai.lastHeading;
    // Turning the barrel out of a wall takes a while; that is progress too.
    if (ai.parkTurretFor > 0 && (ai.lastControls & (TurretLeft | TurretRight)) && me.turretAngle != ai.lastTurret)
        ai.blockedFrames = 0;
    else if ((askedToDrive && !moved) || (askedToTurn && !askedToDrive && !turned))
        ai.blockedFrames += 1;
    else
        ai.blockedFrames = 0;
    if (ai.blockedFrames > 12 && ai.escapeFor > 0) {
        // The way out met what the plan did not foresee (the other tank moved): plan again.
        planEscape(ai, sight, me, other);
        ai.blockedFrames = 0;
    }
    if (ai.blockedFrames > 12 && ai.backOffFor > 0) {
        // The way out is held up too: the other way, with the other turn.
        ai.backOffControls = static_cast<Controls>(ai.backOffControls ^ (Forward | Backward | HullLeft | HullRight));
        ai.blockedFrames = 0;
    }
    if (ai.blockedFrames > 12 && ai.backOffFor == 0 && ai.escapeFor == 0) {
        ai.backOffFor = between(ai, 30, 70);
        const Controls drive = (ai.lastControls & Forward) ? Backward : Forward;
        ai.backOffControls = static_cast<Controls>(drive | (nextDraw(ai) & 1 ? HullLeft : HullRight));
        ai.blockedFrames = 0;
        ai.replanIn = 0;
    }
    trackStillness(ai, me, other, mine);
    if (ai.escapeFor > 0 && clearOfStretch(ai, {me.x, me.y}) > ESCAPED) ai.escapeFor = 0;  // out of it
    if (ai.stillFrames > ESCAPE_AFTER && ai.escapeFor == 0) startEscape(ai, sight, me, other);
}

// ---- Aiming ----------------------------------------------------------------------------------

// The world angle from (x, y) to meet the target with a bullet of speed s that starts
// `muzzle` units out, leading the target when asked: |d + v t| = s t + muzzle.
float leadAngle(float x, float y, float s, float muzzle, const Target& target, bool leads) {
    const float dx = target.p.x - x, dy = target.p.y - y;
    if (!leads) return angleTo(dx, dy);
    const float a = target.v.x * target.v.x + target.v.y * target.v.y - s * s;
    const float b = 2.0f * (dx * target.v.x + dy * target.v.y - muzzle * s);
    const float c = dx * dx + dy * dy - muzzle * muzzle;
    float t = std::sqrt(dx * dx + dy * dy) / s;
    const float disc = b * b - 4 * a * c;
    if (a < 0 && disc >= 0) {
        const float root = (-b - std::sqrt(disc)) / (2 * a);
        if (root > 0) t = root;
    }
    const Vec meet = target.at(t);
    return angleTo(meet.x - x, meet.y - y);
}

// True when a shot along g meets the target before any wall stops it and before it could
// come back at the shooter.
bool shotLands(const ComputerSight& sight, const Player& me, float g, const Target& target, float radius) {
    const Flight flight = shotFlight(sight, me, g);
    float hit = firstPass(flight, target.p, target.v, radius, 0);
    if (hit < 0 || hit > target.until) hit = firstPass(flight, target.at(target.until), {0, 0}, radius, target.until);
    if (hit < 0) return false;
    if (sight.mode != Bouncing) return true;
    const float self = firstPass(flight, {me.x, me.y}, {0, 0}, SELF_RADIUS, OWN_BULLET_SAFE);
    return self < 0 || self > hit;
}

// Looks at a few wall faces this frame for a shot off one of them: the target mirrored in
// the face gives the direction.
void searchBounce(ComputerPlayer& ai, const ComputerSight& sight, const Player& me, const Target& target) {
    if (ai.bounceValidFor > 0) ai.bounceValidFor -= 1;
    const int faces = sight.wallCount * 4;
    if (faces == 0) return;
    int casts = 0;
    for (int n = 0; n < 24 && casts < 3; ++n) {
        ai.faceCursor = (ai.faceCursor + 1) % faces;
        const PlayfieldBlock& b = sight.walls[ai.faceCursor / 4];
        const int side = ai.faceCursor % 4;  // 0 left, 1 right, 2 bottom, 3 top
        const bool vertical = side < 2;
        const float line = side == 0 ? b.xMin - BULLET_WALL_MARGIN : side == 1 ? b.xMax + BULLET_WALL_MARGIN
                           : side == 2 ? b.yMin - BULLET_WALL_MARGIN : b.yMax + BULLET_WALL_MARGIN;
        const float outward = (side % 2 == 0) ? -1.0f : 1.0f;
        const float mine = vertical ? me.x : me.y, theirs = vertical ? target.p.x : target.p.y;
        if ((mine - line) * outward <= 0 || (theirs - line) * outward <= 0) continue;
        const Vec mirrored = vertical ? Vec{2 * line - target.p.x, target.p.y} : Vec{target.p.x, 2 * line - target.p.y};
        // Where the way to the mirrored target crosses the face's line must lie on the face.
        const float u = (line - mine) / ((vertical ? mirrored.x : mirrored.y) - mine);
        const float across = vertical ? me.y + (mirrored.y - me.y) * u : me.x + (mirrored.x - me.x) * u;
        const float lo = vertical ? b.yMin : b.xMin, hi = vertical ? b.yMax : b.xMax;
        if (across < lo || across > hi) continue;
        const float g = angleTo(mirrored.x - me.x, mirrored.y - me.y);
        ++casts;
        if (shotLands(sight, me, g, {target.p, {0, 0}}, TARGET_RADIUS)) {
            ai.bounceAngle = g;
            ai.bounceValidFor = 40;
            return;
        }
    }
}

// Turret controls toward world angle g, given the hull turn of this frame; turned is the gun's
// angle after them.
Controls turretToward(const Player& me, Controls hull, float g, float& turned) {
    const int repeats = me.powerupKind == TankSpeed ? 2 : 1;
    float gun = me.heading + me.turretAngle;
    if (hull & HullLeft) gun += HULL_TURN * static_cast<float>(repeats);
    if (hull & HullRight) gun -= HULL_TURN * static_cast<float>(repeats);
    const float error = wrapDegrees(g - gun);
    const float step = TURRET_TURN * static_cast<float>(repeats);
    turned = gun;
    if (error > step * 0.5f) {
        turned += step;
        return TurretLeft;
    }
    if (error < -step * 0.5f) {
        turned -= step;
        return TurretRight;
    }
    return 0;
}

void resetMoment(ComputerPlayer& ai) {
    ai.seenCount = 0;
    ai.blockedFrames = 0;
    ai.backOffFor = 0;
    ai.escapeFor = 0;
    ai.stillFrames = 0;
    ai.trailCount = 0;
    ai.replanIn = 0;
    ai.lastControls = 0;
    ai.fireDown = false;
    ai.bounceValidFor = 0;
    ai.parkTurretFor = 0;
}

// ---- One frame's steps ------------------------------------------------------------------------

// What one frame of thinking works from.
struct Moment {
    const ComputerSight& sight;
    const LevelTraits& traits;
    const SeenFrame& view;  // the other tank, its bullet and the powerup, as late as the level sees
    const Player& self;
    const Bullet& mine;
    Target target;          // the other tank, where it is thought to be now
};

// Every few frames: the powerup when it is worth it, else the other tank (or a random place
// while getting away from one); the distance field to it is grown over the next frames.
void chooseGoal(ComputerPlayer& ai, const Moment& now) {
    if (ai.wanderFor > 0) ai.wanderFor -= 1;
    if (--ai.replanIn <= 0) {
        ai.replanIn = now.traits.replanEvery;
        if (ai.wanderFor > 0) {
            // keep going to the random place
        } else if (worthIt(now.view.powerup, now.self, now.view.tank)) {
            ai.goalX = now.view.powerup.x, ai.goalY = now.view.powerup.y;
        } else {
            ai.goalX = now.target.p.x, ai.goalY = now.target.p.y;
        }
        startSearch(ai.map, ai.goalX, ai.goalY);
    }
    continueSearch(ai.map, SEARCH_BUDGET);
}

struct Shot {
    float direct;      // world angle of a direct shot (leading the target when the level does)
    bool directLands;  // a direct shot would meet the target
    bool bounceReady;  // a shot off a wall was found (bouncing variant)
};

Shot shotNow(ComputerPlayer& ai, const Moment& now) {
    Shot shot;
    shot.direct = leadAngle(now.self.x, now.self.y, bulletSpeed(now.self), MUZZLE_STEPS * BULLET_SPEED,
                            now.target, now.traits.leads);
    shot.directLands = shotLands(now.sight, now.self, shot.direct, now.target, TARGET_RADIUS + 0.3f);
    const bool bouncing = now.sight.mode == Bouncing;
    if (bouncing && now.traits.bounceShots && !shot.directLands) searchBounce(ai, now.sight, now.self, now.target);
    shot.bounceReady = bouncing && ai.bounceValidFor > 0 && !shot.directLands;
    return shot;
}

// Hull and drive: backing off when held up; standing across the line of fire within range
// (ready to dodge along it, edging to and fro); otherwise down the distance field to the goal.
Controls drive(ComputerPlayer& ai, const Moment& now, const Shot& shot) {
    const Player& self = now.self;
    if (ai.escapeFor > 0) {
        ai.escapeFor -= 1;
        if (ai.escapeSpinFor == 0) return ai.escapeDrive;
        ai.escapeSpinFor -= 1;
        return ai.escapeSpin;
    }
    if (ai.backOffFor > 0) {
        ai.backOffFor -= 1;
        return ai.backOffControls;
    }
    const float distance = std::hypot(now.target.p.x - self.x, now.target.p.y - self.y);
    const Powerup& powerup = now.view.powerup;
    const bool chasingPowerup = ai.goalX == powerup.x && ai.goalY == powerup.y && powerup.life > 0;
    if (shot.directLands && distance < now.traits.holdRange && !chasingPowerup && ai.wanderFor == 0) {
        const float across = angleTo(now.target.p.x - self.x, now.target.p.y - self.y) + 90.0f;
        float error = wrapDegrees(across - self.heading);
        if (error > 90.0f) error -= 180.0f;
        if (error < -90.0f) error += 180.0f;
        Controls controls = turnToward(error, 3.0f);
        if (std::fabs(error) < 30.0f) controls |= (ai.seenCount / 90) % 2 ? Forward : Backward;
        return controls;
    }
    Vec waypoint;
    const Vec goal = {ai.goalX, ai.goalY};
    if (!nextWaypoint(ai.map, {self.x, self.y}, 4 + 2 * ai.level, waypoint)) return driveTo(self, goal, ai.lastControls);
    const bool atGoal = std::hypot(waypoint.x - self.x, waypoint.y - self.y) < 0.8f;
    return driveTo(self, atGoal ? goal : waypoint, ai.lastControls);
}

// The other tank's bullet as seen (moved on by the delay it was seen with) and, in the
// bouncing variant, its own once it may hit its shooter.
Controls dodgeBullets(const ComputerPlayer& ai, const Moment& now, Controls plan, bool& dodging) {
    Threats threats;
    const Bullet& theirs = now.view.bullet;
    if (theirs.life > 0 && now.sight.mode == Steerable) {
        // Its shooter may turn it toward the tank all the way: followed as a homing bullet,
        // brought up to now from the frame it was seen in.
        Homing& h = threats.homing;
        h.live = std::isfinite(theirs.x) && std::isfinite(theirs.y) && std::isfinite(theirs.heading);
        h.x = theirs.x, h.y = theirs.y;
        h.dx = std::cos(theirs.heading * DEG_TO_RAD), h.dy = std::sin(theirs.heading * DEG_TO_RAD);
        h.steps = now.view.tank.powerupKind == BulletSpeed ? 2 : 1;
        const float turn = (now.view.tank.powerupKind == TankSpeed ? 2.0f : 1.0f) * DEG_TO_RAD;
        h.turnCos = std::cos(turn), h.turnSin = std::sin(turn);
        h.life = std::min(theirs.life, RAPID_BULLET_LIFE);
        for (int k = 0; k < now.traits.delay; ++k) advanceHoming(h, ai.map, {now.self.x, now.self.y});
    } else if (theirs.life > 0) {
        Flight& flight = threats.flights[threats.count];
        flight = liveFlight(now.sight, theirs, now.view.tank);
        for (int k = 0; k < flight.count; ++k) {
            flight.legs[k].t0 -= static_cast<float>(now.traits.delay);
            flight.legs[k].t1 -= static_cast<float>(now.traits.delay);
        }
        threats.safeUntil[threats.count++] = 0;
    }
    if (now.sight.mode == Bouncing && now.mine.life > 0) {
        threats.flights[threats.count] = liveFlight(now.sight, now.mine, now.self);
        threats.safeUntil[threats.count++] = static_cast<float>(std::max(0, now.mine.life - 194));
    }
    return dodge(ai.map, now.self, plan, threats, now.traits.lookAhead, dodging);
}

// What following a steered bullet under a plan of turns shows: the update it reaches the target
// (-1 if it does not within the horizon) and the nearest it comes (squared) before a wall or the
// shooter stops it.
struct SteerOutcome {
    int reachAt = -1;
    float nearest = 1e18f;
};

// A steered bullet in flight, followed ahead as the rules move it (its steps first, then the
// hull keys turn it), against the walls of the bullet grid.
struct SteerFlight {
    float x, y, dx, dy;  // position and unit direction
    int t;               // updates from now
    bool stopped;        // a wall, the target or its shooter ended the flight
};

struct SteerWorld {
    const ComputerMap& map;
    const Player& shooter;
    const Target& target;
    int steps;           // bullet steps per update
    float turnCos, turnSin;
    int selfSafe;        // updates the bullet cannot hit its shooter
    int horizon;
};

// Flies on until update `until`, turning `side` (+1 left, -1 right, 0 none) after each update.
void flySteered(const SteerWorld& w, SteerFlight& f, int side, int until, SteerOutcome& o) {
    constexpr float reach2 = TARGET_RADIUS * TARGET_RADIUS, self2 = SELF_RADIUS * SELF_RADIUS;
    const float travel = BULLET_SPEED * static_cast<float>(w.steps);
    const float s = w.turnSin * static_cast<float>(side);
    while (!f.stopped && f.t < until) {
        f.t += 1;
        f.x += travel * f.dx, f.y += travel * f.dy;
        if (bulletBlocked(w.map, f.x, f.y) || (w.steps == 2 && bulletBlocked(w.map, f.x - BULLET_SPEED * f.dx, f.y - BULLET_SPEED * f.dy))) {
            f.stopped = true;
            return;
        }
        const Vec there = w.target.at(static_cast<float>(f.t));
        const float tx = there.x - f.x, ty = there.y - f.y, apart2 = tx * tx + ty * ty;
        o.nearest = std::min(o.nearest, apart2);
        if (apart2 < reach2) {
            o.reachAt = f.t;
            f.stopped = true;
            return;
        }
        const float sx = w.shooter.x - f.x, sy = w.shooter.y - f.y;
        if (f.t > w.selfSafe && sx * sx + sy * sy < self2) {
            o.nearest = 1e18f;  // it would come back at its shooter
            f.stopped = true;
            return;
        }
        // Out of reach for the rest of the horizon, however it turns.
        const float left = TARGET_RADIUS + travel * static_cast<float>(w.horizon - f.t);
        if (apart2 > left * left) {
            f.stopped = true;
            return;
        }
        if (side != 0) {
            const float nx = f.dx * w.turnCos - f.dy * s, ny = f.dx * s + f.dy * w.turnCos;
            f.dx = nx, f.dy = ny;
        }
    }
}

// True when outcome a is better than b: reaching the target beats not reaching it, sooner beats
// later, and otherwise nearer beats farther.
bool betterSteer(const SteerOutcome& a, const SteerOutcome& b) {
    if ((a.reachAt >= 0) != (b.reachAt >= 0)) return a.reachAt >= 0;
    if (a.reachAt >= 0) return a.reachAt < b.reachAt;
    return a.nearest < b.nearest;
}

// The best of the steering plans for a bullet over the level's horizon: each first turn (none,
// left, right) held to the end, or until a switch to one of the others. Only the first turn is
// used; the plan is made again next frame, so the bullet bends round corners the straight way
// to the target misses. Plans with the same first turn share their common start.
SteerOutcome bestSteer(const ComputerMap& map, const Bullet& bullet, const Player& shooter, const Target& target,
                       int horizon, int& firstTurn) {
    static const int Switches[] = {10, 30, 60, 100};
    constexpr int SWITCHES = 4;
    const float turn = (shooter.powerupKind == TankSpeed ? 2.0f : 1.0f) * DEG_TO_RAD;  // a key press a tank update
    const SteerWorld w = {map, shooter, target, shooter.powerupKind == BulletSpeed ? 2 : 1,
                          std::cos(turn), std::sin(turn), std::max(0, bullet.life - 194), horizon};
    const SteerFlight start = {bullet.x, bullet.y, std::cos(bullet.heading * DEG_TO_RAD),
                               std::sin(bullet.heading * DEG_TO_RAD), 0, false};
    SteerOutcome best;
    firstTurn = 0;
    for (const int first : {0, 1, -1}) {
        SteerFlight kept[SWITCHES];
        SteerOutcome keptOutcome[SWITCHES];
        SteerFlight f = start;
        SteerOutcome bestHere;
        for (int k = 0; k < SWITCHES; ++k) {
            flySteered(w, f, first, Switches[k] - 1, bestHere);
            kept[k] = f, keptOutcome[k] = bestHere;
        }
        flySteered(w, f, first, horizon, bestHere);
        for (int k = 0; k < SWITCHES && Switches[k] < horizon; ++k) {
            if (kept[k].stopped) break;
            for (const int then : {0, 1, -1}) {
                if (then == first) continue;
                SteerFlight g = kept[k];
                SteerOutcome o = keptOutcome[k];
                flySteered(w, g, then, horizon, o);
                if (betterSteer(o, bestHere)) bestHere = o;
            }
        }
        if (first == 0) best = bestHere;  // turning the hull must earn its cost: straight wins ties
        else if (betterSteer(bestHere, best)) best = bestHere, firstTurn = first;
    }
    return best;
}

// In the steerable variant the hull keys turn the live bullet (and the hull with it): by the
// best plan that brings it to the target, or nearest to it, round walls on the way.
Controls steerBullet(const Moment& now, const ComputerMap& map, Controls controls) {
    const Bullet& mine = now.mine;
    if (now.sight.mode != Steerable || mine.life <= 0) return controls;
    const int horizon = std::min(now.traits.steerHorizon, static_cast<int>(mine.life));
    int turn = 0;
    const SteerOutcome best = bestSteer(map, mine, now.self, now.target, horizon, turn);
    if (best.reachAt < 0 && best.nearest > 36.0f) return controls;  // nothing to steer for
    const Controls steer = turn > 0 ? HullLeft : turn < 0 ? HullRight : 0;
    return static_cast<Controls>((controls & ~(HullLeft | HullRight)) | steer);
}

// True when a bullet fired now along world angle g could be steered to the target.
bool steeredShotReaches(const ComputerMap& map, const Moment& now, float g) {
    const float c = std::cos(g * DEG_TO_RAD), s = std::sin(g * DEG_TO_RAD);
    const float muzzle = MUZZLE_STEPS * BULLET_SPEED;
    const int32_t life = now.self.powerupKind == RapidFire ? RAPID_BULLET_LIFE : BULLET_LIFE;
    const Bullet shot = {now.self.x + muzzle * c, now.self.y + muzzle * s, 0, 0, g, life};
    if (bulletBlocked(map, shot.x, shot.y)) return false;
    int turn = 0;
    return bestSteer(map, shot, now.self, now.target, std::min(now.traits.steerHorizon, life), turn).reachAt >= 0;
}

// True when a shot along g does not come back at the shooter soon (a bounced shot that comes
// back late leaves time to dodge it like any other).
bool coverShotSafe(const Moment& now, float g) {
    if (now.sight.mode != Bouncing) return true;
    const Flight flight = shotFlight(now.sight, now.self, g);
    const float back = firstPass(flight, {now.self.x, now.self.y}, {0, 0}, SELF_RADIUS, OWN_BULLET_SAFE);
    return back < 0 || back > COVER_SHOT_RETURN;
}

// The turret toward the shot (or out of a wall's way), and fire when the shot lands; after
// standing long with nothing in flight, a shot anyway when it does not come back soon.
Controls aimAndFire(ComputerPlayer& ai, const Moment& now, const Shot& shot, Controls controls) {
    const Player& self = now.self;
    const bool canFire = now.mine.life <= 0 || (self.powerupKind == RapidFire && now.mine.life < 560);
    float aim = (!shot.directLands && shot.bounceReady ? ai.bounceAngle : shot.direct) + ai.aimError;
    if (ai.coverFor > 0) {
        ai.coverFor -= 1;
        if (!shot.directLands && !shot.bounceReady) aim = ai.coverAngle;
    }
    float gun = self.heading + self.turretAngle;
    const Controls barrel = freeBarrel(now.sight, self, controls);
    if (barrel) ai.parkTurretFor = 60;  // keep the barrel out of the wall while passing it
    const bool parked = ai.parkTurretFor > 0;
    if (parked) {
        ai.parkTurretFor -= 1;
        controls |= barrel;
    } else {
        controls |= turretToward(self, controls, aim, gun);
    }
    const float tolerance = now.sight.mode == Steerable ? 3.0f : 0.35f;
    const bool onTarget = !parked && std::fabs(wrapDegrees(aim - gun)) < tolerance;
    bool fire = false;
    if (canFire && !ai.fireDown && onTarget) {
        if (shot.directLands)
            fire = true;
        else if (shot.bounceReady)
            fire = shotLands(now.sight, self, gun, {now.target.p, {0, 0}}, TARGET_RADIUS + 0.5f);
    }
    // A steered shot need not fly straight: fire along the barrel when a plan of turns brings
    // the bullet to the target within the level's horizon.
    if (canFire && !ai.fireDown && !fire && !parked && now.sight.mode == Steerable && ai.seenCount % 2 == 0)
        fire = steeredShotReaches(ai.map, now, gun);
    if (canFire && !ai.fireDown && !fire && ai.stillFrames > 120) {
        fire = coverShotSafe(now, gun);
        // Not along the barrel: look for a direction near it, for the turret to turn to.
        if (!fire && !parked && !shot.directLands) {
            const float tryAngle = gun + 40.0f * spread(ai);
            if (coverShotSafe(now, tryAngle)) ai.coverAngle = tryAngle, ai.coverFor = 120;
        }
    }
    if (fire) {
        ai.coverFor = 0;
        controls |= FireHeld | FirePressed;
        ai.aimError = now.traits.aimError * spread(ai);
        ai.bounceValidFor = 0;
    }
    ai.fireDown = fire;
    return controls;
}

}  // namespace


ComputerSight sightOf(const GameState& game) {
    ComputerSight sight;
    for (int p = 0; p < 2 && p < game.playerCount; ++p) {
        sight.tanks[p] = game.players[p];
        sight.bullets[p] = game.bullets[p];
    }
    sight.powerup = game.powerup;
    sight.walls = game.playfield.blocks;
    sight.wallCount = game.playfield.blocks ? game.playfield.blockCount : 0;
    sight.mode = game.gameMode;
    sight.matchRunning = game.matchRunning && game.playerCount >= 2;
    sight.hitShown = game.hitCountdown >= 0;
    return sight;
}

ComputerPlayer makeComputer(int level, uint32_t seed) {
    ComputerPlayer ai;
    ai.level = std::clamp(level, 1, 3);
    ai.randomState = seed * 2654435761u + 12345u;
    return ai;
}

Controls thinkComputer(ComputerPlayer& ai, int me, const ComputerSight& sight) {
    const auto finite = [](const Player& t) {
        return std::isfinite(t.x) && std::isfinite(t.y) && std::isfinite(t.heading) && std::isfinite(t.turretAngle);
    };
    if (me < 0 || me > 1 || !sight.matchRunning || sight.hitShown || !finite(sight.tanks[0]) ||
        !finite(sight.tanks[1])) {
        resetMoment(ai);
        return 0;
    }
    const LevelTraits& traits = Levels[std::clamp(ai.level, 1, 3) - 1];
    if (ai.map.walls != sight.walls || ai.map.wallCount != sight.wallCount) buildClearance(ai.map, sight);
    remember(ai, 1 - me, sight);
    const Moment now = {sight, traits, seenAgo(ai, traits.delay), sight.tanks[me], sight.bullets[me],
                        targetSeen(ai, traits)};

    watchProgress(ai, sight, now.self, now.view.tank, now.mine);
    chooseGoal(ai, now);
    const Shot shot = shotNow(ai, now);
    bool dodging = false;
    const Controls planned = steerBullet(now, ai.map, drive(ai, now, shot));
    Controls controls = dodgeBullets(ai, now, planned, dodging);
    controls = aimAndFire(ai, now, shot, controls);

    ai.lastX = now.self.x, ai.lastY = now.self.y;
    ai.lastHeading = now.self.heading, ai.lastTurret = now.self.turretAngle;
    ai.lastControls = controls;
    return controls;
}
