// The game state as bytes: an explicit, versioned, little-endian layout (never a copy of the
// records with their padding), so that a saved state restores exactly on any build, and its hash
// is the same wherever the same frames were played. The arena is not part of it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "game/game.h"

constexpr uint16_t STATE_LAYOUT_VERSION = 1;
constexpr size_t STATE_BYTES = 357;  // the layout's size, version included

// Writes the state into out (STATE_BYTES long).
void saveState(const GameState& game, uint8_t out[STATE_BYTES]);
// Restores a saved state; false, with the game unchanged, for bytes of another layout version,
// of another size, or with a value no frame can produce (a count, a variant, a kind out of range).
bool restoreState(GameState& game, const uint8_t* bytes, size_t size);
// A 64-bit hash of the saved bytes.
uint64_t hashState(const GameState& game);
uint64_t hashBytes(const uint8_t* bytes, size_t size);
