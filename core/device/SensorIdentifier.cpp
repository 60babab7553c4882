#include "core/device/SensorIdentifier.h"

#include "core/device/Wire.h"
#include "core/transport/PolledStream.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace orlo {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint8_t kFrameStart = 0xFE;
constexpr std::uint8_t kStatusOk = 0x00;
constexpr std::uint8_t kStatusAbnormal = 0x50;
constexpr std::size_t kHeaderSize = 6;
// The two reading commands of identification, in the order they are sent.
constexpr std::array<std::uint8_t, 2> kCommands = {0x00, 0x0D};
constexpr std::size_t kInfoCommand = 0;

std::string Hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(value));
    return text;
}

// One address on its way through connect, two requests and their answers.
class Probe {
public:
    Probe(std::size_t index, const IdentifyTarget& target, Clock::time_point deadline)
        : index_(index), deadline_(deadline) {
        result_.target = target;
    }

    std::size_t Index() const { return index_; }
    Clock::time_point Deadline() const { return deadline_; }
    bool Finished() const { return step_ == Step::Done; }
    bool WantsWrite() const { return step_ == Step::Connecting || step_ == Step::Sending; }
    const PolledStream& Stream() const { return stream_; }
    const SensorIdentity& Result() const { return result_; }

    void Start() { Connected(stream_.StartConnect(result_.target.address, result_.target.port)); }

    // The stream is ready (or failed): take the next steps as far as they go without waiting.
    void Advance() {
        if (step_ == Step::Connecting) {
            return Connected(stream_.FinishConnect());
        }
        if (step_ == Step::Sending) {
            return SendRequest();
        }
        while (step_ == Step::Header || step_ == Step::Payload) {
            if (!ReceiveSome()) {
                return;
            }
        }
    }

    // The limit has passed.
    void Expire() {
        if (step_ == Step::Connecting) {
            return End(IdentifyOutcome::Silent);
        }
        const std::string incomplete =
            answerBytes_ == 0 ? std::string("no answer")
                              : "an incomplete answer (" + std::to_string(answerBytes_) + " bytes)";
        if (command_ == kInfoCommand) {
            return End(IdentifyOutcome::NoAnswer, incomplete);
        }
        EndAsSensor("information text: " + incomplete);
    }

    void Cancel() { End(IdentifyOutcome::Cancelled); }

private:
    enum class Step { Connecting, Sending, Header, Payload, Done };

    void End(IdentifyOutcome outcome, std::string detail = {}) {
        result_.outcome = outcome;
        result_.detail = std::move(detail);
        stream_.Close();
        step_ = Step::Done;
    }
    // Identified; the text is missing when `detail` says why.
    void EndAsSensor(std::string detail = {}) { End(IdentifyOutcome::Sensor, std::move(detail)); }

    void Connected(PolledStream::Connect connect) {
        switch (connect) {
        case PolledStream::Connect::Pending:
            return;
        case PolledStream::Connect::Connected:
            return BeginCommand();
        case PolledStream::Connect::Refused:
            return End(IdentifyOutcome::Refused);
        case PolledStream::Connect::Unreachable:
            return End(IdentifyOutcome::Unreachable);
        case PolledStream::Connect::Failed:
            return End(IdentifyOutcome::Unreachable, "the connection could not be made");
        }
    }

    void BeginCommand() {
        step_ = Step::Sending;
        sent_ = 0;
        answerBytes_ = 0;
        SendRequest();
    }

    void SendRequest() {
        const std::array<std::uint8_t, 4> request{kFrameStart, kCommands[command_], 0x00, 0x00};
        while (sent_ < request.size()) {
            std::size_t count = 0;
            const PolledStream::Io io = stream_.Send(std::span(request).subspan(sent_), count);
            if (io == PolledStream::Io::WouldBlock) {
                return;
            }
            if (io != PolledStream::Io::Done) {
                return Lost(io);
            }
            sent_ += count;
        }
        step_ = Step::Header;
        received_ = 0;
    }

    // False when nothing more can be read now (or the probe ended).
    bool ReceiveSome() {
        const bool header = step_ == Step::Header;
        const std::span<std::uint8_t> room = header ? std::span<std::uint8_t>(header_).subspan(received_)
                                                    : std::span<std::uint8_t>(payload_).subspan(received_);
        std::size_t count = 0;
        const PolledStream::Io io = stream_.Receive(room, count);
        if (io == PolledStream::Io::WouldBlock) {
            return false;
        }
        if (io != PolledStream::Io::Done) {
            Lost(io);
            return false;
        }
        received_ += count;
        answerBytes_ += count;
        if (header) {
            if (header_[0] != kFrameStart) {
                NotAnswer("first byte " + Hex(header_[0]) + " instead of " + Hex(kFrameStart));
            } else if (received_ == kHeaderSize) {
                TakeHeader();
            }
        } else if (received_ == payload_.size()) {
            TakePayload();
        }
        return true;
    }

    void TakeHeader() {
        const std::uint8_t status = header_[1];
        const std::uint32_t length = wire::U32(header_, 2);
        const std::size_t minimum = command_ == kInfoCommand ? DeviceInfoSize : DeviceInfoTextSize;
        if (status != kStatusOk && status != kStatusAbnormal) {
            return NotAnswer("status " + Hex(status));
        }
        if (length > SensorIdentifier::kMaxAnswerPayload) {
            return NotAnswer("an answer of " + std::to_string(length) + " bytes");
        }
        if (length < minimum) {
            return NotAnswer("an answer of " + std::to_string(length) + " bytes, not " +
                             std::to_string(minimum));
        }
        result_.settingsAbnormal = result_.settingsAbnormal || status == kStatusAbnormal;
        payload_.assign(length, 0);
        step_ = Step::Payload;
        received_ = 0;
    }

    void TakePayload() {
        if (command_ == kInfoCommand) {
            result_.info = DecodeDeviceInfo(payload_);
            ++command_;
            return BeginCommand();
        }
        result_.text = DecodeDeviceInfoText(std::span(payload_).first(DeviceInfoTextSize));
        EndAsSensor();
    }

    // Something other than a sensor's answer: no sensor at all, or a sensor without its text.
    void NotAnswer(const std::string& what) {
        if (command_ == kInfoCommand) {
            return End(IdentifyOutcome::NotSensor, what);
        }
        EndAsSensor("information text: " + what);
    }

    void Lost(PolledStream::Io io) {
        const std::string what = io == PolledStream::Io::Reset    ? "reset the connection"
                                 : io == PolledStream::Io::Closed ? "closed the connection"
                                                                  : "the connection failed";
        if (command_ == kInfoCommand) {
            return End(IdentifyOutcome::Closed, what);
        }
        EndAsSensor("information text: " + what);
    }

    std::size_t index_;
    Clock::time_point deadline_;
    SensorIdentity result_;
    PolledStream stream_;
    Step step_ = Step::Connecting;
    std::size_t command_ = kInfoCommand;
    std::size_t sent_ = 0;
    std::size_t received_ = 0;    // of the header or the payload being read
    std::size_t answerBytes_ = 0; // of the current command's answer
    std::array<std::uint8_t, kHeaderSize> header_{};
    std::vector<std::uint8_t> payload_;
};

} // namespace

namespace {

struct OutcomeWords {
    const char* name;
    const char* text;
};

// By IdentifyOutcome.
constexpr std::array<OutcomeWords, 8> kOutcomeWords{{
    {"sensor", "sensor"},
    {"refused", "no sensor: the connection was refused"},
    {"silent", "no sensor: no connection within the limit"},
    {"unreachable", "no sensor: unreachable"},
    {"no-answer", "no sensor answer within the limit"},
    {"closed", "no answer: the peer"},
    {"not-sensor", "not a sensor"},
    {"cancelled", "not identified: cancelled"},
}};

const OutcomeWords& WordsOf(IdentifyOutcome outcome) {
    return kOutcomeWords.at(static_cast<std::size_t>(outcome));
}

} // namespace

const char* OutcomeName(IdentifyOutcome outcome) {
    return WordsOf(outcome).name;
}

std::string DescribeIdentity(const SensorIdentity& identity) {
    const std::string text = WordsOf(identity.outcome).text;
    if (identity.outcome == IdentifyOutcome::Closed) {
        // A sensor serves one client at a time and turns others away at once.
        return text + " " + identity.detail + " (a sensor busy with another client does)";
    }
    if (identity.detail.empty()) {
        return text;
    }
    return identity.outcome == IdentifyOutcome::Sensor ? text + " (" + identity.detail + ")"
                                                       : text + ": " + identity.detail;
}

SensorIdentifier::SensorIdentifier(int inFlight, std::chrono::milliseconds limit)
    : inFlight_(std::clamp(inFlight, 1, kMaxInFlight)), limit_(limit) {}

std::vector<SensorIdentity> SensorIdentifier::Identify(std::vector<IdentifyTarget> targets,
                                                       const Report& report, const AbortSignal* abort) const {
    std::sort(targets.begin(), targets.end());
    targets.erase(std::unique(targets.begin(), targets.end()), targets.end());
    std::vector<SensorIdentity> results(targets.size());
    for (std::size_t i = 0; i < targets.size(); ++i) {
        results[i].target = targets[i];
    }
    const auto keep = [&](const Probe& probe) {
        results[probe.Index()] = probe.Result();
        if (report) {
            report(probe.Result());
        }
    };

    std::vector<Probe> active;
    std::vector<StreamWait> waits;
    std::size_t next = 0;
    for (;;) {
        while (active.size() < static_cast<std::size_t>(inFlight_) && next < targets.size()) {
            Probe probe(next, targets[next], Clock::now() + limit_);
            ++next;
            probe.Start();
            if (probe.Finished()) {
                keep(probe);
            } else {
                active.push_back(std::move(probe));
            }
        }
        if (active.empty()) {
            break;
        }
        waits.clear();
        Clock::time_point nearest = Clock::time_point::max();
        for (const Probe& probe : active) {
            waits.push_back({&probe.Stream(), probe.WantsWrite(), false});
            nearest = std::min(nearest, probe.Deadline());
        }
        const auto timeout = std::chrono::ceil<std::chrono::milliseconds>(nearest - Clock::now());
        const WaitOutcome outcome =
            WaitForStreams(waits, std::max(timeout, std::chrono::milliseconds(0)), abort);
        if (outcome == WaitOutcome::Aborted || outcome == WaitOutcome::Failed) {
            for (Probe& probe : active) {
                probe.Cancel();
                keep(probe);
            }
            break; // the targets never started stay Cancelled
        }
        const Clock::time_point now = Clock::now();
        for (std::size_t i = 0; i < active.size(); ++i) {
            Probe& probe = active[i];
            if (waits[i].ready) {
                probe.Advance();
            }
            if (!probe.Finished() && now >= probe.Deadline()) {
                probe.Expire();
            }
        }
        // Finished ones leave, keeping the others' order (their waits are rebuilt each pass).
        const auto done = std::stable_partition(active.begin(), active.end(),
                                                [](const Probe& probe) { return !probe.Finished(); });
        for (auto it = done; it != active.end(); ++it) {
            keep(*it);
        }
        active.erase(done, active.end());
    }
    return results;
}

} // namespace orlo
