// Datagrams over BSD sockets: one non-blocking dual-stack IPv6 socket (IPv4 peers arrive as
// v4-mapped addresses), or a plain IPv4 socket where the system has no IPv6.
#include "platform/address_text.h"
#include "platform/datagrams.h"
#include "platform/socket_address.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <unistd.h>

namespace platform {

namespace {

using sockets::fromSystem;
using sockets::systemAddress;

// Reports of ICMP errors for earlier sends, and a peer's network going away: none of them is
// about the datagram being asked for.
bool isReportOfEarlierSend(int error) {
    return error == ECONNREFUSED || error == ECONNRESET || error == EHOSTUNREACH || error == ENETUNREACH ||
           error == EHOSTDOWN || error == ENETDOWN;
}

std::string systemProblem(const std::string& what, int error) { return what + ": " + std::strerror(error); }

class PosixDatagramSocket final : public DatagramSocket {
public:
    PosixDatagramSocket(int socket, bool ipv6) : socket_(socket), ipv6_(ipv6) {}
    ~PosixDatagramSocket() override { close(socket_); }
    PosixDatagramSocket(const PosixDatagramSocket&) = delete;
    PosixDatagramSocket& operator=(const PosixDatagramSocket&) = delete;

    bool send(const NetAddress& to, const uint8_t* data, size_t size) override {
        sockaddr_storage target;
        socklen_t length = systemAddress(to, ipv6_, target);
        if (!length) return false;
        // A refusal reported for an earlier send takes this send's error once: it is tried again.
        for (int attempt = 0; attempt < 4; ++attempt) {
            ssize_t sent = sendto(socket_, data, size, 0, reinterpret_cast<sockaddr*>(&target), length);
            if (sent >= 0) return static_cast<size_t>(sent) == size;
            if (errno != EINTR && errno != ECONNREFUSED) return false;
        }
        return false;
    }

    int receive(NetAddress& from, uint8_t* buffer, size_t capacity) override {
        // Each report of an earlier send is taken off the socket; a datagram or "nothing" ends it.
        for (int attempt = 0; attempt < 64; ++attempt) {
            sockaddr_storage sender{};
            socklen_t length = sizeof sender;
            ssize_t size = recvfrom(socket_, buffer, capacity, MSG_TRUNC, reinterpret_cast<sockaddr*>(&sender), &length);
            if (size >= 0) {
                from = fromSystem(reinterpret_cast<sockaddr*>(&sender));
                return static_cast<int>(size);
            }
            if (errno != EINTR && !isReportOfEarlierSend(errno)) return -1;
        }
        return -1;
    }

    uint16_t localPort() const override {
        sockaddr_storage bound{};
        socklen_t length = sizeof bound;
        if (getsockname(socket_, reinterpret_cast<sockaddr*>(&bound), &length) != 0) return 0;
        return fromSystem(reinterpret_cast<sockaddr*>(&bound)).port;
    }

private:
    int socket_;
    bool ipv6_;
};

// A non-blocking socket of the family bound to port on every address; -1 with the problem.
int openBound(int family, uint16_t port, std::string& problem, int& error) {
    int fd = socket(family, SOCK_DGRAM, 0);
    if (fd < 0) {
        error = errno;
        problem = systemProblem("cannot open a UDP socket", error);
        return -1;
    }
    // Never waits; not inherited by programs the game starts.
    fcntl(fd, F_SETFD, fcntl(fd, F_GETFD) | FD_CLOEXEC);
    if (fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK) != 0) {
        error = errno;
        problem = systemProblem("cannot make the UDP socket non-blocking", error);
        close(fd);
        return -1;
    }
    int off = 0;  // IPv4 peers too, as v4-mapped addresses
    if (family == AF_INET6 && setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &off, sizeof off) != 0) {
        error = errno;
        problem = systemProblem("cannot reach IPv4 peers from an IPv6 socket", error);
        close(fd);
        return -1;
    }
    sockaddr_storage any;
    socklen_t length = sockets::anyAddress(family == AF_INET6, port, any);
    if (bind(fd, reinterpret_cast<sockaddr*>(&any), length) != 0) {
        error = errno;
        problem = systemProblem("cannot use UDP port " + std::to_string(port), error);
        close(fd);
        return -1;
    }
    return fd;
}

uint32_t interfaceIndex(const std::string& name) { return if_nametoindex(name.c_str()); }

}  // namespace

bool resolveAddress(const std::string& text, uint16_t defaultPort, NetAddress& out, std::string& problem) {
    return address::resolve(text, defaultPort, {sockets::lookUpName, interfaceIndex}, out, problem);
}

std::vector<std::string> localAddresses() {
    std::vector<NetAddress> all;
    ifaddrs* interfaces = nullptr;
    if (getifaddrs(&interfaces) != 0) return {};
    for (ifaddrs* entry = interfaces; entry; entry = entry->ifa_next) {
        if (entry->ifa_addr && (entry->ifa_flags & IFF_UP)) all.push_back(fromSystem(entry->ifa_addr));
    }
    freeifaddrs(interfaces);
    return address::reachableAddresses(all);
}

std::unique_ptr<DatagramSocket> openDatagramSocket(uint16_t port, std::string& problem) {
    int error = 0;
    int fd = openBound(AF_INET6, port, problem, error);
    // A port that is taken or not permitted is so for IPv4 too; anything else may be a system
    // without IPv6.
    if (fd < 0 && (error == EADDRINUSE || error == EACCES)) return nullptr;
    bool ipv6 = fd >= 0;
    if (fd < 0) fd = openBound(AF_INET, port, problem, error);
    if (fd < 0) return nullptr;
    problem.clear();
    return std::make_unique<PosixDatagramSocket>(fd, ipv6);
}

}  // namespace platform
