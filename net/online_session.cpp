#include "net/online_session.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

#include "game/float_bits.h"
#include "game/little_endian.h"
#include "game/replay.h"
#include "game/state_bytes.h"
#include "platform/frame_tick.h"

namespace {

constexpr uint64_t MICROS_PER_MS = 1000;
// A new hash goes out in this many packets, so that a lost one still leaves it compared.
constexpr int HASH_REPEATS = 4;
// Round-trip measurements taken before the first match's input delay is chosen.
constexpr int MIN_ROUND_TRIP_SAMPLES = 8;
// The side ahead holds back at most one frame in this many, so that the other side's reports,
// which are a round trip late, can catch up before it holds back again.
constexpr uint64_t SKIP_SPACING_MICROS = 3 * platform::FRAME_PERIOD_MICROS;

uint16_t stampOf(uint64_t now) { return uint16_t(now / MICROS_PER_MS); }

// The input delay for a round trip: the other side's input arrives about half a round trip later;
// a larger delay shortens the rollbacks that cover it, at the cost of the feel of the controls.
// The measured round trip includes up to a frame on each side before a packet is read.
int chooseInputDelay(double roundTripMs) {
    if (roundTripMs < 0) return DEFAULT_INPUT_DELAY;
    const int oneWayFrames = int(roundTripMs / 2 / platform::FRAME_PERIOD_MS);
    return std::clamp(oneWayFrames - 4, DEFAULT_INPUT_DELAY, MAX_INPUT_DELAY);
}

int percentile(const int64_t* counts, int n, double share) {
    int64_t total = 0;
    for (int i = 0; i < n; ++i) total += counts[i];
    if (total == 0) return 0;
    const int64_t rank = int64_t(share * double(total - 1));
    int64_t seen = 0;
    for (int i = 0; i < n; ++i) {
        seen += counts[i];
        if (seen > rank) return i;
    }
    return n - 1;
}

}  // namespace

SessionIdentity sessionIdentity(const GameState& game) {
    ByteWriter walls;
    for (int32_t i = 0; i < game.playfield.blockCount; ++i) {
        const PlayfieldBlock& b = game.playfield.blocks[i];
        for (float value : {b.xMin, b.yMin, b.xMax, b.yMax, b.red, b.green, b.blue}) walls.u32(floatBits(value));
    }
    ByteWriter rules;
    rules.u16(RULES_VERSION);
    rules.u16(STATE_LAYOUT_VERSION);
    return SessionIdentity{hashBytes(walls.bytes.data(), walls.bytes.size()), hashBytes(rules.bytes.data(), rules.bytes.size())};
}

OnlineSession::OnlineSession(GameState& live, const SessionIdentity& identity, uint32_t seed)
    : live_(live), identity_(identity), random_(seed ? seed : 1), rollback_(std::make_unique<Rollback>()) {}

uint32_t OnlineSession::nextRandom() {
    // xorshift32: tokens and nonces only need to be hard to guess by a stray sender.
    random_ ^= random_ << 13;
    random_ ^= random_ >> 17;
    random_ ^= random_ << 5;
    return random_;
}

void OnlineSession::host(uint64_t now) {
    side_ = HostSide;
    state_ = SessionState::Hosting;
    began_ = lastHeard_ = now;
}

void OnlineSession::join(const NetAddress& hostAddress, uint64_t now) {
    side_ = JoinerSide;
    state_ = SessionState::Joining;
    peer_ = hostAddress;
    nonce_ = nextRandom();
    began_ = lastHeard_ = now;
    lastHello_ = 0;
}

// ---- sending -----------------------------------------------------------------------------------

void OnlineSession::send(const Packet& packet) {
    Datagram datagram{peer_, writePacket(packet)};
    totals_.sentBytes += int64_t(datagram.bytes.size()) + DATAGRAM_OVERHEAD_BYTES;
    outgoing_.push_back(std::move(datagram));
}

std::vector<Datagram> OnlineSession::takeOutgoing() { return std::exchange(outgoing_, {}); }

void OnlineSession::refuse(const NetAddress& to, uint32_t nonce, RefuseReason reason) {
    Packet packet;
    packet.kind = PacketKind::Refuse;
    packet.refuse.nonce = nonce;
    packet.refuse.reason = reason;
    Datagram datagram{to, writePacket(packet)};
    totals_.sentBytes += int64_t(datagram.bytes.size()) + DATAGRAM_OVERHEAD_BYTES;
    outgoing_.push_back(std::move(datagram));
}

void OnlineSession::queueMessage(SessionMessage message) {
    message.sequence = nextSequence_++;
    outbox_.push_back(message);
}

void OnlineSession::sendPlay(uint64_t now) {
    Packet packet;
    packet.token = token_;
    Play& play = packet.play;
    play.stamp = stampOf(now);
    if (haveStamp_) {
        play.echoStamp = lastStamp_;
        play.echoHeldMs = uint8_t(std::min<uint64_t>(255, (now - lastStampAt_) / MICROS_PER_MS));
    }
    play.messageAck = lastReceived_;
    const Rollback& rollback = *rollback_;
    // The last match's inputs the peer lacks (also after the match ended here: it needs them to
    // end it too) and what arrived of its own.
    if (match_ > 0) {
        play.hasInputs = true;
        play.match = match_;
        play.presentFrame = rollback.presentFrame();
        play.advantage = int8_t(std::clamp(advantage(now), -127, 127));
        play.ackFrame = rollback.remoteKnown();
        play.firstFrame = std::max(peerAck_ + 1, 0);
        const int32_t last = matchRunning_ ? rollback.localKnown() : rollback.matchEnd() - 1;
        const int32_t count = std::min<int32_t>(last - play.firstFrame + 1, MAX_PACKET_FRAMES);
        play.inputCount = uint8_t(std::max(count, 0));
        for (int i = 0; i < play.inputCount; ++i) play.inputs[i] = rollback.localInput(play.firstFrame + i);
    }
    if (const Checkpoint* latest = match_ > 0 ? rollback.latestCheckpoint() : nullptr) {
        if (latest->frame != lastHashSent_) {
            lastHashSent_ = latest->frame;
            hashRepeats_ = HASH_REPEATS;
        }
        if (hashRepeats_ > 0) {
            --hashRepeats_;
            play.hasHash = true;
            play.hashMatch = match_;
            play.hashFrame = latest->frame;
            play.hash = latest->hash;
        }
    }
    if (!outbox_.empty()) {
        play.hasMessage = true;
        play.message = outbox_.front();
    }
    send(packet);
}

// ---- receiving ---------------------------------------------------------------------------------

void OnlineSession::receive(const NetAddress& from, const uint8_t* data, size_t size, uint64_t now) {
    if (state_ == SessionState::Idle || state_ == SessionState::Ended) return;
    Packet packet;
    const PacketProblem problem = readPacket(data, size, packet);
    const bool fromPeer = (state_ == SessionState::Connected || state_ == SessionState::Joining) && from == peer_;
    if (problem == PacketProblem::OtherVersion && packet.kind == PacketKind::Hello && state_ == SessionState::Hosting) {
        refuse(from, 0, RefuseReason::OtherVersion);  // smaller than the hello it answers
        ++totals_.dropped;
        return;
    }
    if (problem == PacketProblem::OtherVersion && packet.kind == PacketKind::Refuse && fromPeer &&
        state_ == SessionState::Joining) {
        refused_ = RefuseReason::OtherVersion;
        refusedVersion_ = packet.version;
        end(SessionEnd::Refused);
        return;
    }
    if (problem != PacketProblem::None) {
        ++totals_.dropped;
        return;
    }
    if (packet.kind == PacketKind::Hello) {
        if (state_ == SessionState::Hosting || (fromPeer && isHost())) onHello(from, packet, now);
        else ++totals_.dropped;
        return;
    }
    if (!fromPeer) {
        ++totals_.dropped;
        return;
    }
    if (state_ == SessionState::Joining) {
        if (packet.kind == PacketKind::Welcome && packet.welcome.nonce == nonce_ && packet.token != 0) {
            token_ = packet.token;
            state_ = SessionState::Connected;
            lastHeard_ = now;
        } else if (packet.kind == PacketKind::Refuse && packet.refuse.nonce == nonce_) {
            refused_ = packet.refuse.reason;
            end(SessionEnd::Refused);
        } else {
            ++totals_.dropped;
        }
        return;
    }
    if (packet.kind != PacketKind::Play || packet.token != token_) {
        ++totals_.dropped;
        return;
    }
    totals_.receivedBytes += int64_t(size) + DATAGRAM_OVERHEAD_BYTES;
    lastHeard_ = now;
    onPlay(packet.play, now);
}

void OnlineSession::onHello(const NetAddress& from, const Packet& packet, uint64_t now) {
    const Hello& hello = packet.hello;
    if (state_ == SessionState::Connected && hello.nonce != nonce_) {  // the peer started afresh
        ++totals_.dropped;
        return;
    }
    if (hello.arenaHash != identity_.arenaHash) return refuse(from, hello.nonce, RefuseReason::OtherArena);
    if (hello.dataHash != identity_.dataHash) return refuse(from, hello.nonce, RefuseReason::OtherData);
    if (state_ == SessionState::Hosting) {
        peer_ = from;
        nonce_ = hello.nonce;
        do token_ = nextRandom();
        while (token_ == 0);
        state_ = SessionState::Connected;
        lastHeard_ = now;
    }
    // Answered every time: the welcome may have been lost.
    Packet welcome;
    welcome.kind = PacketKind::Welcome;
    welcome.token = token_;
    welcome.welcome.nonce = nonce_;
    send(welcome);
}

void OnlineSession::onPlay(const Play& play, uint64_t now) {
    lastStamp_ = play.stamp;
    lastStampAt_ = now;
    haveStamp_ = true;
    if (play.echoStamp != 0 || play.echoHeldMs != 0) {
        const uint16_t elapsed = uint16_t(stampOf(now) - play.echoStamp);
        const int sample = int(elapsed) - int(play.echoHeldMs);
        if (sample >= 0 && sample < 5000) {
            roundTripMs_ = roundTripMs_ < 0 ? sample : roundTripMs_ * 0.875 + sample * 0.125;
            ++roundTripSamples_;
        }
    }
    while (!outbox_.empty() && int16_t(play.messageAck - outbox_.front().sequence) >= 0) outbox_.erase(outbox_.begin());
    if (play.hasMessage && play.message.type == MessageType::Bye) {
        end(SessionEnd::PeerLeft);
        return;
    }
    if (play.hasMessage) {
        if (play.message.sequence == uint16_t(lastReceived_ + 1)) {
            lastReceived_ = play.message.sequence;
            onMessage(play.message);
        }
    }
    if (play.hasInputs) onInputs(play, now);
    if (play.hasHash) onPeerHash(play.hashMatch, play.hashFrame, play.hash);
}

void OnlineSession::onMessage(const SessionMessage& message) {
    switch (message.type) {
    case MessageType::StartMatch:
        if (isHost() || message.match == match_) return;
        if (matchRunning_) {  // the last match ends here within a few frames: start after it
            pendingMessage_ = message;
            havePendingMessage_ = true;
            return;
        }
        startJoinedMatch(message);
        return;
    case MessageType::Resync:
        if (isHost() || message.match != match_ || !matchRunning_) return;
        if (rollback_->resync(message.frame, message.state)) ++totals_.healed;
        return;
    case MessageType::Bye:  // taken before the queue's order, in onPlay
        return;
    }
}

// Both sides begin a match from the StartMatch message: the host when it sends it, the joiner
// when it takes it. False when the state does not restore.
bool OnlineSession::beginMatch(const SessionMessage& message) {
    foldRollbackStats();
    if (!rollback_->start(live_, message.state, side_, message.inputDelay, message.hostStart, message.clockBase))
        return false;
    match_ = message.match;
    matchRunning_ = true;
    peerAck_ = -1;
    peerPresent_ = 0;
    peerPresentAt_ = 0;
    peerAdvantage_ = 0;
    for (PeerHash& h : peerHashes_) h.frame = -1;
    return true;
}

void OnlineSession::startJoinedMatch(const SessionMessage& message) {
    if (!beginMatch(message)) end(SessionEnd::Broken);
    else justStarted_ = true;
}

void OnlineSession::onInputs(const Play& play, uint64_t now) {
    if (play.match != match_ || match_ == 0) return;
    Rollback& rollback = *rollback_;
    peerAck_ = std::max(peerAck_, std::min(play.ackFrame, rollback.localKnown()));
    if (play.presentFrame >= peerPresent_) {
        peerPresent_ = play.presentFrame;
        peerPresentAt_ = now;
        peerAdvantage_ = play.advantage;
    }
    if (!matchRunning_) return;
    for (int i = 0; i < play.inputCount; ++i)
        if (!rollback.addRemoteInput(play.firstFrame + i, play.inputs[i])) break;
}

void OnlineSession::onPeerHash(uint8_t match, int32_t frame, uint64_t hash) {
    if (match != match_ || frame % HASH_INTERVAL != 0) return;
    PeerHash& slot = peerHashes_[(frame / HASH_INTERVAL) % CHECKPOINTS];
    if (slot.frame == frame && slot.match == match) return;  // a repeat
    slot = PeerHash{match, frame, hash, false};
}

// Compares each of the peer's hashes with this side's hash of the same frame, once both exist.
void OnlineSession::compareHashes() {
    for (PeerHash& theirs : peerHashes_) {
        if (theirs.frame < 0 || theirs.compared || theirs.match != match_) continue;
        const Checkpoint* mine = rollback_->checkpointAt(theirs.frame);
        if (!mine) continue;  // not confirmed here yet (or long gone)
        theirs.compared = true;
        ++totals_.hashesCompared;
        if (mine->hash != theirs.hash) {
            ++totals_.mismatches;
            char line[160];
            std::snprintf(line, sizeof line,
                          "online: the sides disagree at match %u frame %" PRId32 ": here %016" PRIx64
                          ", there %016" PRIx64 "%s",
                          unsigned(match_), theirs.frame, mine->hash, theirs.hash,
                          isHost() ? "; sending this side's state" : "; waiting for the host's state");
            if (log) log(line);
            else std::fprintf(stderr, "%s\n", line);
            if (isHost()) {
                SessionMessage resync;
                resync.type = MessageType::Resync;
                resync.match = match_;
                resync.frame = mine->frame;
                std::memcpy(resync.state, mine->state, STATE_BYTES);
                queueMessage(resync);
                ++totals_.healed;
            }
        }
    }
}

// ---- the frame ---------------------------------------------------------------------------------

int OnlineSession::advantage(uint64_t now) const {
    if (peerPresentAt_ == 0) return 0;  // nothing heard of the other side's frames yet
    const double oneWayFrames = std::max(roundTripMs_, 0.0) / 2 / platform::FRAME_PERIOD_MS;
    const double sinceHeard = double(now - peerPresentAt_) / platform::FRAME_PERIOD_MICROS;
    const double peerNow = peerPresent_ + oneWayFrames + sinceHeard;
    return int(std::lround(rollback_->presentFrame() - peerNow));
}

void OnlineSession::startMatch(GameKeys startKey, int8_t mouseStep, uint32_t clock) {
    if (!isHost() || state_ != SessionState::Connected || matchRunning_) return;
    pendingStart_ = SideInput{0, startKey, mouseStep};
    pendingClock_ = clock;
    havePendingStart_ = true;
}

bool OnlineSession::startPendingMatch() {
    // The joiner must have had every input of the last match, or it could not finish it.
    if (!havePendingStart_ || matchRunning_ || (match_ > 0 && peerAck_ < rollback_->matchEnd() - 1)) return false;
    // The input delay is chosen from the round trip: wait for a few measurements of it.
    if (roundTripSamples_ < MIN_ROUND_TRIP_SAMPLES) return false;
    havePendingStart_ = false;
    SessionMessage message;
    message.type = MessageType::StartMatch;
    message.match = uint8_t(match_ == 255 ? 1 : match_ + 1);
    message.inputDelay = uint8_t(chooseInputDelay(roundTripMs_));
    message.hostStart = pendingStart_;
    message.clockBase = pendingClock_;
    saveState(live_, message.state);
    if (!beginMatch(message)) return false;  // cannot happen: the state was saved just now
    queueMessage(message);
    return true;
}

void OnlineSession::endMatch(TickResult& result) {
    // Both sides end at the same confirmed frame and show its state.
    uint8_t last[STATE_BYTES];
    saveState(rollback_->confirmedGame(), last);
    restoreState(live_, last, STATE_BYTES);
    matchRunning_ = false;
    result.matchEnded = true;
}

TickResult OnlineSession::tick(const SideInput& local, uint64_t now) {
    TickResult result;
    if (state_ == SessionState::Joining) {
        if (now - began_ > HELLO_TIMEOUT_MICROS) {
            end(SessionEnd::NoAnswer);
        } else if (lastHello_ == 0 || now - lastHello_ >= HELLO_INTERVAL_MICROS) {
            lastHello_ = now;
            Packet hello;
            hello.kind = PacketKind::Hello;
            hello.hello = Hello{nonce_, identity_.arenaHash, identity_.dataHash};
            send(hello);
        }
        return result;
    }
    if (state_ != SessionState::Connected) return result;
    if (now - lastHeard_ > PEER_GONE_MICROS) {
        end(SessionEnd::PeerSilent);
        return result;
    }
    if (!matchRunning_ && havePendingMessage_) {
        havePendingMessage_ = false;
        startJoinedMatch(pendingMessage_);
    }
    if (startPendingMatch() || justStarted_) result.matchStarted = true;
    justStarted_ = false;
    if (matchRunning_) {
        result.inMatch = true;
        Rollback& rollback = *rollback_;
        heldPresses_ |= local.controls & FirePressed;
        heldKeyPresses_ |= local.gameKeys & LeavePressed;
        const bool ahead = advantage(now) - peerAdvantage_ >= 2 && now - lastSkip_ >= SKIP_SPACING_MICROS;
        if (rollback.mustWait()) {
            ++totals_.waited;
        } else if (ahead) {
            lastSkip_ = now;
            ++totals_.skipped;
        } else {
            SideInput input = local;
            input.controls |= heldPresses_;
            input.gameKeys |= heldKeyPresses_;
            heldPresses_ = heldKeyPresses_ = 0;
            rollback.addLocalInput(input);
            result.frame = rollback.advance();
            result.ran = true;
        }
        compareHashes();
        if (rollback.matchOver()) endMatch(result);
    }
    sendPlay(now);
    return result;
}

void OnlineSession::leave(uint64_t now) {
    if (state_ == SessionState::Connected) {
        // The goodbye goes first and three times: a closing game does not wait for its
        // acknowledgement, and the other side takes it whatever it still waits for.
        SessionMessage bye;
        bye.type = MessageType::Bye;
        bye.sequence = nextSequence_++;
        outbox_.insert(outbox_.begin(), bye);
        for (int i = 0; i < 3; ++i) sendPlay(now);
    }
    end(SessionEnd::Left);
}

void OnlineSession::end(SessionEnd reason) {
    if (state_ == SessionState::Ended) return;
    state_ = SessionState::Ended;
    end_ = reason;
    if (matchRunning_) {
        // The match ends where the two sides last agreed.
        uint8_t last[STATE_BYTES];
        saveState(rollback_->confirmedGame(), last);
        restoreState(live_, last, STATE_BYTES);
        matchRunning_ = false;
    }
    rollback_->stop();
}

bool OnlineSession::peerQuiet(uint64_t now) const {
    return state_ == SessionState::Connected && now - lastHeard_ > PEER_QUIET_MICROS;
}

std::string OnlineSession::endText() const {
    switch (end_) {
    case SessionEnd::None: return "";
    case SessionEnd::Left: return "You left the online game";
    case SessionEnd::PeerLeft: return "The other player left the online game";
    case SessionEnd::PeerSilent: return "The other player went silent: the online game ended";
    case SessionEnd::NoAnswer: return "No answer from the host";
    case SessionEnd::Broken: return "The other side sent a match this game cannot play";
    case SessionEnd::Refused:
        switch (refused_) {
        case RefuseReason::OtherVersion:
            return "The host plays another version of the online game (" + std::to_string(refusedVersion_) +
                   ", this game " + std::to_string(PROTOCOL_VERSION) + ")";
        case RefuseReason::OtherArena: return "The host plays another arena (playfield.txt differs)";
        case RefuseReason::OtherData: return "The host's game follows other rules (another version of the game)";
        case RefuseReason::Busy: return "The host is playing with someone else";
        }
    }
    return "";
}

// ---- figures -----------------------------------------------------------------------------------

namespace {
// Adds one match's rollback counts to the session's.
void addRollbackStats(SessionFigures& figures, int64_t depths[ROLLBACK_DEPTHS], const RollbackStats& stats) {
    for (int i = 0; i < ROLLBACK_DEPTHS; ++i) depths[i] += stats.depthCount[i];
    figures.frames += stats.framesRun;
    figures.rollbacks += stats.rollbacks;
    if (stats.deepest > figures.deepestRollback ||
        (stats.deepest == figures.deepestRollback && stats.deepestMicros > figures.deepestRollbackMicros)) {
        figures.deepestRollback = stats.deepest;
        figures.deepestRollbackMicros = stats.deepestMicros;
    }
}
}  // namespace

void OnlineSession::foldRollbackStats() { addRollbackStats(totals_, depthCount_, rollback_->stats()); }

SessionFigures OnlineSession::figures(uint64_t now) const {
    SessionFigures f = totals_;
    int64_t depths[ROLLBACK_DEPTHS];
    std::copy(std::begin(depthCount_), std::end(depthCount_), depths);
    addRollbackStats(f, depths, rollback_->stats());  // the match under way, or the last one
    f.rollbackP50 = percentile(depths, ROLLBACK_DEPTHS, 0.50);
    f.rollbackP99 = percentile(depths, ROLLBACK_DEPTHS, 0.99);
    f.inputDelay = match_ > 0 ? rollback_->inputDelay() : 0;
    f.seconds = double(now - began_) / 1e6;
    if (f.seconds > 0) {
        f.sentBps = double(f.sentBytes) / f.seconds;
        f.receivedBps = double(f.receivedBytes) / f.seconds;
    }
    f.roundTripMs = int(std::lround(std::max(roundTripMs_, 0.0)));
    return f;
}

std::string OnlineSession::summaryLine(uint64_t now) const {
    const SessionFigures f = figures(now);
    char line[256];
    std::snprintf(line, sizeof line,
                  "online: frames=%" PRId64 " delay=%d rollbackP50=%d rollbackP99=%d waited=%" PRId64
                  " mismatches=%" PRId64 " healed=%" PRId64 " sentBps=%.0f recvBps=%.0f",
                  f.frames, f.inputDelay, f.rollbackP50, f.rollbackP99, f.waited, f.mismatches, f.healed,
                  f.sentBps, f.receivedBps);
    return line;
}
