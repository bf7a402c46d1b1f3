#include "net/packet.h"

#include <cstring>

#include "game/little_endian.h"

namespace {

constexpr uint8_t MAGIC[4] = {'T', 'V', 'X', 'N'};

enum PlayFlag : uint8_t { HasInputs = 1, HasHash = 2, HasMessage = 4 };
constexpr uint8_t KNOWN_PLAY_FLAGS = HasInputs | HasHash | HasMessage;

// ---- writing -----------------------------------------------------------------------------------

void writeSideInput(ByteWriter& out, const SideInput& input) {
    out.u8(input.controls);
    out.u8(input.gameKeys);
    out.u8(uint8_t(input.mouseStep));
}

void writeState(ByteWriter& out, const uint8_t* state) {
    out.bytes.insert(out.bytes.end(), state, state + STATE_BYTES);
}

void writeMessage(ByteWriter& out, const SessionMessage& message) {
    out.u16(message.sequence);
    out.u8(uint8_t(message.type));
    switch (message.type) {
    case MessageType::StartMatch:
        out.u8(message.match);
        out.u8(message.inputDelay);
        writeSideInput(out, message.hostStart);
        out.u32(message.clockBase);
        writeState(out, message.state);
        break;
    case MessageType::Resync:
        out.u8(message.match);
        out.u32(uint32_t(message.frame));
        writeState(out, message.state);
        break;
    case MessageType::Bye:
        break;
    }
}

void writePlay(ByteWriter& out, const Play& play) {
    out.u16(play.stamp);
    out.u16(play.echoStamp);
    out.u8(play.echoHeldMs);
    out.u16(play.messageAck);
    out.u8(uint8_t((play.hasInputs ? HasInputs : 0) | (play.hasHash ? HasHash : 0) |
                   (play.hasMessage ? HasMessage : 0)));
    if (play.hasInputs) {
        out.u8(play.match);
        out.u32(uint32_t(play.presentFrame));
        out.u8(uint8_t(play.advantage));
        out.u32(uint32_t(play.ackFrame));
        out.u32(uint32_t(play.firstFrame));
        const uint8_t count = play.inputCount <= MAX_PACKET_FRAMES ? play.inputCount : MAX_PACKET_FRAMES;
        out.u8(count);
        for (int i = 0; i < count;) {
            int run = 1;
            while (i + run < count && play.inputs[i + run] == play.inputs[i]) ++run;
            out.u8(uint8_t(run));
            writeSideInput(out, play.inputs[i]);
            i += run;
        }
    }
    if (play.hasHash) {
        out.u8(play.hashMatch);
        out.u32(uint32_t(play.hashFrame));
        out.u64(play.hash);
    }
    if (play.hasMessage) writeMessage(out, play.message);
}

// ---- reading -----------------------------------------------------------------------------------

// A frame's input as the rules can take it: a mouse step of -1..1.
bool readSideInput(ByteReader& in, SideInput& input) {
    input.controls = in.u8();
    input.gameKeys = in.u8();
    input.mouseStep = int8_t(in.u8());
    return input.mouseStep >= -1 && input.mouseStep <= 1;
}

void readState(ByteReader& in, uint8_t* state) {
    if (in.end - in.at < ptrdiff_t(STATE_BYTES)) {
        in.failed = true;
        return;
    }
    std::memcpy(state, in.at, STATE_BYTES);
    in.at += STATE_BYTES;
}

bool readMessage(ByteReader& in, SessionMessage& message) {
    message.sequence = in.u16();
    const uint8_t type = in.u8();
    switch (type) {
    case uint8_t(MessageType::StartMatch):
        message.type = MessageType::StartMatch;
        message.match = in.u8();
        message.inputDelay = in.u8();
        if (!readSideInput(in, message.hostStart)) return false;
        message.clockBase = in.u32();
        readState(in, message.state);
        break;
    case uint8_t(MessageType::Resync):
        message.type = MessageType::Resync;
        message.match = in.u8();
        message.frame = int32_t(in.u32());
        readState(in, message.state);
        break;
    case uint8_t(MessageType::Bye):
        message.type = MessageType::Bye;
        break;
    default:
        return false;
    }
    return !in.failed && message.sequence != 0;
}

bool readPlay(ByteReader& in, Play& play) {
    play.stamp = in.u16();
    play.echoStamp = in.u16();
    play.echoHeldMs = in.u8();
    play.messageAck = in.u16();
    const uint8_t flags = in.u8();
    if (flags & ~KNOWN_PLAY_FLAGS) return false;
    play.hasInputs = flags & HasInputs;
    play.hasHash = flags & HasHash;
    play.hasMessage = flags & HasMessage;
    if (play.hasInputs) {
        play.match = in.u8();
        play.presentFrame = int32_t(in.u32());
        play.advantage = int8_t(in.u8());
        play.ackFrame = int32_t(in.u32());
        play.firstFrame = int32_t(in.u32());
        play.inputCount = in.u8();
        if (play.inputCount > MAX_PACKET_FRAMES || play.firstFrame < 0 || play.ackFrame < -1) return false;
        for (int i = 0; i < play.inputCount;) {
            const int run = in.u8();
            SideInput input;
            if (run == 0 || run > play.inputCount - i || !readSideInput(in, input)) return false;
            for (int k = 0; k < run; ++k) play.inputs[i++] = input;
        }
    }
    if (play.hasHash) {
        play.hashMatch = in.u8();
        play.hashFrame = int32_t(in.u32());
        play.hash = in.u64();
        if (play.hashFrame < 0) return false;
    }
    if (play.hasMessage && !readMessage(in, play.message)) return false;
    return !in.failed;
}

bool readBody(ByteReader& in, Packet& out) {
    switch (out.kind) {
    case PacketKind::Hello:
        out.hello.nonce = in.u32();
        out.hello.arenaHash = in.u64();
        out.hello.dataHash = in.u64();
        in.at = in.end;  // the rest is padding
        return !in.failed;
    case PacketKind::Welcome:
        out.welcome.nonce = in.u32();
        break;
    case PacketKind::Refuse: {
        out.refuse.nonce = in.u32();
        const uint8_t reason = in.u8();
        if (reason < uint8_t(RefuseReason::OtherVersion) || reason > uint8_t(RefuseReason::Busy)) return false;
        out.refuse.reason = RefuseReason(reason);
        out.refuse.hostVersion = in.u8();
        break;
    }
    case PacketKind::Play:
        if (!readPlay(in, out.play)) return false;
        break;
    }
    return !in.failed && in.at == in.end;
}

}  // namespace

PacketProblem readPacket(const uint8_t* data, size_t size, Packet& out) {
    if (size < PACKET_HEADER_BYTES || size > MAX_PACKET_BYTES || std::memcmp(data, MAGIC, sizeof MAGIC) != 0)
        return PacketProblem::NotOurs;
    ByteReader in{data + sizeof MAGIC, data + size};
    out.version = in.u8();
    const uint8_t kind = in.u8();
    const uint16_t length = in.u16();
    out.token = in.u32();
    if (length != size) return PacketProblem::BadLength;
    if (kind < uint8_t(PacketKind::Hello) || kind > uint8_t(PacketKind::Play)) return PacketProblem::BadKind;
    out.kind = PacketKind(kind);
    // Another version's packets are not read, except a refusal, whose layout every version shares.
    if (out.version != PROTOCOL_VERSION && out.kind != PacketKind::Refuse) return PacketProblem::OtherVersion;
    if (!readBody(in, out)) return PacketProblem::Malformed;
    return out.version == PROTOCOL_VERSION ? PacketProblem::None : PacketProblem::OtherVersion;
}

std::vector<uint8_t> writePacket(const Packet& packet) {
    ByteWriter out;
    out.bytes.assign(MAGIC, MAGIC + sizeof MAGIC);
    out.u8(packet.version);
    out.u8(uint8_t(packet.kind));
    out.u16(0);  // the length, filled in below
    out.u32(packet.token);
    switch (packet.kind) {
    case PacketKind::Hello:
        out.u32(packet.hello.nonce);
        out.u64(packet.hello.arenaHash);
        out.u64(packet.hello.dataHash);
        out.bytes.resize(HELLO_BYTES, 0);
        break;
    case PacketKind::Welcome:
        out.u32(packet.welcome.nonce);
        break;
    case PacketKind::Refuse:
        out.u32(packet.refuse.nonce);
        out.u8(uint8_t(packet.refuse.reason));
        out.u8(packet.refuse.hostVersion);
        break;
    case PacketKind::Play:
        writePlay(out, packet.play);
        break;
    }
    const size_t length = out.bytes.size();
    out.bytes[6] = uint8_t(length);
    out.bytes[7] = uint8_t(length >> 8);
    return out.bytes;
}
