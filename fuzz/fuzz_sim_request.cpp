// What a client sends to the simulator. The first byte sets how many bytes one read of the link
// delivers (1 to 256), so frames also arrive split across reads; the rest is the byte stream. Every
// framed request and every run of stray bytes gets exactly one well-formed response frame.
#include "sim/RequestReader.h"
#include "sim/SensorCore.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

void Require(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

void RequireResponseFrame(const orlo::sim::Reply& reply) {
    const std::vector<std::uint8_t>& bytes = reply.bytes;
    Require(!reply.silent && bytes.size() >= 6 && bytes[0] == 0xFE);
    const std::size_t announced =
        bytes[2] | std::size_t{bytes[3]} << 8 | std::size_t{bytes[4]} << 16 | std::size_t{bytes[5]} << 24;
    Require(announced == bytes.size() - 6);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace orlo::sim;
    if (size == 0) {
        return 0;
    }
    const std::size_t piece = std::size_t{data[0]} + 1;
    SensorCore core(SensorSettings{}, 1, std::string(), FaultSet{}, SimLogger{});
    RequestReader reader;
    for (std::size_t at = 1; at < size; at += piece) {
        reader.feed(data + at, std::min(piece, size - at));
        while (const auto event = reader.next()) {
            RequireResponseFrame(core.handle(*event));
        }
    }
    return 0;
}
