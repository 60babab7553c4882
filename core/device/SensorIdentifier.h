#pragma once

#include "core/device/SystemCommands.h"
#include "core/platform/Ipv4Address.h"
#include "core/transport/AbortSignal.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orlo {

// One address and LAN port to ask which sensor is there.
struct IdentifyTarget {
    Ipv4Address address{};
    std::uint16_t port = 9600;

    auto operator<=>(const IdentifyTarget&) const = default;
};

enum class IdentifyOutcome {
    Sensor,      // answered the identification as a sensor does
    Refused,     // nothing listens on the port
    Silent,      // no connection within the limit
    Unreachable, // the network says the address cannot be reached
    NoAnswer,    // connected, but no complete answer within the limit
    Closed,      // connected, but the peer closed or reset the connection before answering
    NotSensor,   // answered with something that is not a sensor's answer
    Cancelled,   // the run was aborted first
};

struct SensorIdentity {
    IdentifyTarget target;
    IdentifyOutcome outcome = IdentifyOutcome::Cancelled;
    // For a sensor: model (UTF-8) and version; the information text as UTF-8 (bytes that are not valid
    // CP932 as they came), empty when it could not be read.
    DeviceInfo info;
    std::string text;
    // The sensor reports its settings as abnormal (status 0x50).
    bool settingsAbnormal = false;
    // What came instead of an answer, or why a sensor's text is missing ("status 0xE0", "reset").
    std::string detail;
};

// The outcome in a few English words, with the detail ("not a sensor: first byte 0x48").
std::string DescribeIdentity(const SensorIdentity& identity);
// A short name for the outcome, for JSON ("sensor", "refused", "silent", ...).
const char* OutcomeName(IdentifyOutcome outcome);

// Asks many addresses at once which sensor they are: connects to each, sends the two reading commands
// of identification (device information 0x00 and information text 0x0D), reads the answers and closes.
// Nothing is ever written to a sensor. All connections are served by the calling thread, which waits
// for all of them together; each address gets at most `limit` from the start of its connect.
class SensorIdentifier {
public:
    static constexpr int kDefaultInFlight = 32;
    static constexpr int kMaxInFlight = 256;
    static constexpr std::chrono::milliseconds kDefaultLimit{1000};
    // A sensor's answers are 19 and 20 bytes; a peer that announces more than this is no sensor.
    static constexpr std::uint32_t kMaxAnswerPayload = 1024;

    using Report = std::function<void(const SensorIdentity& identity)>;

    // inFlight is limited to 1 .. kMaxInFlight.
    explicit SensorIdentifier(int inFlight = kDefaultInFlight,
                              std::chrono::milliseconds limit = kDefaultLimit);

    // One result per target, sorted by address and port. `report` (when given) gets each result on the
    // calling thread as it is known. A raised `abort` ends the run at once: the targets not done are
    // Cancelled.
    std::vector<SensorIdentity> Identify(std::vector<IdentifyTarget> targets, const Report& report = {},
                                         const AbortSignal* abort = nullptr) const;

private:
    int inFlight_;
    std::chrono::milliseconds limit_;
};

} // namespace orlo
