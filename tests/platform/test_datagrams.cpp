// Datagrams between two copies of the game: addresses as a player types them (numeric forms and
// "localhost" only: no network is asked), the machine's own addresses, and real UDP sockets on the
// loopback addresses. Every wait is a bounded poll.
#include "platform/address_text.h"
#include "platform/datagrams.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using platform::DatagramSocket;
using platform::NetAddress;

constexpr uint16_t DEFAULT_PORT = platform::DEFAULT_GAME_PORT;

// text -> the address as addressText writes it, or a piece of the problem's words.
struct AddressCase {
    const char* text;
    const char* shown;    // empty when resolving must fail
    const char* problem;  // for a failure
};

void expectResolves(const AddressCase& c) {
    NetAddress address;
    std::string problem;
    bool resolved = platform::resolveAddress(c.text, DEFAULT_PORT, address, problem);
    if (*c.shown) {
        ASSERT_TRUE(resolved) << c.text << ": " << problem;
        EXPECT_EQ(platform::addressText(address), c.shown) << c.text;
        // What addressText writes reads back as the same address.
        NetAddress again;
        EXPECT_TRUE(platform::resolveAddress(platform::addressText(address), 1, again, problem)) << problem;
        EXPECT_EQ(again, address) << c.text;
    } else {
        EXPECT_FALSE(resolved) << c.text << " gave " << platform::addressText(address);
        EXPECT_NE(problem.find(c.problem), std::string::npos) << c.text << ": " << problem;
    }
}

TEST(DatagramAddresses, TypedFormsAndTheirProblems) {
    const AddressCase cases[] = {
        {"192.168.1.20", "192.168.1.20:47310", ""},
        {"192.168.1.20:5000", "192.168.1.20:5000", ""},
        {" 10.0.0.1:7 ", "10.0.0.1:7", ""},
        {"010.001.000.009", "10.1.0.9:47310", ""},  // leading zeros are decimal, never octal
        {"::1", "[::1]:47310", ""},
        {"[::1]:5000", "[::1]:5000", ""},
        {"[2001:DB8:0:0:1:0:0:1]:9", "[2001:db8::1:0:0:1]:9", ""},  // the first longest zero run
        {"1:2:3:4:5:6:7:8", "[1:2:3:4:5:6:7:8]:47310", ""},
        {"1:0:3:4:5:6:7:8", "[1:0:3:4:5:6:7:8]:47310", ""},  // one zero group is not "::"
        {"::", "[::]:47310", ""},
        {"64:ff9b::1.2.3.4", "[64:ff9b::102:304]:47310", ""},
        {"fe80::1%2", "[fe80::1%2]:47310", ""},
        {"[fe80::1%3]:80", "[fe80::1%3]:80", ""},
        // An IPv4 peer written in its v4-mapped form is the same IPv4 address.
        {"::ffff:10.1.2.3", "10.1.2.3:47310", ""},
        {"[::FFFF:10.1.2.3]:8", "10.1.2.3:8", ""},
        {"localhost:3000", "127.0.0.1:3000", ""},
        {"1.2.3.4:65535", "1.2.3.4:65535", ""},
        {"", "", "no address"},
        {"   ", "", "no address"},
        {"1.2.3.4:", "", "no port in"},
        {"[::1]:", "", "no port in"},
        {":5", "", "no host in"},
        {"1.2.3.4:0", "", "bad port"},
        {"1.2.3.4:65536", "", "bad port"},
        {"1.2.3.4:99999999999999999999", "", "bad port"},
        {"1.2.3.4:-1", "", "bad port"},
        {"1.2.3.4:12a", "", "bad port"},
        {"[::1", "", "no closing ]"},
        {"[::1]x", "", "after ]"},
        {"[]:5", "", "no host in"},
        {"1.2.3", "", "bad IPv4 address"},
        {"256.1.1.1", "", "bad IPv4 address"},
        {"1.2.3.4.5", "", "bad IPv4 address"},
        {"1::2::3", "", "bad IPv6 address"},
        {"1:2:3:4:5:6:7:8:9", "", "bad IPv6 address"},
        {"1:2:3:4:5:6:7::8", "", "bad IPv6 address"},  // "::" stands for at least one group
        {"12345::1", "", "bad IPv6 address"},
        {"::1:", "", "bad IPv6 address"},
        {"::g", "", "bad IPv6 address"},
        {"1.2.3.4%eth0", "", "only with an IPv6 address"},
        {"::1%", "", "no interface after %"},
        {"fe80::1%nosuchinterface7", "", "unknown network interface"},
        {"game box", "", "not an address or host name"},
        {"-gamebox", "", "not an address or host name"},
    };
    for (const AddressCase& c : cases) expectResolves(c);

    NetAddress address;
    std::string problem;
    EXPECT_FALSE(platform::resolveAddress("1.2.3.4", 0, address, problem));  // no port anywhere
    EXPECT_NE(problem.find("no port in"), std::string::npos) << problem;
}

TEST(DatagramAddresses, EqualityTheOwnAddressesAndWhichAreWorthShowing) {
    NetAddress a, b;
    std::string problem;
    ASSERT_TRUE(platform::resolveAddress("10.1.2.3:8", 1, a, problem));
    ASSERT_TRUE(platform::resolveAddress("[::ffff:10.1.2.3]:8", 1, b, problem));
    EXPECT_EQ(a, b);
    b.port = 9;
    EXPECT_NE(a, b);
    ASSERT_TRUE(platform::resolveAddress("fe80::1%2", 1, a, problem));
    ASSERT_TRUE(platform::resolveAddress("fe80::1%3", 1, b, problem));
    EXPECT_NE(a, b);  // another interface is another peer
    EXPECT_EQ(NetAddress{}, NetAddress{});

    // Loopback and link-local addresses are left out unless nothing else is there.
    auto parsed = [](std::vector<const char*> texts) {
        std::vector<NetAddress> addresses;
        for (const char* text : texts) {
            NetAddress address;
            std::string ignored;
            EXPECT_TRUE(platform::resolveAddress(text, 1, address, ignored)) << text;
            addresses.push_back(address);
        }
        return addresses;
    };
    using Texts = std::vector<std::string>;
    EXPECT_EQ(platform::address::reachableAddresses(
                  parsed({"fe80::1%2", "127.0.0.1", "2001:db8::5", "::1", "169.254.7.7", "192.168.1.20",
                          "::ffff:192.168.1.20", "0.0.0.0"})),
              (Texts{"192.168.1.20", "2001:db8::5"}));
    EXPECT_EQ(platform::address::reachableAddresses(parsed({"::1", "fe80::1%2", "127.0.0.1"})),
              (Texts{"127.0.0.1", "::1"}));

    // The machine's own addresses read back as addresses.
    std::vector<std::string> own = platform::localAddresses();
    EXPECT_FALSE(own.empty());
    for (const std::string& text : own) {
        EXPECT_TRUE(platform::resolveAddress(text, 1, a, problem)) << text << ": " << problem;
        EXPECT_EQ(platform::address::hostText(a), text);
    }
}

void pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::unique_ptr<DatagramSocket> openSocket() {
    std::string problem;
    std::unique_ptr<DatagramSocket> socket = platform::openDatagramSocket(0, problem);
    EXPECT_TRUE(socket) << problem;
    if (socket) {
        EXPECT_NE(socket->localPort(), 0);
    }
    return socket;
}

// The next datagram within about two seconds, polled every 10 ms; -1 when none came.
int receiveWithin(DatagramSocket& socket, NetAddress& from, std::vector<uint8_t>& buffer) {
    for (int poll = 0; poll < 200; ++poll) {
        int size = socket.receive(from, buffer.data(), buffer.size());
        if (size >= 0) return size;
        pause(10);
    }
    return -1;
}

std::vector<uint8_t> bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

// Two sockets on one loopback address say hello both ways; the answer goes to where the first
// datagram came from, and comes back from the very address it was sent to.
void exchangeOn(const std::string& loopback) {
    auto a = openSocket(), b = openSocket();
    ASSERT_TRUE(a && b);
    NetAddress toB;
    std::string problem;
    ASSERT_TRUE(platform::resolveAddress(loopback, b->localPort(), toB, problem)) << problem;
    const std::vector<uint8_t> ping = bytes("ping"), pong = bytes("pong!");
    if (!a->send(toB, ping.data(), ping.size())) GTEST_SKIP() << loopback << " is not available";

    std::vector<uint8_t> buffer(1500);
    NetAddress fromA;
    int size = receiveWithin(*b, fromA, buffer);
    ASSERT_EQ(size, 4) << loopback;
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + size), ping);
    EXPECT_EQ(fromA.family, toB.family) << platform::addressText(fromA);
    EXPECT_EQ(fromA.port, a->localPort());

    ASSERT_TRUE(b->send(fromA, pong.data(), pong.size()));
    NetAddress fromB;
    size = receiveWithin(*a, fromB, buffer);
    ASSERT_EQ(size, 5) << loopback;
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + size), pong);
    EXPECT_EQ(fromB, toB) << platform::addressText(fromB) << " is not " << platform::addressText(toB);
}

TEST(DatagramSockets, ExchangeBothWaysOnIPv4Loopback) { exchangeOn("127.0.0.1"); }

TEST(DatagramSockets, ExchangeBothWaysOnIPv6Loopback) { exchangeOn("::1"); }

TEST(DatagramSockets, NothingWaitingAnOversizedDatagramAndAClosedPort) {
    auto a = openSocket(), b = openSocket();
    ASSERT_TRUE(a && b);
    NetAddress from;
    std::vector<uint8_t> buffer(1600, 0xee);
    EXPECT_EQ(a->receive(from, buffer.data(), 1500), -1);  // at once: nothing waits

    NetAddress toA;
    std::string problem;
    ASSERT_TRUE(platform::resolveAddress("127.0.0.1", a->localPort(), toA, problem));
    std::vector<uint8_t> big(2000);
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i * 7);
    ASSERT_TRUE(b->send(toA, big.data(), big.size()));
    int size = -1;
    for (int poll = 0; poll < 200 && size < 0; ++poll) {
        size = a->receive(from, buffer.data(), 1500);
        if (size < 0) pause(10);
    }
#ifdef _WIN32
    EXPECT_EQ(size, 1501);  // Winsock tells only that it was longer
#else
    EXPECT_EQ(size, 2000);
#endif
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + 1500, big.begin()));
    EXPECT_EQ(std::count(buffer.begin() + 1500, buffer.end(), 0xee), 100);  // nothing past capacity
    EXPECT_EQ(from.port, b->localPort());

    // A datagram to a port where nobody listens any more: the refusal that may come back is not a
    // datagram and does not stop the next one from arriving.
    NetAddress closed;
    {
        auto gone = openSocket();
        ASSERT_TRUE(gone);
        ASSERT_TRUE(platform::resolveAddress("127.0.0.1", gone->localPort(), closed, problem));
    }
    const std::vector<uint8_t> hello = bytes("hello");
    for (int i = 0; i < 3; ++i) a->send(closed, hello.data(), hello.size());
    pause(50);  // time for a refusal to come back
    EXPECT_EQ(a->receive(from, buffer.data(), buffer.size()), -1);
    ASSERT_TRUE(b->send(toA, hello.data(), hello.size()));
    ASSERT_EQ(receiveWithin(*a, from, buffer), 5);
    EXPECT_EQ(from.port, b->localPort());
    EXPECT_TRUE(a->send(closed, hello.data(), hello.size()));
}

}  // namespace
