// The datagrams two copies of the game exchange. Every packet starts with the same twelve bytes:
// a fixed magic, the protocol version, the kind, the packet's own length and the session token
// (0 before there is one). Everything is little-endian and read with bounds checks: a packet that
// is not exactly what its header says is dropped whole, never half read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "game/frame_input.h"
#include "game/state_bytes.h"

// Changes whenever the packets or the session's rules change: copies of other versions refuse
// each other in the hello.
constexpr uint8_t PROTOCOL_VERSION = 1;
constexpr size_t PACKET_HEADER_BYTES = 12;
// No packet we send is longer; a longer datagram is not ours.
constexpr size_t MAX_PACKET_BYTES = 1024;
// A hello is padded to this size, so that no answer to it is larger than the hello: the port
// cannot be used to amplify traffic toward a forged address.
constexpr size_t HELLO_BYTES = 96;
// The most frames of input one packet carries.
constexpr int MAX_PACKET_FRAMES = 64;

enum class PacketKind : uint8_t { Hello = 1, Welcome = 2, Refuse = 3, Play = 4 };

// One side's input for one frame: what the frame's FrameInput takes from that side.
struct SideInput {
    Controls controls = 0;
    GameKeys gameKeys = 0;
    int8_t mouseStep = 0;
};
inline bool operator==(const SideInput& a, const SideInput& b) {
    return a.controls == b.controls && a.gameKeys == b.gameKeys && a.mouseStep == b.mouseStep;
}
inline bool operator!=(const SideInput& a, const SideInput& b) { return !(a == b); }

// The joining side asks to play: its protocol version (in the header), its arena and data.
struct Hello {
    uint32_t nonce = 0;      // the joiner's random number, echoed so it knows the answer is to it
    uint64_t arenaHash = 0;
    uint64_t dataHash = 0;
};

// The host accepts: from now on every packet carries the token (in the header).
struct Welcome {
    uint32_t nonce = 0;
};

enum class RefuseReason : uint8_t { OtherVersion = 1, OtherArena = 2, OtherData = 3, Busy = 4 };
// The host refuses. Its layout never changes, so that any version can read why.
struct Refuse {
    uint32_t nonce = 0;
    RefuseReason reason = RefuseReason::Busy;
    uint8_t hostVersion = PROTOCOL_VERSION;
};

// The session's messages, sent again until the other side acknowledges them.
enum class MessageType : uint8_t { StartMatch = 1, Resync = 2, Bye = 3 };
struct SessionMessage {
    uint16_t sequence = 0;   // 1, 2, ...: the order they were sent in
    MessageType type = MessageType::Bye;
    uint8_t match = 0;       // StartMatch, Resync: the match it concerns
    uint8_t inputDelay = 0;  // StartMatch
    SideInput hostStart;     // StartMatch: the host's input for frame 0 (the key that starts it)
    uint32_t clockBase = 0;  // StartMatch: the clock of frame f is clockBase + f / 100
    int32_t frame = 0;       // Resync: the frame the state is from (the state before it ran)
    uint8_t state[STATE_BYTES] = {};  // StartMatch: the state before frame 0; Resync: the host's
};

// What a side sends every frame once the session is set up; sections are there when their flag is.
struct Play {
    // Round-trip time: the sender's clock in milliseconds (modulo 2^16), and the last stamp it
    // received with how long it held it (at most 255 ms).
    uint16_t stamp = 0;
    uint16_t echoStamp = 0;
    uint8_t echoHeldMs = 0;
    uint16_t messageAck = 0;  // the last session message received in order (0: none)

    bool hasInputs = false;
    uint8_t match = 0;
    int32_t presentFrame = 0;  // the frame the sender runs next
    int8_t advantage = 0;      // how many frames the sender thinks it runs ahead of the other
    int32_t ackFrame = -1;     // every frame of the receiver's input up to this one has arrived
    int32_t firstFrame = 0;    // the frame of inputs[0]
    uint8_t inputCount = 0;    // sent as runs of equal inputs: a count and the input
    SideInput inputs[MAX_PACKET_FRAMES];

    bool hasHash = false;      // the state hash at the start of a confirmed frame
    uint8_t hashMatch = 0;
    int32_t hashFrame = 0;
    uint64_t hash = 0;

    bool hasMessage = false;
    SessionMessage message;
};

struct Packet {
    PacketKind kind = PacketKind::Play;
    uint8_t version = PROTOCOL_VERSION;
    uint32_t token = 0;
    Hello hello;
    Welcome welcome;
    Refuse refuse;
    Play play;
};

enum class PacketProblem : uint8_t {
    None,
    NotOurs,       // too short, too long, or no magic
    OtherVersion,  // ours, but another protocol version (only a Refuse is read then)
    BadLength,     // the header's length is not the datagram's
    BadKind,
    Malformed,     // a body that ends early, runs on, or holds a value out of range
};

// Reads a datagram. On anything but None the packet is to be dropped; with OtherVersion the
// header (and, for a Refuse, its body) is read.
PacketProblem readPacket(const uint8_t* data, size_t size, Packet& out);
// The bytes of a packet (at most MAX_PACKET_BYTES).
std::vector<uint8_t> writePacket(const Packet& packet);
