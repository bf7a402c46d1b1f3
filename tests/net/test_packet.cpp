#include <gtest/gtest.h>

#include <cstring>

#include "net/packet.h"

namespace {

Packet playWithEverything() {
    Packet p;
    p.token = 0xA1B2C3D4;
    Play& play = p.play;
    play.stamp = 65535;
    play.echoStamp = 17;
    play.echoHeldMs = 9;
    play.messageAck = 4;
    play.hasInputs = true;
    play.match = 3;
    play.presentFrame = 1234;
    play.advantage = -3;
    play.ackFrame = 1200;
    play.firstFrame = 1201;
    play.inputCount = MAX_PACKET_FRAMES;
    for (int i = 0; i < MAX_PACKET_FRAMES; ++i)
        play.inputs[i] = SideInput{Controls(i / 7 * 3), GameKeys(i == 5 ? LeaveHeld | LeavePressed : 0), int8_t(i % 3 - 1)};
    play.hasHash = true;
    play.hashMatch = 3;
    play.hashFrame = 1150;
    play.hash = 0x0123456789ABCDEFull;
    play.hasMessage = true;
    play.message.sequence = 5;
    play.message.type = MessageType::StartMatch;
    play.message.match = 3;
    play.message.inputDelay = 2;
    play.message.hostStart = SideInput{0, StartBouncingKey, 1};
    play.message.clockBase = 1700000000;
    for (size_t i = 0; i < STATE_BYTES; ++i) play.message.state[i] = uint8_t(i * 7);
    return p;
}

std::vector<uint8_t> roundTrip(const Packet& in, Packet& out) {
    const std::vector<uint8_t> bytes = writePacket(in);
    EXPECT_EQ(readPacket(bytes.data(), bytes.size(), out), PacketProblem::None);
    EXPECT_EQ(writePacket(out), bytes);
    return bytes;
}

}  // namespace

TEST(Packet, EveryKindReadsBackAsWritten) {
    Packet out;
    const std::vector<uint8_t> play = roundTrip(playWithEverything(), out);
    EXPECT_LE(play.size(), MAX_PACKET_BYTES);
    EXPECT_EQ(out.play.inputs[5].gameKeys, LeaveHeld | LeavePressed);
    EXPECT_EQ(out.play.message.state[100], uint8_t(700));
    EXPECT_EQ(out.play.advantage, -3);

    Packet hello;
    hello.kind = PacketKind::Hello;
    hello.hello = Hello{7, 8, 9};
    EXPECT_EQ(roundTrip(hello, out).size(), HELLO_BYTES);
    EXPECT_EQ(out.hello.dataHash, 9u);

    // Every answer to a hello is smaller than the hello.
    Packet welcome, refusal;
    welcome.kind = PacketKind::Welcome;
    refusal.kind = PacketKind::Refuse;
    refusal.refuse.reason = RefuseReason::OtherArena;
    EXPECT_LT(roundTrip(welcome, out).size(), HELLO_BYTES);
    EXPECT_LT(roundTrip(refusal, out).size(), HELLO_BYTES);
    EXPECT_EQ(out.refuse.reason, RefuseReason::OtherArena);
}

// A packet sent by a frame with the same input throughout takes one run.
TEST(Packet, EqualInputsTravelAsOneRun) {
    Packet p;
    p.play.hasInputs = true;
    p.play.inputCount = 40;
    for (int i = 0; i < 40; ++i) p.play.inputs[i] = SideInput{Forward, 0, 0};
    Packet out;
    EXPECT_EQ(roundTrip(p, out).size(), PACKET_HEADER_BYTES + 8 + 15 + 4);
}

TEST(Packet, AnythingElseIsDroppedWhole) {
    const std::vector<uint8_t> good = writePacket(playWithEverything());
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        PacketProblem problem;
    };
    auto changed = [&](size_t at, uint8_t value) {
        std::vector<uint8_t> b = good;
        b[at] = value;
        return b;
    };
    std::vector<uint8_t> longer = good;
    longer.push_back(0);
    longer[6] = uint8_t(longer.size());
    longer[7] = uint8_t(longer.size() >> 8);
    const Case cases[] = {
        {"empty", {}, PacketProblem::NotOurs},
        {"header only, cut", std::vector<uint8_t>(good.begin(), good.begin() + 11), PacketProblem::NotOurs},
        {"no magic", changed(0, 'X'), PacketProblem::NotOurs},
        {"too long", std::vector<uint8_t>(MAX_PACKET_BYTES + 1, 0), PacketProblem::NotOurs},
        {"cut", std::vector<uint8_t>(good.begin(), good.end() - 1), PacketProblem::BadLength},
        {"another version", changed(4, PROTOCOL_VERSION + 1), PacketProblem::OtherVersion},
        {"unknown kind", changed(5, 9), PacketProblem::BadKind},
        {"unknown flag", changed(PACKET_HEADER_BYTES + 7, 0x80), PacketProblem::Malformed},
        {"a byte after the end", longer, PacketProblem::Malformed},
    };
    for (const Case& c : cases) {
        Packet out;
        EXPECT_EQ(readPacket(c.bytes.data(), c.bytes.size(), out), c.problem) << c.name;
    }
}
