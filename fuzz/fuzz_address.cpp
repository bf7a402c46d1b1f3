// Addresses as a player types them, and typed text: any bytes. An address that is read must be
// written back as text that reads as the same address; typed text never holds a control character.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/address_text.h"
#include "platform/typed_text.h"

namespace {
// No network in a fuzzer: one known name and one known interface.
bool lookUpName(const std::string& name, platform::NetAddress& out) {
    if (name != "gamebox") return false;
    out = platform::NetAddress{};
    out.family = 4;
    out.bytes[0] = 10;
    return true;
}
uint32_t interfaceIndex(const std::string& name) { return name == "eth0" ? 2 : 0; }

void checkAddress(const std::string& text, uint16_t defaultPort) {
    const platform::address::SystemLookups system{lookUpName, interfaceIndex};
    platform::NetAddress address;
    std::string problem;
    if (!platform::address::resolve(text, defaultPort, system, address, problem)) {
        if (problem.empty()) std::abort();
        return;
    }
    platform::NetAddress again;
    if (!platform::address::resolve(platform::addressText(address), 1, system, again, problem) || again != address)
        std::abort();
}

bool hasControl(const std::string& text) {
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) return true;
    }
    return false;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    checkAddress(text, size ? static_cast<uint16_t>(data[0] * 257) : 0);
    if (hasControl(platform::printableText(text))) std::abort();
    platform::Utf16Typing typing;
    for (size_t i = 0; i + 1 < size; i += 2) {
        if (hasControl(typing.take(static_cast<uint16_t>(data[i] | data[i + 1] << 8)))) std::abort();
    }
    return 0;
}
