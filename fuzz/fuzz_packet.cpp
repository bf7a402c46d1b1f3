// Datagrams of any content, as the game's port receives them: the reader must drop or accept
// without reading past the bytes; whatever it accepts must write and read back to the same.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "net/packet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Packet packet;
    if (readPacket(data, size, packet) != PacketProblem::None) return 0;
    const std::vector<uint8_t> written = writePacket(packet);
    Packet again;
    if (written.size() > MAX_PACKET_BYTES || readPacket(written.data(), written.size(), again) != PacketProblem::None ||
        writePacket(again) != written)
        std::abort();
    return 0;
}
