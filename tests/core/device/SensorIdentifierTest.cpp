#include "core/device/SensorIdentifier.h"

#include "core/device/ConnectProcedures.h"
#include "core/platform/CodePage.h"
#include "core/platform/PrintableText.h"
#include "sim/Simulator.h"
#include "tests/support/HostilePeer.h"
#include "tests/support/LoopbackListener.h"
#include "tests/support/PrivateNetwork.h"
#include "tests/support/ScriptedPeer.h"
#include "tests/support/StalledListener.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <set>
#include <sys/wait.h>
#include <thread>

namespace orlo {
namespace {

using namespace std::chrono_literals;
using test::HostilePeer;
using test::ResponseFrame;
using Bytes = std::vector<std::uint8_t>;
using Misbehaviour = HostilePeer::Misbehaviour;

constexpr Ipv4Address kLoopback{127, 0, 0, 1};

std::array<std::uint8_t, 20> InfoField(const std::string& utf8) {
    const std::string cp932 = Utf8ToCp932(utf8).value();
    std::array<std::uint8_t, 20> field{};
    std::copy(cp932.begin(), cp932.end(), field.begin());
    return field;
}

std::unique_ptr<sim::Simulator> StartSimulator(const std::string& host, const std::string& text,
                                               std::uint16_t port = 0) {
    sim::SimConfig config;
    config.tcp = sim::TcpEndpoint{host, port};
    config.infoText = InfoField(text);
    auto simulator = std::make_unique<sim::Simulator>(config);
    std::string error;
    if (!simulator->start(error)) {
        ADD_FAILURE() << error;
    }
    return simulator;
}

// A port on loopback where nothing listens: taken once, then given up.
std::uint16_t ClosedPort() {
    return test::LoopbackListener().Port();
}

SensorIdentity IdentifyOne(std::uint16_t port, std::chrono::milliseconds limit = 1000ms) {
    const auto results = SensorIdentifier(32, limit).Identify({{kLoopback, port}});
    return results.at(0);
}

// A sensor answering both identification requests with the bytes given.
test::TcpPeer::Script Answering(const Bytes& info, const Bytes& text, std::uint8_t infoStatus = 0x00) {
    return [=](const test::ScriptedPeer::Request& request) -> std::optional<Bytes> {
        if (request.code == 0x00) {
            return ResponseFrame(infoStatus, info);
        }
        return request.code == 0x0D ? std::optional<Bytes>(ResponseFrame(0x00, text)) : std::nullopt;
    };
}

Bytes ModelPayload(const std::string& name) {
    Bytes info(19, 0);
    std::copy(name.begin(), name.end(), info.begin());
    info[12] = 3;
    info[13] = 4;
    info[14] = 5;
    info[15] = 0x06;
    info[16] = 0x01; // version 4 = 0x0106
    return info;
}

TEST(SensorIdentifier, NamesEverySimulatorWithItsModelVersionAndTextInAddressOrder) {
    auto north = StartSimulator("127.0.0.3", "入口 北");
    auto south = StartSimulator("127.0.0.1", "Entrance South");
    auto hall = StartSimulator("127.0.0.2", "");
    std::vector<Ipv4Address> reported;
    const auto results = SensorIdentifier().Identify(
        {{{127, 0, 0, 3}, north->tcpPort()},
         {{127, 0, 0, 1}, south->tcpPort()},
         {{127, 0, 0, 2}, hall->tcpPort()}},
        [&](const SensorIdentity& identity) { reported.push_back(identity.target.address); });

    ASSERT_EQ(3u, results.size());
    const std::vector<std::string> texts{"Entrance South", "", "入口 北"};
    for (std::size_t i = 0; i < results.size(); ++i) {
        const SensorIdentity& identity = results[i];
        EXPECT_EQ((Ipv4Address{127, 0, 0, static_cast<std::uint8_t>(i + 1)}), identity.target.address);
        EXPECT_EQ(IdentifyOutcome::Sensor, identity.outcome) << DescribeIdentity(identity);
        EXPECT_EQ("Orlo-X1", identity.info.name);
        EXPECT_EQ("1.2.0.5", FormatVersion(identity.info));
        EXPECT_EQ(texts[i], identity.text);
        EXPECT_FALSE(identity.settingsAbnormal);
        EXPECT_EQ("", identity.detail);
    }
    // Each result is reported once, as it is known.
    std::sort(reported.begin(), reported.end());
    EXPECT_EQ((std::vector<Ipv4Address>{{127, 0, 0, 1}, {127, 0, 0, 2}, {127, 0, 0, 3}}), reported);
}

TEST(SensorIdentifier, SendsOnlyTheTwoReadingCommandsAndLeavesTheSensorAsItWas) {
    test::TcpPeer peer(Answering(ModelPayload("Orlo-X1"), Bytes(20, 'a')));
    EXPECT_EQ(IdentifyOutcome::Sensor, IdentifyOne(peer.Port()).outcome);
    const auto requests = peer.Requests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ(0x00, requests[0].code);
    EXPECT_EQ(0x0D, requests[1].code);
    EXPECT_TRUE(requests[0].payload.empty());
    EXPECT_TRUE(requests[1].payload.empty());

    auto simulator = StartSimulator("127.0.0.1", "Gate 4");
    const sim::SensorSettings before = simulator->settings();
    EXPECT_EQ(IdentifyOutcome::Sensor, IdentifyOne(simulator->tcpPort()).outcome);
    EXPECT_EQ(before, simulator->settings());
}

TEST(SensorIdentifier, TellsRefusedPortsAndPeersThatAreNoSensor) {
    EXPECT_EQ(IdentifyOutcome::Refused, IdentifyOne(ClosedPort()).outcome);

    // A web server or a printer answers in its own protocol.
    test::TcpPeer http([](const test::ScriptedPeer::Request&) -> std::optional<Bytes> {
        const std::string text = "HTTP/1.1 400 Bad Request\r\n\r\n";
        return Bytes(text.begin(), text.end());
    });
    const SensorIdentity web = IdentifyOne(http.Port());
    EXPECT_EQ(IdentifyOutcome::NotSensor, web.outcome);
    EXPECT_EQ("first byte 0x48 instead of 0xFE", web.detail);

    HostilePeer malformed({Misbehaviour::MalformedHeader, 0x00, 19, 19});
    EXPECT_EQ(IdentifyOutcome::NotSensor, IdentifyOne(malformed.Port()).outcome);

    // Framing right, but no sensor refuses to say what it is.
    test::TcpPeer refusing(Answering({}, {}, 0xE0));
    const SensorIdentity refusal = IdentifyOne(refusing.Port());
    EXPECT_EQ(IdentifyOutcome::NotSensor, refusal.outcome);
    EXPECT_EQ("status 0xE0", refusal.detail);

    test::TcpPeer shortAnswer(Answering(Bytes(18, 'x'), Bytes(20, 'a')));
    EXPECT_EQ(IdentifyOutcome::NotSensor, IdentifyOne(shortAnswer.Port()).outcome);
}

TEST(SensorIdentifier, APeerThatPromisesAFloodIsCutOffAtOnce) {
    HostilePeer flood({Misbehaviour::Flood, 0x00, 1'024'000, 64 * 1024});
    const SensorIdentity identity = IdentifyOne(flood.Port(), 30s);
    EXPECT_EQ(IdentifyOutcome::NotSensor, identity.outcome);
    EXPECT_EQ("an answer of 1024000 bytes", identity.detail);
    // Only the header was read: the rest never reached us.
    EXPECT_LT(flood.BytesSent(), 16u * 1024 * 1024);
}

TEST(SensorIdentifier, ATrickleEndsAtTheLimitWithWhatCame) {
    // One byte of the answer every 300 ms: the 19 bytes would take more than 5 s.
    HostilePeer trickle({Misbehaviour::Trickle, 0x00, 19, 1, 300ms});
    const SensorIdentity identity = IdentifyOne(trickle.Port(), 500ms);
    EXPECT_EQ(IdentifyOutcome::NoAnswer, identity.outcome);
    EXPECT_NE(std::string::npos, identity.detail.find("an incomplete answer")) << identity.detail;

    // A sensor whose text trickles is still named; its text is missing, with the reason.
    HostilePeer textTrickle({Misbehaviour::Trickle, 0x0D, 20, 1, 300ms});
    const SensorIdentity named = IdentifyOne(textTrickle.Port(), 500ms);
    EXPECT_EQ(IdentifyOutcome::Sensor, named.outcome);
    EXPECT_EQ("O", named.info.name);
    EXPECT_EQ("", named.text);
    EXPECT_NE(std::string::npos, named.detail.find("information text: an incomplete answer")) << named.detail;
}

TEST(SensorIdentifier, AResetOrACloseMidAnswerIsReported) {
    HostilePeer reset({Misbehaviour::ResetMidFrame, 0x00, 19, 4});
    const SensorIdentity identity = IdentifyOne(reset.Port());
    EXPECT_EQ(IdentifyOutcome::Closed, identity.outcome);
    EXPECT_EQ("reset the connection", identity.detail);

    test::TcpPeer closing(
        [&](const test::ScriptedPeer::Request&) -> std::optional<Bytes> { return Bytes{}; });
    closing.HangUp();
    const SensorIdentity closed = IdentifyOne(closing.Port());
    EXPECT_EQ(IdentifyOutcome::Closed, closed.outcome);
}

TEST(SensorIdentifier, ASensorServingAnotherClientIsReportedAsBusy) {
    auto simulator = StartSimulator("127.0.0.1", "Busy");
    DeviceSession session;
    ASSERT_EQ(RC_OK, ConnectLan(session, "127.0.0.1", simulator->tcpPort(), 90));
    const SensorIdentity identity = IdentifyOne(simulator->tcpPort());
    EXPECT_EQ(IdentifyOutcome::Closed, identity.outcome);
    EXPECT_NE(std::string::npos, DescribeIdentity(identity).find("busy with another client"));
}

TEST(SensorIdentifier, HostileTextsAreDecodedAndStayPrintable) {
    // Terminal escapes, a bell, DEL, a backslash and a lead byte without its trail byte.
    const Bytes text{0x1B, '[', '2', 'J', 0x07, 'A', 0x7F, '\\', 'B', 0x81};
    Bytes field(20, 0);
    std::copy(text.begin(), text.end(), field.begin());
    // Twelve name bytes without a terminating zero.
    test::TcpPeer peer(Answering(ModelPayload("ABCDEFGHIJKL"), field, 0x50));
    const SensorIdentity identity = IdentifyOne(peer.Port());
    ASSERT_EQ(IdentifyOutcome::Sensor, identity.outcome);
    EXPECT_TRUE(identity.settingsAbnormal);
    EXPECT_EQ("ABCDEFGHIJKL", identity.info.name);
    EXPECT_EQ("3.4.5.262", FormatVersion(identity.info));
    EXPECT_EQ(std::string(text.begin(), text.end()), identity.text);
    const std::string printable = PrintableText(identity.text);
    EXPECT_EQ("\\x1b[2J\\x07A\\x7f\\x5cB\\x81", printable);
    EXPECT_TRUE(std::none_of(printable.begin(), printable.end(),
                             [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }));

    // Japanese in CP932 comes out as UTF-8.
    const std::array<std::uint8_t, 20> japanese = InfoField("北口カメラ");
    test::TcpPeer named(Answering(ModelPayload("Orlo-X1"), Bytes(japanese.begin(), japanese.end())));
    EXPECT_EQ("北口カメラ", IdentifyOne(named.Port()).text);
}

// Listens on several loopback ports, accepts every connection, never answers, and counts how many
// are open at once.
class SilentAcceptor {
public:
    explicit SilentAcceptor(std::size_t ports) {
        for (std::size_t i = 0; i < ports; ++i) {
            listeners_.push_back(std::make_unique<test::LoopbackListener>());
            ports_.push_back(listeners_.back()->Port());
        }
        thread_ = std::thread([this] { Run(); });
    }
    ~SilentAcceptor() {
        stop_ = true;
        thread_.join();
    }
    const std::vector<std::uint16_t>& Ports() const { return ports_; }
    std::size_t PeakOpen() const { return peak_; }
    std::size_t Accepted() const { return accepted_; }

private:
    void Run() {
        std::vector<UniqueFd> clients;
        while (!stop_) {
            std::vector<pollfd> fds;
            for (const UniqueFd& client : clients) {
                fds.push_back({client.Get(), POLLIN, 0});
            }
            for (const auto& listener : listeners_) {
                fds.push_back({listener->Fd(), POLLIN, 0});
            }
            if (::poll(fds.data(), fds.size(), 10) <= 0) {
                continue;
            }
            // Closed clients leave before newcomers are counted.
            for (std::size_t i = clients.size(); i-- > 0;) {
                char bytes[64];
                if (fds[i].revents != 0 && ::recv(fds[i].fd, bytes, sizeof bytes, MSG_DONTWAIT) <= 0) {
                    clients.erase(clients.begin() + static_cast<std::ptrdiff_t>(i));
                }
            }
            for (std::size_t i = fds.size() - listeners_.size(); i < fds.size(); ++i) {
                if (fds[i].revents != 0) {
                    clients.emplace_back(::accept4(fds[i].fd, nullptr, nullptr, SOCK_CLOEXEC));
                    ++accepted_;
                }
            }
            peak_ = std::max(peak_.load(), clients.size());
        }
    }

    std::vector<std::unique_ptr<test::LoopbackListener>> listeners_;
    std::vector<std::uint16_t> ports_;
    std::atomic<bool> stop_{false};
    std::atomic<std::size_t> peak_{0};
    std::atomic<std::size_t> accepted_{0};
    std::thread thread_;
};

TEST(SensorIdentifier, KeepsAtMostTheGivenNumberInFlightAndServesThemTogether) {
    SilentAcceptor acceptor(12);
    std::vector<IdentifyTarget> targets;
    for (const std::uint16_t port : acceptor.Ports()) {
        targets.push_back({kLoopback, port});
    }
    const auto results = SensorIdentifier(4, 200ms).Identify(targets);
    ASSERT_EQ(12u, results.size());
    for (const SensorIdentity& identity : results) {
        EXPECT_EQ(IdentifyOutcome::NoAnswer, identity.outcome);
        EXPECT_EQ("no answer", identity.detail);
    }
    EXPECT_EQ(12u, acceptor.Accepted());
    EXPECT_LE(acceptor.PeakOpen(), 4u);
    // More than one at a time: they wait together, not one after the other.
    EXPECT_GE(acceptor.PeakOpen(), 2u);
}

TEST(SensorIdentifier, AnAbortEndsTheRunAndCancelsWhatIsLeft) {
    test::StalledListener first;
    test::StalledListener second;
    if (!first.Valid() || !second.Valid()) {
        GTEST_SKIP() << "no connect could be made to stall here";
    }
    // The two stalled connects fill the run; the refused addresses after them never start.
    const std::vector<IdentifyTarget> targets{
        {kLoopback, first.Port()}, {kLoopback, second.Port()}, {{127, 0, 0, 9}, 1}, {{127, 0, 0, 10}, 1}};
    AbortSignal abort;
    std::thread aborter([&] {
        std::this_thread::sleep_for(100ms);
        abort.Raise();
    });
    // With a limit of a minute, only the abort can end this.
    const auto results = SensorIdentifier(2, 60s).Identify(targets, {}, &abort);
    aborter.join();
    ASSERT_EQ(4u, results.size());
    for (const SensorIdentity& identity : results) {
        EXPECT_EQ(IdentifyOutcome::Cancelled, identity.outcome);
    }
}

TEST(SensorIdentifier, DuplicateTargetsAreAskedOnce) {
    test::TcpPeer peer(Answering(ModelPayload("Orlo-X1"), Bytes(20, 'a')));
    const auto results = SensorIdentifier().Identify({{kLoopback, peer.Port()}, {kLoopback, peer.Port()}});
    EXPECT_EQ(1u, results.size());
    EXPECT_EQ(1, peer.Accepted());
}

// In a child moved into a network of its own, where 10.99.7.0/24 leads nowhere: those addresses stay
// silent beside a simulator on loopback.
TEST(SensorIdentifier, SilentAddressesEndAtTheLimitBesideSensors) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::string why;
        if (!test::PrivateNetwork::Enter({{10, 99, 7}}, why)) {
            ::_exit(99);
        }
        sim::SimConfig config;
        config.tcp = sim::TcpEndpoint{"127.0.0.1", 9600};
        sim::Simulator simulator(config);
        std::string error;
        if (!simulator.start(error)) {
            ::_exit(98);
        }
        const auto results = SensorIdentifier(32, 300ms).Identify(
            {{{10, 99, 7, 1}, 9600}, {{10, 99, 7, 2}, 9600}, {{127, 0, 0, 1}, 9600}});
        const bool silent = results.size() == 3 && results[0].outcome == IdentifyOutcome::Silent &&
                            results[1].outcome == IdentifyOutcome::Silent;
        const bool sensor = results.size() == 3 && results[2].outcome == IdentifyOutcome::Sensor;
        ::_exit((silent ? 0 : 1) | (sensor ? 0 : 2));
    }
    int status = 0;
    ASSERT_EQ(child, ::waitpid(child, &status, 0));
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 99) {
        GTEST_SKIP() << "no private network namespace can be made here";
    }
    EXPECT_EQ(0, WEXITSTATUS(status)) << "1: silent addresses misjudged, 2: the sensor misjudged";
}

} // namespace
} // namespace orlo
