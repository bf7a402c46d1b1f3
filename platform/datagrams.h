// Datagrams between two copies of the game: a non-blocking UDP socket and the addresses it talks
// to, kept as plain bytes so that code outside platform/ needs no OS header. One implementation a
// system: BSD sockets (platform/posix/posix_datagrams.cpp) and Winsock 2
// (platform/win32/win32_datagrams.cpp); the game and the tools link the one their system has.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// The port a host listens on when none is named.
constexpr uint16_t DEFAULT_GAME_PORT = 47310;

struct NetAddress {
    uint8_t family = 0;      // 0: no address; 4: IPv4 (bytes[0..3]); 6: IPv6
    uint8_t bytes[16] = {};
    uint16_t port = 0;
    uint32_t scope = 0;      // an IPv6 link-local address's interface, else 0
};
bool operator==(const NetAddress& a, const NetAddress& b);
inline bool operator!=(const NetAddress& a, const NetAddress& b) { return !(a == b); }

// "1.2.3.4:5" or "[::1]:5".
std::string addressText(const NetAddress& address);

// Reads an address as a player types it: "192.168.1.20", "192.168.1.20:47310", "::1",
// "[::1]:47310", "[fe80::1%eth0]:47310", "gamebox.local" or "gamebox.local:47310" (names are
// resolved, IPv4 first). A missing port is defaultPort. False, with the problem in words, for
// anything else (a bad port, an empty or unknown name).
bool resolveAddress(const std::string& text, uint16_t defaultPort, NetAddress& out, std::string& problem);

// The machine's own addresses that another machine could reach it by (loopback and link-local
// addresses left out; loopback alone when there is nothing else), as text without a port.
std::vector<std::string> localAddresses();

class DatagramSocket {
public:
    virtual ~DatagramSocket() = default;
    // Sends one datagram; false when the system refused it (the caller goes on: UDP may lose it).
    virtual bool send(const NetAddress& to, const uint8_t* data, size_t size) = 0;
    // Takes the next waiting datagram without waiting: -1 when none waits, otherwise its full
    // length, of which at most capacity bytes were copied (a longer one is the caller's to drop;
    // Winsock does not tell how much longer, and capacity + 1 stands for it there).
    // Reports that only concern earlier sends (a closed port elsewhere) are skipped, not returned.
    virtual int receive(NetAddress& from, uint8_t* buffer, size_t capacity) = 0;
    // The port the socket is bound to.
    virtual uint16_t localPort() const = 0;
};

// Opens a UDP socket bound to port on every local address (0: any free port), reaching IPv4 and
// IPv6 peers alike where the system allows; null with the problem in words when it cannot.
std::unique_ptr<DatagramSocket> openDatagramSocket(uint16_t port, std::string& problem);

}  // namespace platform
