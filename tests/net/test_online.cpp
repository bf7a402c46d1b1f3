// Two sessions, host and joiner, each with its own game, stepped together every 10 ms of virtual
// time through a seeded relay.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "game/frame_rules.h"
#include "game/game.h"
#include "net/online_session.h"
#include "net/random_input.h"
#include "net/relay.h"

namespace {

NetAddress loopback(uint16_t port) {
    NetAddress a;
    a.family = 4;
    a.bytes[0] = 127;
    a.bytes[3] = 1;
    a.port = port;
    return a;
}

const NetAddress HOST_ADDRESS = loopback(1000), JOINER_ADDRESS = loopback(2000), STRANGER = loopback(3000);
constexpr uint64_t TICK = 10000;

struct Peer {
    GameState game{};
    std::unique_ptr<OnlineSession> session;
    RandomInput random;
    std::vector<std::string> log;
    explicit Peer(uint32_t seed) : random(seed) {}
};

class OnlinePair {
public:
    explicit OnlinePair(const NetworkConditions& conditions, SessionIdentity joinerIdentity = {1, 2})
        : relay(conditions), peers{Peer(11), Peer(22)} {
        for (int s = 0; s < 2; ++s) {
            resetGameState(peers[s].game);
            initGame(peers[s].game, "data/playfield.txt", 1000 + s);
            peers[s].session = std::make_unique<OnlineSession>(peers[s].game, s == 0 ? SessionIdentity{1, 2} : joinerIdentity,
                                                               77 + s);
            peers[s].session->log = [this, s](const std::string& line) { peers[s].log.push_back(line); };
        }
        host().host(now);
        joiner().join(HOST_ADDRESS, now);
    }
    ~OnlinePair() {
        for (Peer& p : peers) releaseGame(p.game);
    }
    OnlineSession& host() { return *peers[0].session; }
    OnlineSession& joiner() { return *peers[1].session; }

    // One frame on both sides: what arrived, the tick (the host starts a match whenever none
    // runs), and what they sent into the relay.
    void step() {
        now += TICK;
        for (Relay::Delivery& d : relay.due(now))
            peers[d.side].session->receive(d.side == 0 ? JOINER_ADDRESS : HOST_ADDRESS, d.bytes.data(), d.bytes.size(), now);
        for (int s = 0; s < 2; ++s) {
            OnlineSession& session = *peers[s].session;
            SideInput input = peers[s].random.next();
            if (s == 0 && autoStart && session.connected() && !session.inMatch()) session.startMatch(StartRegularKey, 0, 5000);
            if (!session.inMatch()) advanceFrame(peers[s].game, FrameInput{});  // the title screen's own frame
            const TickResult result = session.tick(input, now);
            matchesEnded[s] += result.matchEnded;
            send(s);
        }
    }
    void send(int s) {
        for (Datagram& d : peers[s].session->takeOutgoing()) relay.send(1 - s, std::move(d.bytes), now);
    }
    void run(double seconds) {
        for (int i = 0; i < seconds * 100; ++i) step();
    }
    // The latest frame both sides have hashed, and whether their hashes of it agree.
    bool latestCommonCheckpointAgrees(int32_t& frame) {
        const Rollback& a = host().rollback();
        const Rollback& b = joiner().rollback();
        frame = std::min(a.confirmedFrame(), b.confirmedFrame()) / HASH_INTERVAL * HASH_INTERVAL;
        const Checkpoint* x = a.checkpointAt(frame);
        const Checkpoint* y = b.checkpointAt(frame);
        return x && y && x->hash == y->hash;
    }

    uint64_t now = 1000000;
    Relay relay;
    Peer peers[2];
    bool autoStart = true;
    int matchesEnded[2] = {};
};

NetworkConditions rough(int roundTripMs, uint64_t seed) {
    return NetworkConditions{roundTripMs, 10, 5.0, 2.0, 10.0, seed};
}

}  // namespace

// A minute of random play at each round trip, with loss, duplicates and reordering: the sides
// agree on every confirmed frame they compare, and the game does not run away from the other side.
TEST(Online, SidesAgreeOverAMinuteOfPlay) {
    for (int roundTrip : {0, 100, 250}) {
        SCOPED_TRACE("round trip " + std::to_string(roundTrip) + " ms");
        OnlinePair pair(rough(roundTrip, 1234 + roundTrip));
        pair.run(60);
        for (Peer& p : pair.peers) {
            const SessionFigures f = p.session->figures(pair.now);
            EXPECT_EQ(f.mismatches, 0);
            EXPECT_GT(f.hashesCompared, 60);
            EXPECT_GT(f.frames, 5000);
            EXPECT_LE(f.rollbackP99, PREDICTION_WINDOW);
            EXPECT_LT(f.waited, 300);
            EXPECT_TRUE(p.log.empty()) << p.log.front();
        }
        int32_t frame = 0;
        EXPECT_TRUE(pair.latestCommonCheckpointAgrees(frame)) << "frame " << frame;
    }
}

// The joiner's confirmed game is made to differ: the next hash check finds it, the host sends its
// state, and from then on the sides agree again.
TEST(Online, AMismatchIsFoundAndHealed) {
    OnlinePair pair(rough(60, 99));
    pair.run(5);
    Rollback& joined = pair.joiner().rollback();
    const Checkpoint* latest = joined.latestCheckpoint();
    ASSERT_NE(latest, nullptr);
    GameState altered = joined.confirmedGame();
    uint8_t state[STATE_BYTES];
    std::memcpy(state, latest->state, STATE_BYTES);
    ASSERT_TRUE(restoreState(altered, state, STATE_BYTES));
    altered.players[1].lives = 1;
    saveState(altered, state);
    ASSERT_TRUE(joined.resync(latest->frame, state));
    pair.run(5);
    EXPECT_GE(pair.host().figures(pair.now).mismatches, 1);
    EXPECT_EQ(pair.host().figures(pair.now).healed, 1);
    EXPECT_EQ(pair.joiner().figures(pair.now).healed, 1);
    ASSERT_FALSE(pair.peers[1].log.empty());
    EXPECT_NE(pair.peers[1].log.front().find("disagree"), std::string::npos);
    int32_t frame = 0;
    EXPECT_TRUE(pair.latestCommonCheckpointAgrees(frame)) << "frame " << frame;
}

// Escape on either side ends the match on both at the same frame; the session stays and the host
// starts the next one.
TEST(Online, EscapeEndsTheMatchOnBothSidesAndTheSessionStays) {
    OnlinePair pair(rough(80, 5));
    pair.run(3);
    ASSERT_TRUE(pair.host().inMatch());
    pair.autoStart = false;
    // The joiner presses Escape for one frame.
    pair.peers[1].session->tick(SideInput{0, LeaveHeld | LeavePressed, 0}, pair.now);
    pair.send(1);
    pair.run(3);
    EXPECT_FALSE(pair.host().inMatch());
    EXPECT_FALSE(pair.joiner().inMatch());
    EXPECT_EQ(pair.matchesEnded[0], 1);
    EXPECT_EQ(pair.matchesEnded[1], 1);
    EXPECT_EQ(pair.host().rollback().matchEnd(), pair.joiner().rollback().matchEnd());
    EXPECT_EQ(hashState(pair.host().rollback().confirmedGame()), hashState(pair.joiner().rollback().confirmedGame()));
    EXPECT_FALSE(pair.peers[0].game.matchRunning);
    pair.autoStart = true;
    pair.run(2);
    EXPECT_TRUE(pair.joiner().inMatch());
    EXPECT_TRUE(pair.host().connected() && pair.joiner().connected());
}

// A joiner with another arena, another data set or another protocol version is refused and told
// why; the refusal is never larger than the hello.
TEST(Online, TheHostRefusesWhatDiffers) {
    struct Case {
        SessionIdentity joiner;
        const char* says;
    };
    for (const Case& c : {Case{{9, 2}, "arena"}, Case{{1, 9}, "rules"}}) {
        OnlinePair pair(NetworkConditions{}, c.joiner);
        pair.run(1);
        EXPECT_EQ(pair.joiner().state(), SessionState::Ended);
        EXPECT_EQ(pair.joiner().endReason(), SessionEnd::Refused);
        EXPECT_NE(pair.joiner().endText().find(c.says), std::string::npos) << pair.joiner().endText();
        EXPECT_EQ(pair.host().state(), SessionState::Hosting);
    }
    OnlinePair pair(NetworkConditions{});
    Packet hello;
    hello.kind = PacketKind::Hello;
    hello.version = PROTOCOL_VERSION + 1;
    const std::vector<uint8_t> bytes = writePacket(hello);
    pair.host().receive(STRANGER, bytes.data(), bytes.size(), pair.now);
    const std::vector<Datagram> answer = pair.host().takeOutgoing();
    ASSERT_EQ(answer.size(), 1u);
    EXPECT_LE(answer[0].bytes.size(), bytes.size());
    Packet refusal;
    readPacket(answer[0].bytes.data(), answer[0].bytes.size(), refusal);
    EXPECT_EQ(refusal.refuse.reason, RefuseReason::OtherVersion);
}

// Garbage, cut and oversized packets, replays of the peer's packets from another address and
// packets with a wrong token, all during a match: dropped and counted, and the sides still agree.
TEST(Online, StrayPacketsChangeNothing) {
    OnlinePair pair(rough(40, 7));
    pair.run(2);
    Packet real;
    real.token = 0;
    std::vector<uint8_t> captured;
    for (int i = 0; i < 1500; ++i) {
        pair.step();
        const uint32_t r = uint32_t(i) * 2654435761u;
        std::vector<uint8_t> junk(r % 1400, uint8_t(r >> 8));
        if (i % 4 == 0 && junk.size() >= 12) std::memcpy(junk.data(), "TVXN", 4);  // our magic, nothing more
        for (int s = 0; s < 2; ++s) {
            OnlineSession& session = *pair.peers[s].session;
            session.receive(STRANGER, junk.data(), junk.size(), pair.now);
            if (!captured.empty()) {
                session.receive(STRANGER, captured.data(), captured.size(), pair.now);  // replayed elsewhere
                std::vector<uint8_t> cut(captured.begin(), captured.begin() + captured.size() / 2);
                session.receive(s == 0 ? JOINER_ADDRESS : HOST_ADDRESS, cut.data(), cut.size(), pair.now);
                std::vector<uint8_t> forged = captured;
                forged[8] ^= 0x5A;  // another token
                session.receive(s == 0 ? JOINER_ADDRESS : HOST_ADDRESS, forged.data(), forged.size(), pair.now);
            }
        }
        if (i % 50 == 0) {
            pair.joiner().tick(pair.peers[1].random.next(), pair.now);
            std::vector<Datagram> out = pair.joiner().takeOutgoing();
            if (!out.empty()) captured = out.back().bytes;
            for (Datagram& d : out) pair.relay.send(0, std::move(d.bytes), pair.now);
        }
    }
    for (Peer& p : pair.peers) {
        const SessionFigures f = p.session->figures(pair.now);
        EXPECT_EQ(f.mismatches, 0);
        EXPECT_GT(f.dropped, 1000);
        EXPECT_TRUE(p.session->connected());
    }
    int32_t frame = 0;
    EXPECT_TRUE(pair.latestCommonCheckpointAgrees(frame)) << "frame " << frame;
}

// A peer that goes silent is waited for after 0.75 s and gone after 10 s; one that leaves says so.
TEST(Online, SilenceAndGoodbyeEndTheSession) {
    OnlinePair pair(rough(30, 3));
    pair.run(2);
    for (int i = 0; i < 100; ++i) {  // the joiner's packets no longer arrive
        pair.now += TICK;
        pair.host().tick(SideInput{}, pair.now);
        pair.host().takeOutgoing();
    }
    EXPECT_TRUE(pair.host().peerQuiet(pair.now));
    EXPECT_TRUE(pair.host().connected());
    pair.now += PEER_GONE_MICROS;
    pair.host().tick(SideInput{}, pair.now);
    EXPECT_EQ(pair.host().endReason(), SessionEnd::PeerSilent);
    EXPECT_FALSE(pair.host().inMatch());

    OnlinePair other(rough(30, 4));
    other.run(2);
    other.host().leave(other.now);
    other.send(0);
    other.run(1);
    EXPECT_EQ(other.host().endReason(), SessionEnd::Left);
    EXPECT_EQ(other.joiner().endReason(), SessionEnd::PeerLeft);
    EXPECT_FALSE(other.joiner().inMatch());
    EXPECT_NE(other.host().summaryLine(other.now).find("online: frames="), std::string::npos);
}
