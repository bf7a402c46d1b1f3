// An online session between two copies of the game: the host waits for a joiner, the joiner
// says hello, and from then on both send one packet a frame. The host starts each match with the
// key that starts a match; the match runs on both sides with rollback (net/rollback.h), and the
// title screen between matches is each side's own. The session knows no socket and no clock of
// its own: the caller hands it the datagrams that arrived and the time, and sends what it queues,
// so that tests run two sessions and a relay on a virtual clock.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/game.h"
#include "net/packet.h"
#include "net/rollback.h"
#include "platform/datagrams.h"

using NetAddress = platform::NetAddress;

// A silent peer is shown as waited for after this long, and the session ends after the second.
constexpr uint64_t PEER_QUIET_MICROS = 750000;
constexpr uint64_t PEER_GONE_MICROS = 10000000;
// A joiner says hello this often until it is answered, and gives up when no answer came in time.
constexpr uint64_t HELLO_INTERVAL_MICROS = 100000;
constexpr uint64_t HELLO_TIMEOUT_MICROS = 10000000;
// Bytes of IP and UDP headers a datagram costs on the wire, counted in the traffic figures.
constexpr int DATAGRAM_OVERHEAD_BYTES = 28;

enum class SessionState { Idle, Hosting, Joining, Connected, Ended };
enum class SessionEnd { None, Left, PeerLeft, PeerSilent, NoAnswer, Refused, Broken };

struct Datagram {
    NetAddress to;
    std::vector<uint8_t> bytes;
};

// What must be the same on both sides: the arena and the rules that run on it, as hashes.
struct SessionIdentity {
    uint64_t arenaHash = 0;
    uint64_t dataHash = 0;
};
// The identity of a game: its arena's walls, bit for bit, and the versions of its rules and state.
SessionIdentity sessionIdentity(const GameState& game);

struct SessionFigures {
    int64_t frames = 0;           // match frames advanced
    int inputDelay = 0;
    int rollbackP50 = 0, rollbackP99 = 0;  // frames run again, over the rollbacks that happened
    int64_t rollbacks = 0;
    int64_t waited = 0;           // frames held back because the prediction window was used up
    int64_t skipped = 0;          // frames held back to let the other side catch up
    int64_t mismatches = 0;
    int64_t healed = 0;
    int64_t hashesCompared = 0;
    int64_t dropped = 0;          // datagrams that were not the peer's packets
    int64_t deepestRollback = 0, deepestRollbackMicros = 0;
    double seconds = 0;
    int64_t sentBytes = 0, receivedBytes = 0;  // with DATAGRAM_OVERHEAD_BYTES each
    double sentBps = 0, receivedBps = 0;
    int roundTripMs = 0;
};

struct TickResult {
    bool inMatch = false;     // a match runs (its frame ran, or it waited)
    bool ran = false;         // a frame of the match ran: frame is its result
    FrameResult frame;
    bool matchStarted = false;
    bool matchEnded = false;  // the match ended on both sides: the game shows its last frame
};

class OnlineSession {
public:
    // live is the game the window shows; matches run on it. seed chooses nonces and tokens.
    OnlineSession(GameState& live, const SessionIdentity& identity, uint32_t seed);

    void host(uint64_t now);
    void join(const NetAddress& hostAddress, uint64_t now);

    // A datagram that arrived from an address.
    void receive(const NetAddress& from, const uint8_t* data, size_t size, uint64_t now);
    // Once a frame: in a match, takes the local player's input and runs the match's frames; out
    // of one, only keeps the other side informed (the caller runs its own title frames).
    TickResult tick(const SideInput& local, uint64_t now);
    // The host starts a match from the live game's state with the key that starts it (F1-F3) and
    // the match's clock; it begins as soon as the last match's inputs have all arrived there.
    void startMatch(GameKeys startKey, int8_t mouseStep, uint32_t clock);
    // Ends the session on this side: the packets that say so to the other side are queued.
    void leave(uint64_t now);

    // What to send now (the caller sends each datagram once, in order).
    std::vector<Datagram> takeOutgoing();

    SessionState state() const { return state_; }
    SessionEnd endReason() const { return end_; }
    std::string endText() const;   // why the session ended, in a player's words
    bool isHost() const { return side_ == HostSide; }
    bool connected() const { return state_ == SessionState::Connected; }
    bool inMatch() const { return matchRunning_; }
    uint8_t matchNumber() const { return match_; }  // the latest match, 1 up (0: none yet)
    bool peerQuiet(uint64_t now) const;  // nothing heard for PEER_QUIET_MICROS
    const NetAddress& peer() const { return peer_; }

    SessionFigures figures(uint64_t now) const;
    // online: frames=F delay=D rollbackP50=A rollbackP99=B waited=W mismatches=M healed=H sentBps=S recvBps=R
    std::string summaryLine(uint64_t now) const;

    Rollback& rollback() { return *rollback_; }
    const Rollback& rollback() const { return *rollback_; }
    // Where mismatches are reported (one line each); standard error when not set.
    std::function<void(const std::string&)> log;

private:
    void send(const Packet& packet);
    void sendPlay(uint64_t now);
    void refuse(const NetAddress& to, uint32_t nonce, RefuseReason reason);
    void onHello(const NetAddress& from, const Packet& packet, uint64_t now);
    void onPlay(const Play& play, uint64_t now);
    void onMessage(const SessionMessage& message);
    void onInputs(const Play& play, uint64_t now);
    void onPeerHash(uint8_t match, int32_t frame, uint64_t hash);
    void compareHashes();
    void queueMessage(SessionMessage message);
    bool startPendingMatch();
    bool beginMatch(const SessionMessage& message);
    void startJoinedMatch(const SessionMessage& message);
    void endMatch(TickResult& result);
    void end(SessionEnd reason);
    uint32_t nextRandom();
    int advantage(uint64_t now) const;

    GameState& live_;
    SessionIdentity identity_;
    uint32_t random_;
    Side side_ = HostSide;
    SessionState state_ = SessionState::Idle;
    SessionEnd end_ = SessionEnd::None;
    RefuseReason refused_ = RefuseReason::Busy;
    uint8_t refusedVersion_ = PROTOCOL_VERSION;
    NetAddress peer_;
    uint32_t token_ = 0, nonce_ = 0;
    uint64_t began_ = 0, lastHeard_ = 0, lastHello_ = 0;

    // Round-trip time from the stamps.
    uint16_t lastStamp_ = 0;
    uint64_t lastStampAt_ = 0;
    bool haveStamp_ = false;
    double roundTripMs_ = -1;
    int roundTripSamples_ = 0;

    // Session messages: the head of the queue goes in every packet until acknowledged.
    std::vector<SessionMessage> outbox_;
    uint16_t nextSequence_ = 1, lastReceived_ = 0;

    // The match.
    std::unique_ptr<Rollback> rollback_;
    uint8_t match_ = 0;
    bool matchRunning_ = false;
    bool justStarted_ = false;       // a joined match began since the last tick
    bool havePendingStart_ = false;  // the host's start key, waiting for the last match's end
    bool havePendingMessage_ = false;  // the host's start, waiting for the last match's end here
    SessionMessage pendingMessage_;
    SideInput pendingStart_;
    uint32_t pendingClock_ = 0;
    int32_t peerAck_ = -1;           // the peer has the local inputs up to this frame
    int32_t peerPresent_ = 0;        // the peer's present frame, as last heard
    uint64_t peerPresentAt_ = 0;
    int peerAdvantage_ = 0;
    uint8_t heldPresses_ = 0;        // fire presses of frames that waited, given to the next
    uint8_t heldKeyPresses_ = 0;
    uint64_t lastSkip_ = 0;

    // Hash checks.
    struct PeerHash {
        uint8_t match = 0;
        int32_t frame = -1;
        uint64_t hash = 0;
        bool compared = false;
    };
    PeerHash peerHashes_[CHECKPOINTS];
    int32_t lastHashSent_ = -1;
    int hashRepeats_ = 0;

    std::vector<Datagram> outgoing_;
    SessionFigures totals_;                       // counters kept across matches
    int64_t depthCount_[ROLLBACK_DEPTHS] = {};  // rollbacks of the matches before this one
    void foldRollbackStats();
};
