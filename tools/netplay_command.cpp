// Online play without a window: `netplay` runs one side of a session with random controls (the
// host starts a regular match whenever none runs), `relay` puts a seeded stretch of bad network
// between a joiner and a host, and `netplay-bench` plays two sessions through a relay over
// loopback and prints their figures as JSON.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "game/data_files.h"
#include "game/frame_rules.h"
#include "game/state_bytes.h"
#include "net/online_session.h"
#include "net/random_input.h"
#include "net/relay.h"
#include "platform/frame_tick.h"
#include "tools/commands.h"
#include "tools/json_text.h"

namespace {

uint64_t nowMicros() {
    using namespace std::chrono;
    return uint64_t(duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}

// One side: its game, session, socket and random controls.
struct Peer {
    GameState game{};
    std::unique_ptr<OnlineSession> session;
    std::unique_ptr<platform::DatagramSocket> socket;
    std::unique_ptr<RandomInput> random;
    int32_t lastCheckpoint = -1;
    uint8_t lastCheckpointMatch = 0;
    bool printCheckpoints = false;

    bool open(const std::string& playfield, uint16_t port, uint32_t seed, std::string& problem) {
        resetGameState(game);
        initGame(game, playfield.c_str(), 0);
        socket = platform::openDatagramSocket(port, problem);
        if (!socket) return false;
        session = std::make_unique<OnlineSession>(game, sessionIdentity(game), seed);
        random = std::make_unique<RandomInput>(seed * 2 + 1);
        return true;
    }
    ~Peer() { releaseGame(game); }

    void receiveAll(uint64_t now) {
        uint8_t buffer[MAX_PACKET_BYTES + 1];
        NetAddress from;
        int size;
        while ((size = socket->receive(from, buffer, sizeof buffer)) >= 0)
            session->receive(from, buffer, std::min<size_t>(size_t(size), sizeof buffer), now);
    }
    void sendAll() {
        for (const Datagram& d : session->takeOutgoing()) socket->send(d.to, d.bytes.data(), d.bytes.size());
    }
    void tick(uint64_t now) {
        if (session->isHost() && session->connected() && !session->inMatch())
            session->startMatch(StartRegularKey, 0, uint32_t(std::time(nullptr)));
        if (!session->inMatch()) advanceFrame(game, FrameInput{});  // the title screen's own frame
        session->tick(random->next(), now);
        sendAll();
        // Each confirmed hash once, by match and frame, for comparing the two sides' outputs.
        const Checkpoint* c = session->matchNumber() > 0 ? session->rollback().latestCheckpoint() : nullptr;
        if (printCheckpoints && c && (c->frame != lastCheckpoint || session->matchNumber() != lastCheckpointMatch)) {
            lastCheckpoint = c->frame;
            lastCheckpointMatch = session->matchNumber();
            std::printf("checkpoint %d %" PRId32 " %016" PRIx64 "\n", int(lastCheckpointMatch), c->frame, c->hash);
        }
    }
};

// Steps the peers (and the relay) on the real clock, a frame every 10 ms, until the time is up
// or a session ended.
void play(std::vector<Peer*> peers, SocketRelay* relay, double seconds) {
    const uint64_t start = nowMicros();
    const uint64_t end = start + uint64_t(seconds * 1e6);
    uint64_t nextTick = start;
    for (;;) {
        const uint64_t now = nowMicros();
        if (relay) relay->pump(now);
        for (Peer* p : peers) p->receiveAll(now);
        if (now >= nextTick) {
            for (Peer* p : peers) p->tick(now);
            nextTick += platform::FRAME_PERIOD_MICROS;
            if (nextTick < now) nextTick = now;  // a slow machine drops ticks rather than bursting
        }
        if (now >= end) break;
        bool ended = false;
        for (Peer* p : peers) ended |= p->session->state() == SessionState::Ended;
        if (ended) break;
        std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
}

// The median time to go back twelve frames and run them again, as a rollback does.
double rollback12Micros(const std::string& playfield) {
    GameState game{};
    resetGameState(game);
    initGame(game, playfield.c_str(), 0);
    RandomInput random(5);
    FrameInput input{};
    input.gameKeys = StartRegularKey;
    advanceFrame(game, input);
    input.gameKeys = 0;
    for (int f = 0; f < 500; ++f) {
        input.controls[0] = random.next().controls;
        input.controls[1] = random.next().controls;
        advanceFrame(game, input);
    }
    uint8_t saved[STATE_BYTES], states[12][STATE_BYTES];
    saveState(game, saved);
    std::vector<double> times;
    for (int rep = 0; rep < 2000; ++rep) {
        const auto began = std::chrono::steady_clock::now();
        restoreState(game, saved, STATE_BYTES);
        for (int f = 0; f < 12; ++f) {
            saveState(game, states[f]);
            input.controls[0] = random.next().controls;
            input.controls[1] = random.next().controls;
            advanceFrame(game, input);
        }
        times.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - began).count());
    }
    releaseGame(game);
    std::nth_element(times.begin(), times.begin() + long(times.size() / 2), times.end());
    return times[times.size() / 2];
}

NetAddress loopbackTo(uint16_t port) {
    NetAddress address;
    std::string problem;
    platform::resolveAddress("127.0.0.1", port, address, problem);
    return address;
}

struct BenchOptions {
    int rtt = 100;
    double loss = 2;
    int jitter = 10;
    double seconds = 30;
    uint64_t seed = 1;
    std::string playfield = "data/playfield.txt";
};

int netplayBench(const BenchOptions& options) {
    Peer host, joiner;
    std::string problem;
    if (!host.open(options.playfield, 0, uint32_t(options.seed), problem) ||
        !joiner.open(options.playfield, 0, uint32_t(options.seed) + 1000, problem)) {
        std::fprintf(stderr, "netplay-bench: %s\n", problem.c_str());
        return 1;
    }
    SocketRelay relay;
    NetworkConditions conditions{options.rtt, options.jitter, options.loss, 0, 0, options.seed};
    if (!relay.open(0, loopbackTo(host.socket->localPort()), conditions, problem)) {
        std::fprintf(stderr, "netplay-bench: %s\n", problem.c_str());
        return 1;
    }
    const uint64_t begun = nowMicros();
    host.session->host(begun);
    joiner.session->join(loopbackTo(relay.port()), begun);
    play({&host, &joiner}, &relay, options.seconds);
    const uint64_t now = nowMicros();
    const SessionFigures h = host.session->figures(now), j = joiner.session->figures(now);
    ToolJson result = ToolJson::object();
    result["inputDelay"] = h.inputDelay;
    result["rollbackP50"] = std::max(h.rollbackP50, j.rollbackP50);
    result["rollbackP99"] = std::max(h.rollbackP99, j.rollbackP99);
    result["waitedFrames"] = h.waited + j.waited;
    result["frames"] = std::min(h.frames, j.frames);
    result["mismatches"] = h.mismatches + j.mismatches;
    result["hashesCompared"] = std::min(h.hashesCompared, j.hashesCompared);
    result["bytesPerSecondEachWay"] = float(std::max(h.sentBps, j.sentBps));
    result["rollbackMicrosMax"] = std::max(h.deepestRollbackMicros, j.deepestRollbackMicros);
    result["rollback12Micros"] = float(rollback12Micros(options.playfield));
    result["roundTripMs"] = h.roundTripMs;
    std::fputs(jsonDocument(result).c_str(), stdout);
    return 0;
}

struct PeerOptions {
    bool hosting = false;
    uint16_t port = platform::DEFAULT_GAME_PORT;
    std::string join;
    double seconds = 30;
    uint64_t seed = 1;
    std::string playfield = "data/playfield.txt";
};

int netplayPeer(const PeerOptions& options) {
    Peer peer;
    std::string problem;
    NetAddress hostAddress;
    if (!options.hosting && !platform::resolveAddress(options.join, platform::DEFAULT_GAME_PORT, hostAddress, problem)) {
        std::fprintf(stderr, "netplay: %s\n", problem.c_str());
        return 2;
    }
    if (!peer.open(options.playfield, options.hosting ? options.port : 0, uint32_t(options.seed), problem)) {
        std::fprintf(stderr, "netplay: %s\n", problem.c_str());
        return 1;
    }
    peer.printCheckpoints = true;
    const uint64_t begun = nowMicros();
    if (options.hosting) peer.session->host(begun);
    else peer.session->join(hostAddress, begun);
    play({&peer}, nullptr, options.seconds);
    const uint64_t now = nowMicros();
    const SessionEnd end = peer.session->endReason();
    if (peer.session->state() != SessionState::Ended) peer.session->leave(now);
    peer.sendAll();
    std::fprintf(stderr, "%s\n", peer.session->summaryLine(now).c_str());
    if (end != SessionEnd::None && end != SessionEnd::PeerLeft) {
        std::fprintf(stderr, "netplay: %s\n", peer.session->endText().c_str());
        return 1;
    }
    return 0;
}

struct RelayOptions {
    uint16_t listen = 0;
    std::string to;
    int rtt = 0, jitter = 0;
    double loss = 0, duplicate = 0, reorder = 0, seconds = 60;
    uint64_t seed = 1;
};

int relayCommand(const RelayOptions& options) {
    NetAddress host;
    std::string problem;
    SocketRelay relay;
    if (!platform::resolveAddress(options.to, platform::DEFAULT_GAME_PORT, host, problem) ||
        !relay.open(options.listen, host,
                    NetworkConditions{options.rtt, options.jitter, options.loss, options.duplicate, options.reorder, options.seed},
                    problem)) {
        std::fprintf(stderr, "relay: %s\n", problem.c_str());
        return 1;
    }
    const uint64_t end = nowMicros() + uint64_t(options.seconds * 1e6);
    for (uint64_t now = nowMicros(); now < end; now = nowMicros()) {
        relay.pump(now);
        std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
    return 0;
}

}  // namespace

void addNetplayCommands(CLI::App& tool, CommandAction& chosen) {
    auto bench = std::make_shared<BenchOptions>();
    CLI::App* command = tool.add_subcommand(
        "netplay-bench",
        "Play two online sessions of random controls against each other through a relay over "
        "loopback and print their figures as JSON.");
    command->add_option("--rtt", bench->rtt, "Round trip in milliseconds.")->capture_default_str()->check(CLI::Range(0, 2000));
    command->add_option("--loss", bench->loss, "Datagrams lost, in percent.")->capture_default_str()->check(CLI::Range(0.0, 100.0));
    command->add_option("--jitter", bench->jitter, "Extra delay of up to this many milliseconds.")
        ->capture_default_str()->check(CLI::Range(0, 1000));
    command->add_option("--seconds", bench->seconds, "How long to play.")->capture_default_str()->check(CLI::Range(1.0, 3600.0));
    command->add_option("--seed", bench->seed, "The relay's and the controls' seed.")->capture_default_str()->check(wholeNumber(0xFFFFFFFFull));
    command->add_option("--playfield", bench->playfield, "The arena file.")->capture_default_str();
    command->callback([&chosen, bench] { chosen = [bench] { return netplayBench(*bench); }; });

    auto peer = std::make_shared<PeerOptions>();
    command = tool.add_subcommand(
        "netplay",
        "Host or join an online session with random controls (the host starts a regular match "
        "whenever none runs); print each confirmed hash, and the session's figures at the end.");
    command->add_option("--host", peer->port, "Host on this port.")->check(CLI::Range(1, 65535));
    command->add_option("--join", peer->join, "Join the host at ADDRESS[:PORT].");
    command->add_option("--seconds", peer->seconds, "How long to play.")->capture_default_str()->check(CLI::Range(1.0, 3600.0));
    command->add_option("--seed", peer->seed, "The controls' seed.")->capture_default_str()->check(wholeNumber(0xFFFFFFFFull));
    command->add_option("--playfield", peer->playfield, "The arena file.")->capture_default_str();
    command->callback([&chosen, peer, command] {
        peer->hosting = command->count("--host") > 0;
        chosen = [peer] {
            if (peer->hosting == !peer->join.empty()) {
                std::fprintf(stderr, "netplay: give --host PORT or --join ADDRESS\n");
                return 2;
            }
            return netplayPeer(*peer);
        };
    });

    auto relay = std::make_shared<RelayOptions>();
    command = tool.add_subcommand("relay", "Pass a joiner's datagrams to a host and back with a seeded delay, jitter, loss, duplication and reordering.");
    command->add_option("--listen", relay->listen, "The port joiners send to.")->required()->check(CLI::Range(1, 65535));
    command->add_option("--to", relay->to, "The host's ADDRESS[:PORT].")->required();
    command->add_option("--rtt", relay->rtt, "Round trip in milliseconds.")->capture_default_str()->check(CLI::Range(0, 2000));
    command->add_option("--jitter", relay->jitter, "Extra delay of up to this many milliseconds.")->capture_default_str()->check(CLI::Range(0, 1000));
    command->add_option("--loss", relay->loss, "Datagrams lost, in percent.")->capture_default_str()->check(CLI::Range(0.0, 100.0));
    command->add_option("--duplicate", relay->duplicate, "Datagrams sent twice, in percent.")->capture_default_str()->check(CLI::Range(0.0, 100.0));
    command->add_option("--reorder", relay->reorder, "Datagrams held back behind later ones, in percent.")->capture_default_str()->check(CLI::Range(0.0, 100.0));
    command->add_option("--seconds", relay->seconds, "How long to run.")->capture_default_str()->check(CLI::Range(1.0, 3600.0));
    command->add_option("--seed", relay->seed, "The network's seed.")->capture_default_str()->check(wholeNumber(0xFFFFFFFFull));
    command->callback([&chosen, relay] { chosen = [relay] { return relayCommand(*relay); }; });
}
