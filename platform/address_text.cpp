#include "platform/address_text.h"

#include <algorithm>
#include <cstring>

namespace platform {

bool operator==(const NetAddress& a, const NetAddress& b) {
    if (a.family != b.family) return false;
    if (a.family == 0) return true;
    size_t length = a.family == 4 ? 4 : 16;
    return a.port == b.port && std::memcmp(a.bytes, b.bytes, length) == 0 && (a.family == 4 || a.scope == b.scope);
}

std::string addressText(const NetAddress& address) {
    std::string host = address::hostText(address);
    if (host.empty()) return host;
    std::string port = ":" + std::to_string(address.port);
    return address.family == 6 ? "[" + host + "]" + port : host + port;
}

namespace address {

namespace {
bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexValue(char c) {
    if (isDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

std::string trimmed(const std::string& text) {
    const char* space = " \t\r\n";
    size_t first = text.find_first_not_of(space);
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(space) - first + 1);
}

// A decimal number of at most maxDigits digits, nothing else.
bool readDecimal(const std::string& digits, size_t maxDigits, uint64_t& value) {
    if (digits.empty() || digits.size() > maxDigits) return false;
    value = 0;
    for (char c : digits) {
        if (!isDigit(c)) return false;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return true;
}

bool readPort(const std::string& digits, uint16_t& port) {
    uint64_t value = 0;
    if (!readDecimal(digits, 5, value) || value < 1 || value > 65535) return false;
    port = static_cast<uint16_t>(value);
    return true;
}

bool onlyDigitsAndDots(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return isDigit(c) || c == '.'; });
}

// Letters, digits, '-', '_' and '.': what a host name can hold (names in other scripts are typed
// in their ASCII form).
bool looksLikeHostName(const std::string& text) {
    if (text.empty() || text.size() > 253 || text[0] == '.' || text[0] == '-') return false;
    return std::all_of(text.begin(), text.end(), [](char c) {
        return isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '_' || c == '.';
    });
}

// "%2" names interface 2; "%eth0" is looked up by name.
bool readScope(const std::string& scope, const SystemLookups& system, uint32_t& index) {
    uint64_t value = 0;
    if (readDecimal(scope, 10, value)) {
        if (value > UINT32_MAX) return false;
        index = static_cast<uint32_t>(value);
        return true;
    }
    index = system.interfaceIndex(scope);
    return index != 0;
}

std::string ipv6Text(const uint8_t bytes[16]) {
    uint16_t groups[8];
    for (int i = 0; i < 8; ++i) groups[i] = static_cast<uint16_t>(bytes[2 * i] << 8 | bytes[2 * i + 1]);
    // The longest run of two or more zero groups (the first of equal runs) becomes "::".
    int bestStart = -1, bestLength = 1;
    for (int i = 0; i < 8;) {
        int j = i;
        while (j < 8 && groups[j] == 0) ++j;
        if (j - i > bestLength) {
            bestStart = i;
            bestLength = j - i;
        }
        i = j > i ? j : i + 1;
    }
    static const char* digits = "0123456789abcdef";
    std::string text;
    for (int i = 0; i < 8; ++i) {
        if (i == bestStart) {
            text += "::";
            i += bestLength - 1;
            continue;
        }
        if (!text.empty() && text.back() != ':') text += ':';
        bool started = false;
        for (int shift = 12; shift >= 0; shift -= 4) {
            int digit = (groups[i] >> shift) & 0xf;
            if (digit || started || shift == 0) text += digits[digit];
            started = started || digit;
        }
    }
    return text;
}
}  // namespace

bool splitAddress(const std::string& text, uint16_t defaultPort, TypedAddress& out, std::string& problem) {
    const std::string typed = trimmed(text);
    out = TypedAddress{};
    if (typed.empty()) {
        problem = "no address given";
        return false;
    }
    std::string host, port;
    bool hasPort = false;
    if (typed[0] == '[') {
        size_t close = typed.find(']');
        if (close == std::string::npos) {
            problem = "no closing ] in " + quoted(typed);
            return false;
        }
        host = typed.substr(1, close - 1);
        std::string rest = typed.substr(close + 1);
        if (!rest.empty() && rest[0] != ':') {
            problem = "unexpected " + quoted(rest) + " after ] in " + quoted(typed);
            return false;
        }
        hasPort = !rest.empty();
        if (hasPort) port = rest.substr(1);
    } else {
        // One colon separates the port; more are an IPv6 address without one.
        size_t colon = typed.find(':');
        hasPort = colon != std::string::npos && typed.find(':', colon + 1) == std::string::npos;
        host = hasPort ? typed.substr(0, colon) : typed;
        if (hasPort) port = typed.substr(colon + 1);
    }
    size_t percent = host.find('%');
    if (percent != std::string::npos) {
        out.scope = host.substr(percent + 1);
        host.resize(percent);
        if (out.scope.empty()) {
            problem = "no interface after % in " + quoted(typed);
            return false;
        }
    }
    if (host.empty()) {
        problem = "no host in " + quoted(typed);
        return false;
    }
    out.host = host;
    if (hasPort ? port.empty() : defaultPort == 0) {
        problem = "no port in " + quoted(typed);
        return false;
    }
    if (!hasPort) {
        out.port = defaultPort;
    } else if (!readPort(port, out.port)) {
        problem = "bad port " + quoted(port) + " in " + quoted(typed) + " (ports are 1 to 65535)";
        return false;
    }
    return true;
}

bool parseIPv4(const std::string& text, uint8_t bytes[4]) {
    size_t at = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0 && (at >= text.size() || text[at++] != '.')) return false;
        size_t start = at;
        while (at < text.size() && isDigit(text[at]) && at - start < 3) ++at;
        uint64_t value = 0;
        if (!readDecimal(text.substr(start, at - start), 3, value) || value > 255) return false;
        bytes[part] = static_cast<uint8_t>(value);
    }
    return at == text.size();
}

bool parseIPv6(const std::string& text, uint8_t bytes[16]) {
    uint16_t groups[8] = {};
    int count = 0;
    int gap = -1;  // where "::" stands among the groups
    size_t at = 0;
    if (text.compare(0, 2, "::") == 0) {
        gap = 0;
        at = 2;
    }
    while (at < text.size()) {
        size_t end = text.find(':', at);
        std::string piece = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        if (piece.find('.') != std::string::npos) {  // a dotted IPv4 tail for the last two groups
            uint8_t tail[4];
            if (end != std::string::npos || count > 6 || !parseIPv4(piece, tail)) return false;
            groups[count++] = static_cast<uint16_t>(tail[0] << 8 | tail[1]);
            groups[count++] = static_cast<uint16_t>(tail[2] << 8 | tail[3]);
            break;
        }
        if (count == 8 || piece.empty() || piece.size() > 4) return false;
        uint16_t group = 0;
        for (char c : piece) {
            int digit = hexValue(c);
            if (digit < 0) return false;
            group = static_cast<uint16_t>(group << 4 | digit);
        }
        groups[count++] = group;
        if (end == std::string::npos) break;
        at = end + 1;
        if (at < text.size() && text[at] == ':') {
            if (gap >= 0) return false;
            gap = count;
            ++at;
        } else if (at == text.size()) {
            return false;  // a lone ':' at the end
        }
    }
    if (gap < 0 ? count != 8 : count > 7) return false;
    uint16_t full[8] = {};
    int tail = gap < 0 ? 0 : count - gap;
    for (int i = 0; i < count - tail; ++i) full[i] = groups[i];
    for (int i = 0; i < tail; ++i) full[8 - tail + i] = groups[gap + i];
    for (int i = 0; i < 8; ++i) {
        bytes[2 * i] = static_cast<uint8_t>(full[i] >> 8);
        bytes[2 * i + 1] = static_cast<uint8_t>(full[i]);
    }
    return true;
}

std::string hostText(const NetAddress& address) {
    if (address.family == 4) {
        return std::to_string(address.bytes[0]) + "." + std::to_string(address.bytes[1]) + "." +
               std::to_string(address.bytes[2]) + "." + std::to_string(address.bytes[3]);
    }
    if (address.family != 6) return "";
    std::string text = ipv6Text(address.bytes);
    return address.scope ? text + "%" + std::to_string(address.scope) : text;
}

NetAddress mappedToIPv6(const NetAddress& ipv4) {
    NetAddress mapped;
    mapped.family = 6;
    mapped.bytes[10] = mapped.bytes[11] = 0xff;
    std::memcpy(mapped.bytes + 12, ipv4.bytes, 4);
    mapped.port = ipv4.port;
    return mapped;
}

NetAddress unmapped(const NetAddress& address) {
    static const uint8_t prefix[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
    if (address.family != 6 || std::memcmp(address.bytes, prefix, sizeof prefix) != 0) return address;
    NetAddress ipv4;
    ipv4.family = 4;
    std::memcpy(ipv4.bytes, address.bytes + 12, 4);
    ipv4.port = address.port;
    return ipv4;
}

bool isLoopback(const NetAddress& address) {
    static const uint8_t ipv6Loopback[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    NetAddress plain = unmapped(address);
    if (plain.family == 4) return plain.bytes[0] == 127;
    return plain.family == 6 && std::memcmp(plain.bytes, ipv6Loopback, 16) == 0;
}

bool isLinkLocal(const NetAddress& address) {
    NetAddress plain = unmapped(address);
    if (plain.family == 4) return plain.bytes[0] == 169 && plain.bytes[1] == 254;
    return plain.family == 6 && plain.bytes[0] == 0xfe && (plain.bytes[1] & 0xc0) == 0x80;
}

std::vector<std::string> reachableAddresses(const std::vector<NetAddress>& all) {
    static const uint8_t unspecified[16] = {};
    std::vector<std::string> found, loopback;
    for (int family : {4, 6}) {
        for (const NetAddress& any : all) {
            NetAddress address = unmapped(any);
            size_t length = family == 4 ? 4 : 16;
            if (address.family != family || isLinkLocal(address) ||
                std::memcmp(address.bytes, unspecified, length) == 0)
                continue;
            address.scope = 0;
            std::vector<std::string>& list = isLoopback(address) ? loopback : found;
            std::string text = hostText(address);
            if (std::find(list.begin(), list.end(), text) == list.end()) list.push_back(text);
        }
    }
    return found.empty() ? loopback : found;
}

bool resolve(const std::string& text, uint16_t defaultPort, const SystemLookups& system, NetAddress& out,
             std::string& problem) {
    TypedAddress typed;
    if (!splitAddress(text, defaultPort, typed, problem)) return false;
    NetAddress found;
    const std::string& host = typed.host;
    bool ipv6 = parseIPv6(host, found.bytes);
    if (!typed.scope.empty() && !ipv6) {
        problem = "an interface (%" + typed.scope + ") goes only with an IPv6 address, not with " + quoted(host);
        return false;
    }
    if (ipv6) {
        found.family = 6;
        if (!typed.scope.empty() && !readScope(typed.scope, system, found.scope)) {
            problem = "unknown network interface " + quoted(typed.scope) + " in " + quoted(trimmed(text));
            return false;
        }
        found = unmapped(found);  // an IPv4 peer has one form whichever way it is written
    } else if (parseIPv4(host, found.bytes)) {
        found.family = 4;
    } else if (onlyDigitsAndDots(host)) {
        problem = "bad IPv4 address " + quoted(host);
        return false;
    } else if (host.find(':') != std::string::npos) {
        problem = "bad IPv6 address " + quoted(host);
        return false;
    } else if (!looksLikeHostName(host)) {
        problem = "not an address or host name: " + quoted(host);
        return false;
    } else if (!system.lookUpName(host, found)) {
        problem = "unknown host " + quoted(host);
        return false;
    }
    found.port = typed.port;
    out = found;
    return true;
}

}  // namespace address
}  // namespace platform
