#include "game/state_bytes.h"

#include "game/float_bits.h"

namespace {

// Lists every saved field once, in layout order; the writer and the reader walk the same list.
template <typename State, typename Io>
void eachField(State& game, Io& io) {
    io.u32(game.playerCount);
    for (int p = 0; p < MAX_PLAYERS; ++p) {
        auto& player = game.players[p];
        io.f32(player.x), io.f32(player.y), io.f32(player.red), io.f32(player.green), io.f32(player.blue);
        io.f32(player.heading), io.f32(player.turretAngle);
        io.f32(player.rightTrackScroll), io.f32(player.leftTrackScroll);
        io.u32(player.lives), io.u32(player.powerupKind), io.u32(player.powerupTimer);
        auto& bullet = game.bullets[p];
        io.f32(bullet.x), io.f32(bullet.y), io.f32(bullet.vx), io.f32(bullet.vy), io.f32(bullet.heading);
        io.u32(bullet.life);
        io.flag(game.fireLatch[p]);
    }
    io.mode(game.gameMode);
    io.flag(game.matchRunning), io.flag(game.matchPaused), io.flag(game.engineWanted);
    io.u32(game.hitCountdown), io.u32(game.hitPlayer);
    io.u32(game.powerup.life), io.f32(game.powerup.x), io.f32(game.powerup.y), io.u32(game.powerup.kind);
    io.u32(game.spawnTimer), io.u32(game.randomState);
    io.flag(game.leaveLatch), io.flag(game.pauseKeyWasDown[0]), io.flag(game.pauseKeyWasDown[1]);
    io.f32(game.frameTime), io.f32(game.bulletSpin), io.f32(game.powerupSpin);
    io.f32(game.shieldPulse), io.f32(game.shieldPulseStep);
}

struct Writer {
    uint8_t* out;
    size_t at = 0;
    void byte(uint8_t b) { out[at++] = b; }
    void word(uint32_t w) {
        for (int k = 0; k < 4; ++k) byte(static_cast<uint8_t>(w >> (8 * k)));
    }
    void u32(int32_t v) { word(static_cast<uint32_t>(v)); }
    void u32(uint32_t v) { word(v); }
    void f32(float f) { word(floatBits(f)); }
    void flag(bool b) { byte(b ? 1 : 0); }
    void mode(GameMode m) { byte(static_cast<uint8_t>(m)); }
};

struct Reader {
    const uint8_t* in;
    size_t at = 0;
    bool valid = true;
    uint8_t byte() { return in[at++]; }
    uint32_t word() {
        uint32_t w = 0;
        for (int k = 0; k < 4; ++k) w |= uint32_t{byte()} << (8 * k);
        return w;
    }
    void u32(int32_t& v) { v = static_cast<int32_t>(word()); }
    void u32(uint32_t& v) { v = word(); }
    void f32(float& f) { f = bitsFloat(word()); }
    void flag(bool& b) {
        const uint8_t v = byte();
        valid &= v <= 1;
        b = v == 1;
    }
    void mode(GameMode& m) {
        const uint8_t v = byte();
        valid &= v <= Steerable;
        m = v <= Steerable ? static_cast<GameMode>(v) : Regular;
    }
};

// Values the rules index or switch on must lie where a frame can put them.
bool plausible(const GameState& game) {
    if (game.playerCount < 0 || game.playerCount > MAX_PLAYERS) return false;
    if (game.hitPlayer < -1 || game.hitPlayer >= MAX_PLAYERS) return false;
    if (game.powerup.kind < NoPowerup || game.powerup.kind > RapidFire) return false;
    for (const Player& player : game.players)
        if (player.powerupKind < NoPowerup || player.powerupKind > RapidFire) return false;
    return true;
}

}  // namespace

void saveState(const GameState& game, uint8_t out[STATE_BYTES]) {
    Writer writer{out};
    writer.byte(static_cast<uint8_t>(STATE_LAYOUT_VERSION));
    writer.byte(static_cast<uint8_t>(STATE_LAYOUT_VERSION >> 8));
    eachField(game, writer);
}

bool restoreState(GameState& game, const uint8_t* bytes, size_t size) {
    if (!bytes || size != STATE_BYTES) return false;
    if ((bytes[0] | bytes[1] << 8) != STATE_LAYOUT_VERSION) return false;
    GameState restored = game;  // keeps the arena
    Reader reader{bytes, 2};
    eachField(restored, reader);
    if (!reader.valid || !plausible(restored)) return false;
    game = restored;
    return true;
}

uint64_t hashBytes(const uint8_t* bytes, size_t size) {
    // Eight bytes a round through a multiply-and-fold mix; the length is mixed in last.
    uint64_t h = 0x243F6A8885A308D3ull;
    size_t at = 0;
    for (; at + 8 <= size; at += 8) {
        uint64_t word = 0;
        for (int k = 0; k < 8; ++k) word |= uint64_t{bytes[at + k]} << (8 * k);
        h = (h ^ word) * 0x9E3779B97F4A7C15ull;
        h ^= h >> 29;
    }
    uint64_t last = 0;
    for (int k = 0; at < size; ++at, ++k) last |= uint64_t{bytes[at]} << (8 * k);
    h = (h ^ last ^ (uint64_t{size} << 56)) * 0x9E3779B97F4A7C15ull;
    return h ^ (h >> 31);
}

uint64_t hashState(const GameState& game) {
    uint8_t bytes[STATE_BYTES];
    saveState(game, bytes);
    return hashBytes(bytes, STATE_BYTES);
}
