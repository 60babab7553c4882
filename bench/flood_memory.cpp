// Peak memory of orloctl against a sensor that floods it: a loopback peer answers a read and then a
// detection with a header announcing 4 GiB and sends as fast as it can, for as long as the connection
// lives. The receive store is meant to stop at its limit (256 MiB), and the exchange at its deadline.
// Usage: flood_memory [ORLOCTL]   (default: the orloctl of this build). Takes about a minute.

#include "bench/MeasuredRun.h"
#include "core/transport/SocketConnection.h"
#include "tests/support/HostilePeer.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

using orlo::test::HostilePeer;

// Runs orloctl COMMAND against a peer that floods the answer to `code`; prints its peak memory.
bool Measure(const std::string& orloctl, std::uint8_t code, std::vector<std::string> command) {
    HostilePeer peer{HostilePeer::Plan(HostilePeer::Misbehaviour::Flood, code, 0xFFFFFFFF)};
    std::vector<std::string> args = {orloctl, "--lan", "127.0.0.1:" + std::to_string(peer.Port())};
    args.insert(args.end(), command.begin(), command.end());
    const orlo::bench::MeasuredRun run = orlo::bench::RunMeasured(std::move(args));
    if (!run.started) {
        return false;
    }
    std::string text;
    for (const std::string& word : command) {
        text += (text.empty() ? "" : " ") + word;
    }
    std::printf(
        "orloctl %s against a flooding peer: peak RSS %.1f MiB (receive store limit %zu MiB), exit status "
        "%d after %.1f s, %.0f MiB sent by the peer\n",
        text.c_str(), run.peakMiB, orlo::CSocketConnection::kDefaultStoreLimit >> 20, run.exitStatus,
        run.seconds, static_cast<double>(peer.BytesSent()) / (1024.0 * 1024.0));
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const std::string orloctl = argc > 1 ? argv[1] : ORLOCTL_PATH;
    // A read ends within three one-second time-outs; a detection once one piece time-out (24 s without
    // a picture at 115200 baud) has passed after the store stopped filling.
    const bool measured =
        Measure(orloctl, 0x06, {"get", "threshold"}) && Measure(orloctl, 0x03, {"detect", "--image", "0"});
    return measured ? 0 : 1;
}
