// A stretch of network between two sides, for tests and benchmarks: each datagram is delayed by
// half the round trip plus a seeded jitter, and some are lost, sent twice or held back behind
// later ones. The same seed gives the same network, so that a failure can be replayed exactly.
// The Relay runs on any clock the caller gives it (a virtual one in tests); a SocketRelay puts it
// between two real UDP endpoints.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/datagrams.h"

struct NetworkConditions {
    int roundTripMs = 0;
    int jitterMs = 0;             // each datagram is late by up to this much more
    double lossPercent = 0;
    double duplicatePercent = 0;
    double reorderPercent = 0;    // held back by up to two frames more, behind later ones
    uint64_t seed = 1;
};

class Relay {
public:
    explicit Relay(const NetworkConditions& conditions);
    // A datagram toward side (0 or 1), sent at now (microseconds).
    void send(int side, std::vector<uint8_t> bytes, uint64_t now);
    struct Delivery {
        int side;
        std::vector<uint8_t> bytes;
    };
    // The datagrams due by now, in the order they arrive.
    std::vector<Delivery> due(uint64_t now);
    size_t inFlight() const { return flights_.size(); }

private:
    struct Flight {
        uint64_t at;
        uint64_t order;
        int side;
        std::vector<uint8_t> bytes;
    };
    uint64_t nextRandom();
    double uniform() { return double(nextRandom() >> 11) / double(uint64_t(1) << 53); }
    uint64_t delayMicros();

    NetworkConditions conditions_;
    uint64_t state_;
    uint64_t sent_ = 0;
    std::vector<Flight> flights_;
};

// Listens on a port of its own for the joining side and passes its datagrams on to the host
// (and the host's answers back to whoever last wrote to it), through a Relay on the real clock.
class SocketRelay {
public:
    // False, with the problem, when a socket cannot be opened.
    bool open(uint16_t listenPort, const platform::NetAddress& host, const NetworkConditions& conditions,
              std::string& problem);
    uint16_t port() const;
    // Moves what arrived and what is due; call it often (every millisecond or so).
    void pump(uint64_t nowMicros);

private:
    std::unique_ptr<platform::DatagramSocket> front_;  // the joiner's side
    std::unique_ptr<platform::DatagramSocket> back_;   // toward the host
    platform::NetAddress host_, joiner_;
    std::unique_ptr<Relay> relay_;
};
