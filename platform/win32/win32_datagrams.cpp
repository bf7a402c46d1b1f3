// Datagrams over Winsock 2: one non-blocking dual-stack IPv6 socket (IPv4 peers arrive as
// v4-mapped addresses), or a plain IPv4 socket where the system has no IPv6.
#include "platform/address_text.h"
#include "platform/datagrams.h"
#include "platform/socket_address.h"

#include <iphlpapi.h>
#include <windows.h>

#include <climits>
#include <vector>

// Windows' switch for the "connection reset" that a UDP socket otherwise reports when an earlier
// datagram met a closed port; the SDK's mstcpip.h has it, mingw-w64's headers may not.
#ifndef SIO_UDP_CONNRESET
#define SIO_UDP_CONNRESET _WSAIOW(IOC_VENDOR, 12)
#endif

namespace platform {

namespace {

using sockets::fromSystem;
using sockets::systemAddress;

// Winsock is started once and left running until the program ends.
bool winsockReady() {
    static const bool ready = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return ready;
}

std::string systemProblem(const std::string& what, int error) {
    char text[256] = {};
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                  static_cast<DWORD>(error), 0, text, sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == '.'))
        text[--length] = '\0';
    return what + ": " + (length ? std::string(text) : "Winsock error " + std::to_string(error));
}

class Win32DatagramSocket final : public DatagramSocket {
public:
    Win32DatagramSocket(SOCKET socket, bool ipv6) : socket_(socket), ipv6_(ipv6) {}
    ~Win32DatagramSocket() override { closesocket(socket_); }
    Win32DatagramSocket(const Win32DatagramSocket&) = delete;
    Win32DatagramSocket& operator=(const Win32DatagramSocket&) = delete;

    bool send(const NetAddress& to, const uint8_t* data, size_t size) override {
        sockaddr_storage target;
        socklen_t length = systemAddress(to, ipv6_, target);
        if (!length || size > INT_MAX) return false;
        // A reset reported for an earlier send takes this send's error once: it is tried again.
        for (int attempt = 0; attempt < 4; ++attempt) {
            int sent = sendto(socket_, reinterpret_cast<const char*>(data), static_cast<int>(size), 0,
                              reinterpret_cast<sockaddr*>(&target), length);
            if (sent != SOCKET_ERROR) return static_cast<size_t>(sent) == size;
            if (WSAGetLastError() != WSAECONNRESET) return false;
        }
        return false;
    }

    int receive(NetAddress& from, uint8_t* buffer, size_t capacity) override {
        int room = capacity > INT_MAX - 1 ? INT_MAX - 1 : static_cast<int>(capacity);
        // Each report of an earlier send is taken off the socket; a datagram or "nothing" ends it.
        for (int attempt = 0; attempt < 64; ++attempt) {
            sockaddr_storage sender{};
            int length = sizeof sender;
            int size = recvfrom(socket_, reinterpret_cast<char*>(buffer), room, 0,
                                reinterpret_cast<sockaddr*>(&sender), &length);
            if (size != SOCKET_ERROR) {
                from = fromSystem(reinterpret_cast<sockaddr*>(&sender));
                return size;
            }
            int error = WSAGetLastError();
            if (error == WSAEMSGSIZE) {  // cut to room; Winsock does not tell the full length
                from = fromSystem(reinterpret_cast<sockaddr*>(&sender));
                return room + 1;
            }
            if (error != WSAECONNRESET && error != WSAENETRESET) return -1;
        }
        return -1;
    }

    uint16_t localPort() const override {
        sockaddr_storage bound{};
        int length = sizeof bound;
        if (getsockname(socket_, reinterpret_cast<sockaddr*>(&bound), &length) != 0) return 0;
        return fromSystem(reinterpret_cast<sockaddr*>(&bound)).port;
    }

private:
    SOCKET socket_;
    bool ipv6_;
};

// A non-blocking socket of the family bound to port on every address; INVALID_SOCKET with the
// problem.
SOCKET openBound(int family, uint16_t port, std::string& problem, int& error) {
    SOCKET handle = socket(family, SOCK_DGRAM, IPPROTO_UDP);
    auto fail = [&](const std::string& what) {
        error = WSAGetLastError();
        problem = systemProblem(what, error);
        if (handle != INVALID_SOCKET) closesocket(handle);
        return INVALID_SOCKET;
    };
    if (handle == INVALID_SOCKET) return fail("cannot open a UDP socket");
    DWORD off = 0;  // IPv4 peers too, as v4-mapped addresses
    if (family == AF_INET6 &&
        setsockopt(handle, IPPROTO_IPV6, IPV6_V6ONLY, reinterpret_cast<const char*>(&off), sizeof off) != 0)
        return fail("cannot reach IPv4 peers from an IPv6 socket");
    u_long nonBlocking = 1;
    if (ioctlsocket(handle, FIONBIO, &nonBlocking) != 0) return fail("cannot make the UDP socket non-blocking");
    // Without this, a datagram that met a closed port makes a later receive fail with
    // WSAECONNRESET; receive skips that too, where the switch is not there.
    BOOL report = FALSE;
    DWORD returned = 0;
    WSAIoctl(handle, SIO_UDP_CONNRESET, &report, sizeof report, nullptr, 0, &returned, nullptr, nullptr);
    sockaddr_storage any;
    socklen_t length = sockets::anyAddress(family == AF_INET6, port, any);
    if (bind(handle, reinterpret_cast<sockaddr*>(&any), length) != 0)
        return fail("cannot use UDP port " + std::to_string(port));
    return handle;
}

bool lookUpName(const std::string& name, NetAddress& out) { return winsockReady() && sockets::lookUpName(name, out); }

uint32_t interfaceIndex(const std::string& name) { return if_nametoindex(name.c_str()); }

// The adapters' table, grown as GetAdaptersAddresses asks; empty when it cannot be read.
std::vector<unsigned char> adapterTable() {
    ULONG size = 16384;
    std::vector<unsigned char> table;
    for (int attempt = 0; attempt < 4; ++attempt) {
        table.assign(size, 0);
        ULONG result = GetAdaptersAddresses(
            AF_UNSPEC, GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER, nullptr,
            reinterpret_cast<IP_ADAPTER_ADDRESSES*>(table.data()), &size);
        if (result == NO_ERROR) return table;
        if (result != ERROR_BUFFER_OVERFLOW) break;
    }
    return {};
}

}  // namespace

bool resolveAddress(const std::string& text, uint16_t defaultPort, NetAddress& out, std::string& problem) {
    return address::resolve(text, defaultPort, {lookUpName, interfaceIndex}, out, problem);
}

std::vector<std::string> localAddresses() {
    std::vector<NetAddress> all;
    std::vector<unsigned char> table = adapterTable();
    if (table.empty()) return {};
    for (auto* adapter = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(table.data()); adapter; adapter = adapter->Next) {
        if (adapter->OperStatus != IfOperStatusUp) continue;
        for (auto* unicast = adapter->FirstUnicastAddress; unicast; unicast = unicast->Next) {
            if (unicast->Address.lpSockaddr) all.push_back(fromSystem(unicast->Address.lpSockaddr));
        }
    }
    return address::reachableAddresses(all);
}

std::unique_ptr<DatagramSocket> openDatagramSocket(uint16_t port, std::string& problem) {
    if (!winsockReady()) {
        problem = "cannot start Winsock 2";
        return nullptr;
    }
    int error = 0;
    SOCKET handle = openBound(AF_INET6, port, problem, error);
    // A port that is taken or not permitted is so for IPv4 too; anything else may be a system
    // without IPv6.
    if (handle == INVALID_SOCKET && (error == WSAEADDRINUSE || error == WSAEACCES)) return nullptr;
    bool ipv6 = handle != INVALID_SOCKET;
    if (!ipv6) handle = openBound(AF_INET, port, problem, error);
    if (handle == INVALID_SOCKET) return nullptr;
    problem.clear();
    return std::make_unique<Win32DatagramSocket>(handle, ipv6);
}

}  // namespace platform
