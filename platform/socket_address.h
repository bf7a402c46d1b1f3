// Addresses between NetAddress and the socket calls' own form, and host name look-ups: the same
// on BSD sockets and Winsock. Only the datagram implementations include this (it brings in the system's headers).
#pragma once

#include "platform/address_text.h"
#include "platform/datagrams.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif

#include <cstring>
#include <string>

namespace platform::sockets {

// The system's form of an address, for a socket of the given family; 0 when that socket cannot
// reach it (an IPv6 peer from an IPv4 socket). A dual-stack socket reaches IPv4 peers by their
// v4-mapped address.
inline socklen_t systemAddress(const NetAddress& to, bool ipv6Socket, sockaddr_storage& out) {
    std::memset(&out, 0, sizeof out);
    NetAddress target = ipv6Socket && to.family == 4 ? address::mappedToIPv6(to) : address::unmapped(to);
    if (target.family == 6 && ipv6Socket) {
        auto* v6 = reinterpret_cast<sockaddr_in6*>(&out);
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(target.port);
        std::memcpy(&v6->sin6_addr, target.bytes, 16);
        v6->sin6_scope_id = target.scope;
        return sizeof *v6;
    }
    if (target.family == 4 && !ipv6Socket) {
        auto* v4 = reinterpret_cast<sockaddr_in*>(&out);
        v4->sin_family = AF_INET;
        v4->sin_port = htons(target.port);
        std::memcpy(&v4->sin_addr, target.bytes, 4);
        return sizeof *v4;
    }
    return 0;
}

// The address of a system address, v4-mapped ones as IPv4, so that a peer is one NetAddress
// whichever way it arrived; family 0 for other kinds.
inline NetAddress fromSystem(const sockaddr* from) {
    NetAddress address;
    if (from->sa_family == AF_INET) {
        const auto* v4 = reinterpret_cast<const sockaddr_in*>(from);
        address.family = 4;
        std::memcpy(address.bytes, &v4->sin_addr, 4);
        address.port = ntohs(v4->sin_port);
    } else if (from->sa_family == AF_INET6) {
        const auto* v6 = reinterpret_cast<const sockaddr_in6*>(from);
        address.family = 6;
        std::memcpy(address.bytes, &v6->sin6_addr, 16);
        address.port = ntohs(v6->sin6_port);
        address.scope = v6->sin6_scope_id;
    }
    return address::unmapped(address);
}

// A bound socket listening on every address: in6addr_any or INADDR_ANY.
inline socklen_t anyAddress(bool ipv6, uint16_t port, sockaddr_storage& out) {
    NetAddress any;
    any.family = ipv6 ? 6 : 4;
    any.port = port;
    return systemAddress(any, ipv6, out);
}

// The address of a host name through getaddrinfo, IPv4 preferred (a game peer is more often
// reached that way); false when the name is unknown.
inline bool lookUpName(const std::string& name, NetAddress& out) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || !found) return false;
    NetAddress ipv6;
    out = NetAddress{};
    for (addrinfo* entry = found; entry && out.family != 4; entry = entry->ai_next) {
        if (!entry->ai_addr) continue;
        NetAddress address = fromSystem(entry->ai_addr);
        if (address.family == 4) out = address;
        if (address.family == 6 && ipv6.family == 0) ipv6 = address;
    }
    freeaddrinfo(found);
    if (out.family == 0) out = ipv6;
    return out.family != 0;
}

}  // namespace platform::sockets
