#include "net/relay.h"

#include <algorithm>

Relay::Relay(const NetworkConditions& conditions) : conditions_(conditions), state_(conditions.seed) {}

uint64_t Relay::nextRandom() {
    // splitmix64: a fixed sequence on every build.
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

uint64_t Relay::delayMicros() {
    uint64_t delay = uint64_t(conditions_.roundTripMs) * 500 + uint64_t(uniform() * conditions_.jitterMs * 1000);
    if (uniform() * 100 < conditions_.reorderPercent) delay += 1000 + uint64_t(uniform() * 19000);
    return delay;
}

void Relay::send(int side, std::vector<uint8_t> bytes, uint64_t now) {
    if (uniform() * 100 < conditions_.lossPercent) return;
    if (uniform() * 100 < conditions_.duplicatePercent) flights_.push_back({now + delayMicros(), sent_++, side, bytes});
    flights_.push_back({now + delayMicros(), sent_++, side, std::move(bytes)});
}

std::vector<Relay::Delivery> Relay::due(uint64_t now) {
    auto later = std::stable_partition(flights_.begin(), flights_.end(), [now](const Flight& f) { return f.at > now; });
    std::sort(later, flights_.end(),
              [](const Flight& a, const Flight& b) { return a.at != b.at ? a.at < b.at : a.order < b.order; });
    std::vector<Delivery> arrived;
    for (auto f = later; f != flights_.end(); ++f) arrived.push_back({f->side, std::move(f->bytes)});
    flights_.erase(later, flights_.end());
    return arrived;
}

bool SocketRelay::open(uint16_t listenPort, const platform::NetAddress& host, const NetworkConditions& conditions,
                       std::string& problem) {
    front_ = platform::openDatagramSocket(listenPort, problem);
    if (!front_) return false;
    back_ = platform::openDatagramSocket(0, problem);
    if (!back_) return false;
    host_ = host;
    relay_ = std::make_unique<Relay>(conditions);
    return true;
}

uint16_t SocketRelay::port() const { return front_ ? front_->localPort() : 0; }

void SocketRelay::pump(uint64_t nowMicros) {
    if (!relay_) return;
    uint8_t buffer[2048];
    platform::NetAddress from;
    int size;
    while ((size = front_->receive(from, buffer, sizeof buffer)) >= 0) {
        joiner_ = from;
        relay_->send(0, std::vector<uint8_t>(buffer, buffer + std::min<size_t>(size_t(size), sizeof buffer)), nowMicros);
    }
    while ((size = back_->receive(from, buffer, sizeof buffer)) >= 0)
        if (from == host_)
            relay_->send(1, std::vector<uint8_t>(buffer, buffer + std::min<size_t>(size_t(size), sizeof buffer)), nowMicros);
    for (Relay::Delivery& d : relay_->due(nowMicros)) {
        if (d.side == 0) back_->send(host_, d.bytes.data(), d.bytes.size());
        else if (joiner_.family != 0) front_->send(joiner_, d.bytes.data(), d.bytes.size());
    }
}
