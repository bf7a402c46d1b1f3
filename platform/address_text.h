// The portable half of platform/datagrams.h: reading an address as a player types it, writing it
// back, the v4-mapped form that a dual-stack socket uses for IPv4 peers, and the choice of the
// machine's addresses worth showing. The two socket implementations add only the system's calls
// (name look-up, interface names, the socket itself).
#pragma once

#include "platform/datagrams.h"

#include <cstdint>
#include <string>
#include <vector>

namespace platform::address {

// A typed address cut into its parts: "[fe80::1%eth0]:5" is host "fe80::1", scope "eth0", port 5.
struct TypedAddress {
    std::string host;
    std::string scope;  // empty when no "%" was given
    uint16_t port = 0;
};
// False, with the problem in words, when the text has no host, a bad port or unmatched brackets.
// A missing port is defaultPort (and a problem when that is 0).
bool splitAddress(const std::string& text, uint16_t defaultPort, TypedAddress& out, std::string& problem);

// Numeric addresses: four decimal parts, or IPv6 groups with at most one "::" and an optional
// dotted IPv4 tail. Anything else (including surrounding text) is false.
bool parseIPv4(const std::string& text, uint8_t bytes[4]);
bool parseIPv6(const std::string& text, uint8_t bytes[16]);

// The address without port: "1.2.3.4", "2001:db8::1" (shortest form), "fe80::1%2"; empty for no address.
std::string hostText(const NetAddress& address);

// ::ffff:a.b.c.d, the form a dual-stack IPv6 socket gives IPv4 peers, and back.
NetAddress mappedToIPv6(const NetAddress& ipv4);
// An IPv4 peer's v4-mapped address as family 4; any other address unchanged.
NetAddress unmapped(const NetAddress& address);

bool isLoopback(const NetAddress& address);
bool isLinkLocal(const NetAddress& address);
// The addresses worth telling another player, as hostText: loopback and link-local ones left out
// (loopback alone when nothing else is left), each once, IPv4 first.
std::vector<std::string> reachableAddresses(const std::vector<NetAddress>& all);

// What the system looks up for resolveAddress.
struct SystemLookups {
    // The address of a host name, IPv4 preferred; false when the name is unknown.
    bool (*lookUpName)(const std::string& name, NetAddress& out);
    // The index of a network interface by name; 0 when there is no such interface.
    uint32_t (*interfaceIndex)(const std::string& name);
};
// resolveAddress with the system's look-ups: numeric forms are read here, names go to lookUpName.
bool resolve(const std::string& text, uint16_t defaultPort, const SystemLookups& system, NetAddress& out,
             std::string& problem);

}  // namespace platform::address
