#include "sim/Simulator.h"
#include "tests/sim/RawClient.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace orlo::sim::test {
namespace {

using namespace std::chrono_literals;

class SimPtyTest : public ::testing::Test {
protected:
    void start(SimConfig config) {
        config.pty = true;
        sim = std::make_unique<Simulator>(config);
        std::string error;
        ASSERT_TRUE(sim->start(error)) << error;
        ASSERT_FALSE(sim->ptyPath().empty());
    }

    RawClient open(std::uint32_t baud) {
        auto c = RawClient::openSerial(sim->ptyPath(), baud);
        EXPECT_TRUE(c) << sim->ptyPath();
        return std::move(*c);
    }

    std::unique_ptr<Simulator> sim;
};

TEST_F(SimPtyTest, AnswersOnlyAtTheSensorSpeed) {
    start({});
    auto line = open(115200);
    auto r = line.exchange(0x00);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 0);
    EXPECT_EQ(r->payload.size(), 19u);

    ASSERT_TRUE(line.setSpeed(9600));
    ASSERT_TRUE(line.send(0x00));
    EXPECT_TRUE(line.quietFor(500ms)) << "no answer at a wrong speed";
    ASSERT_TRUE(line.setSpeed(115200));
    r = line.exchange(0x02);
    ASSERT_TRUE(r) << "the request at the wrong speed was dropped, this one is answered";
    EXPECT_EQ(r->payload.size(), 1u);
}

TEST_F(SimPtyTest, SpeedChangeTakesEffectAfterTheAnswer) {
    SimConfig c;
    c.baud = 38400;
    start(c);
    auto line = open(38400);
    auto r = line.exchange(0x0E, {4});
    ASSERT_TRUE(r) << "0x0E is answered at the old speed";
    EXPECT_EQ(r->status, 0);
    EXPECT_EQ(sim->settings().baudRate, 460800u);
    ASSERT_TRUE(line.send(0x00));
    EXPECT_TRUE(line.quietFor(400ms)) << "the old speed is no longer answered";
    ASSERT_TRUE(line.setSpeed(460800));
    r = line.exchange(0x00);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->payload.size(), 19u);
}

TEST_F(SimPtyTest, PacedDetectionResponseIsComplete) {
    SimConfig c;
    c.baud = 460800;
    start(c);
    auto line = open(460800);
    ASSERT_TRUE(line.send(0x03, {0x01, 0x40, 0x22}));
    auto r = line.readResponse(5000ms);
    ASSERT_TRUE(r);
    const std::size_t n = r->payload[0];
    const std::size_t at = 6 + 10 * n;
    EXPECT_EQ(u16At(r->payload, at), 160);
    EXPECT_EQ(u16At(r->payload, at + 2), 120);
    EXPECT_EQ(r->payload.size(), at + 4 + 160 * 120 + 16388);
    std::uint16_t sum = 0;
    for (std::size_t i = 0; i < 4 + 10 * n; ++i) {
        sum = static_cast<std::uint16_t>(sum + r->payload[i]);
    }
    EXPECT_EQ(u16At(r->payload, 4 + 10 * n), sum);
}

TEST_F(SimPtyTest, RestartSilenceKeepsThePortAndDiscardsRequests) {
    SimConfig c;
    c.restartSilence = 2000ms;
    c.throttle = false;
    start(c);
    const auto path = sim->ptyPath();
    auto line = open(115200);
    auto r = line.exchange(0xFF, restartPayload(0x00));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 0);
    ASSERT_TRUE(line.send(0x00));
    EXPECT_TRUE(line.quietFor(500ms)) << "silent while restarting";
    std::optional<RawResponse> back;
    for (int i = 0; i < 50 && !back; ++i) {
        ::tcflush(line.fd(), TCIOFLUSH);
        ASSERT_TRUE(line.send(0x00));
        back = line.readResponse(200ms);
    }
    ASSERT_TRUE(back) << "the sensor answers again after the restart";
    EXPECT_EQ(back->payload.size(), 19u);
    EXPECT_EQ(sim->ptyPath(), path);
}

TEST_F(SimPtyTest, DropAfterCutsTheResponseAndTheNextOneIsWhole) {
    SimConfig c;
    c.throttle = false;
    std::string error;
    ASSERT_TRUE(c.faults.add("drop-after=4@0x02", error));
    start(c);
    auto line = open(115200);
    ASSERT_TRUE(line.send(0x02));
    auto part = line.readExactly(4, 5000ms);
    ASSERT_TRUE(part);
    EXPECT_TRUE(line.quietFor(300ms));
    auto r = line.exchange(0x00);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->payload.size(), 19u);
}

TEST_F(SimPtyTest, SymlinkFollowsTheSlaveAndGoesAtStop) {
    const auto link =
        std::filesystem::temp_directory_path() / ("orlo-sim-link-" + std::to_string(::getpid()));
    SimConfig c;
    c.ptyLink = link.string();
    start(c);
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), sim->ptyPath());
    auto line = RawClient::openSerial(link.string(), 115200);
    ASSERT_TRUE(line);
    EXPECT_TRUE(line->exchange(0x00));
    sim->stop();
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
}

TEST_F(SimPtyTest, StopIsCleanDuringASlowResponse) {
    SimConfig c;
    c.baud = 9600; // a full picture takes about 80 s at this speed
    start(c);
    auto line = open(9600);
    ASSERT_TRUE(line.send(0x03, {0x01, 0x00, 0x01}));
    ASSERT_TRUE(line.readExactly(6, 5000ms));
    const auto path = sim->ptyPath();
    sim->stop(); // must not wait for the rest of the picture; the test's time-out catches a hang
    EXPECT_FALSE(RawClient::openSerial(path, 9600)) << "the port is gone once stopped";
}

} // namespace
} // namespace orlo::sim::test
