// A command log handed to orlo-sim --replay. Either it is refused with a line inside the file (or 0
// for the file as a whole), or its requests, played in order, are each answered with bytes recorded
// for a request with the same bytes. Read in two pieces, split where its first byte says, it gives
// the same result as in one.
#include "sim/ReplayLog.h"
#include "sim/ReplayResponder.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

void Require(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace orlo::sim;
    ReplayLogError error;
    auto exchanges = ParseReplayLog({data, size}, error);
    ReplayLogReader split;
    const std::size_t at = size == 0 ? 0 : data[0] % size;
    split.Feed({data, at});
    split.Feed({data + at, size - at});
    ReplayLogError splitError;
    const auto splitExchanges = split.Finish(splitError);
    Require(splitExchanges.has_value() == exchanges.has_value());
    if (!exchanges) {
        Require(splitError.line == error.line && splitError.message == error.message);
        const auto lines = static_cast<int>(std::count(data, data + size, 0x0A)) + 1;
        Require(error.line >= 0 && error.line <= lines && !error.message.empty());
        return 0;
    }
    const std::vector<RecordedExchange> recorded = *exchanges;
    Require(splitExchanges->size() == recorded.size());
    for (std::size_t i = 0; i < recorded.size(); ++i) {
        const RecordedExchange& e = (*splitExchanges)[i];
        Require(e.request == recorded[i].request && e.response == recorded[i].response &&
                e.line == recorded[i].line);
    }
    ReplayResponder replay(std::move(*exchanges), 115200, {});
    for (const RecordedExchange& exchange : recorded) {
        const std::vector<std::uint8_t>& bytes = exchange.request;
        if (bytes.size() < 4 || bytes[0] != 0xFE || bytes.size() != 4u + (bytes[2] | bytes[3] << 8)) {
            continue; // not a request a link would frame this way
        }
        FrameEvent event;
        event.request.code = bytes[1];
        event.request.payload.assign(bytes.begin() + 4, bytes.end());
        const Reply reply = replay.handle(event);
        // Played in order, every request finds a recording with its bytes; the answer is what was
        // received for that recording, silence when nothing was.
        const bool recordedAnswer =
            std::any_of(recorded.begin(), recorded.end(), [&](const RecordedExchange& e) {
                return e.request == bytes && (reply.silent ? e.response.empty() : e.response == reply.bytes);
            });
        Require(recordedAnswer);
    }
    return 0;
}
