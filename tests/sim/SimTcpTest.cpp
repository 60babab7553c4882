#include "sim/Simulator.h"
#include "tests/sim/RawClient.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

namespace orlo::sim::test {
namespace {

using namespace std::chrono_literals;

struct Detection {
    RawResponse response;
    std::size_t count = 0;
    std::uint8_t state = 0;
    std::vector<std::uint16_t> info;
    std::vector<std::array<std::int16_t, 4>> boxes;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
};

class SimTcpTest : public ::testing::Test {
protected:
    void SetUp() override { startSim(); }

    void startSim(SimConfig config = {}) {
        config.tcp = TcpEndpoint{"127.0.0.1", 0};
        if (config.restartSilence == std::chrono::milliseconds(5000)) {
            config.restartSilence = 300ms;
        }
        sim = std::make_unique<Simulator>(config);
        std::string error;
        ASSERT_TRUE(sim->start(error)) << error;
        ASSERT_NE(sim->tcpPort(), 0);
        auto c = RawClient::connectTcp(sim->tcpPort());
        ASSERT_TRUE(c);
        client.emplace(std::move(*c));
    }

    RawResponse ok(std::uint8_t code, const std::vector<std::uint8_t>& payload = {}) {
        auto r = client->exchange(code, payload);
        EXPECT_TRUE(r) << "no answer to " << int(code);
        if (!r) {
            return {};
        }
        EXPECT_EQ(r->start, 0xFE);
        EXPECT_EQ(r->status, 0x00) << "command " << int(code);
        return *r;
    }

    std::uint8_t statusOf(std::uint8_t code, const std::vector<std::uint8_t>& payload) {
        auto r = client->exchange(code, payload);
        EXPECT_TRUE(r);
        if (r) {
            EXPECT_TRUE(r->payload.empty()) << "an error status carries no payload";
        }
        return r ? r->status : 0;
    }

    // Decodes and checks one detection response by the wire tables.
    Detection detect(std::uint16_t flags, std::uint8_t imageCode) {
        Detection d;
        auto flagBytes = le16(flags);
        d.response = ok(0x03, {flagBytes[0], flagBytes[1], imageCode});
        const auto& p = d.response.payload;
        if (p.size() < 6) {
            ADD_FAILURE() << "short detection payload";
            return d;
        }
        d.count = p[0];
        d.state = p[2];
        std::uint16_t sum = 0;
        for (std::size_t i = 0; i < 4 + 10 * d.count; ++i) {
            sum = static_cast<std::uint16_t>(sum + p.at(i));
        }
        EXPECT_EQ(u16At(p, 4 + 10 * d.count), sum) << "checksum";
        for (std::size_t i = 0; i < d.count; ++i) {
            const std::size_t at = 4 + 10 * i;
            d.boxes.push_back({s16At(p, at), s16At(p, at + 2), s16At(p, at + 4), s16At(p, at + 6)});
            d.info.push_back(u16At(p, at + 8));
        }
        std::size_t expected = 6 + 10 * d.count;
        if ((imageCode & 0x0F) != 0) {
            d.width = u16At(p, expected);
            d.height = u16At(p, expected + 2);
            expected += 4 + std::size_t(d.width) * d.height;
        }
        if ((imageCode & 0xF0) == 0x20) {
            expected += ((flags & 0x4000) ? 16388 : 0) + ((flags & 0x2000) ? 16388 : 0);
        }
        EXPECT_EQ(p.size(), expected);
        return d;
    }

    std::unique_ptr<Simulator> sim;
    std::optional<RawClient> client;
};

TEST_F(SimTcpTest, DeviceInformation) {
    const auto r = ok(0x00);
    ASSERT_EQ(r.payload.size(), 19u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(r.payload.data())), "Orlo-X1");
    EXPECT_EQ(r.payload[12], 1);
    EXPECT_EQ(r.payload[13], 2);
    EXPECT_EQ(r.payload[14], 0);
    EXPECT_EQ(u16At(r.payload, 15) | (u16At(r.payload, 17) << 16), 5);
}

TEST_F(SimTcpTest, EveryReadingCommandAnswersWithItsLengthAndFactoryValues) {
    EXPECT_EQ(ok(0x02).payload, (std::vector<std::uint8_t>{0}));
    EXPECT_EQ(ok(0x06).payload, (std::vector<std::uint8_t>{0xF4, 0x01, 0, 0, 0, 0, 0, 0})); // 500
    EXPECT_EQ(ok(0x08).payload, (std::vector<std::uint8_t>{20, 0, 0x40, 0x06, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(ok(0x0D).payload, std::vector<std::uint8_t>(20, 0));
    EXPECT_EQ(ok(0x18).payload, le16(5000));
    EXPECT_EQ(ok(0x1A).payload, le16(3000));
    EXPECT_EQ(ok(0x64).payload, le16(100));
    EXPECT_EQ(ok(0x66).payload, rectBytes(-1, -1, -1, -1));
    EXPECT_EQ(ok(0x6A).payload, (std::vector<std::uint8_t>{1, 0, 0x2C, 0x01, 2, 0}));
    EXPECT_EQ(ok(0x6C).payload, (std::vector<std::uint8_t>{1}));
    EXPECT_EQ(ok(0x6E).payload, (std::vector<std::uint8_t>{0}));
    EXPECT_EQ(ok(0x79).payload, rectBytes(-1, -1, -1, -1));
    EXPECT_EQ(ok(0x7B).payload, (std::vector<std::uint8_t>{3, 5}));
    for (std::uint8_t slot = 0; slot < 16; ++slot) {
        auto mask = rectBytes(-1, -1, -1, -1);
        mask.push_back(0xFF);
        EXPECT_EQ(ok(0x62, {slot}).payload, mask);
        EXPECT_EQ(ok(0x77, {slot}).payload, rectBytes(-1, -1, -1, -1));
        if (slot < 10) {
            EXPECT_EQ(ok(0x68, {slot}).payload, rectBytes(-1, -1, -1, -1));
        }
    }
}

TEST_F(SimTcpTest, EveryWritingCommandIsKeptAndReadBack) {
    const auto write = [&](std::uint8_t code, std::vector<std::uint8_t> payload) {
        EXPECT_TRUE(ok(code, payload).payload.empty()) << "a writing command answers without payload";
    };
    write(0x01, {3});
    auto thr = le16(1000);
    write(0x05, {thr[0], thr[1], 0, 0, 0, 0, 0, 0});
    write(0x07, {30, 0, 0x84, 0x03, 0, 0, 0, 0, 0, 0, 0, 0}); // 30..900
    std::vector<std::uint8_t> text(20, 0);
    text[0] = 0x93;
    text[19] = 'Z';
    write(0x0C, text);
    write(0x17, le16(500));
    write(0x19, le16(20000));
    auto mask = rectBytes(10, 20, 300, 400);
    mask.insert(mask.begin(), 15);
    mask.push_back(0x23);
    write(0x61, mask);
    write(0x63, le16(65535));
    write(0x65, rectBytes(0, 0, 1199, 1599));
    auto fr = rectBytes(-1, 5, 6, 7);
    fr.insert(fr.begin(), 9);
    write(0x67, fr);
    write(0x69, {9, 8, 0x34, 0x12, 7, 6});
    write(0x6B, {200});
    write(0x6D, {0x42});
    auto mm = rectBytes(1, 2, 3, 4);
    mm.insert(mm.begin(), 0);
    write(0x76, mm);
    write(0x78, rectBytes(100, 100, 900, 700));
    write(0x7A, {11, 12, 0x00, 0x08, 0x46, 0x82});

    EXPECT_EQ(ok(0x02).payload, (std::vector<std::uint8_t>{3}));
    EXPECT_EQ(u16At(ok(0x06).payload, 0), 1000);
    const auto size = ok(0x08).payload;
    EXPECT_EQ(u16At(size, 0), 30);
    EXPECT_EQ(u16At(size, 2), 900);
    EXPECT_EQ(ok(0x0D).payload, text);
    EXPECT_EQ(ok(0x18).payload, le16(500));
    EXPECT_EQ(ok(0x1A).payload, le16(20000));
    auto maskBack = rectBytes(10, 20, 300, 400);
    maskBack.push_back(0x23);
    EXPECT_EQ(ok(0x62, {15}).payload, maskBack);
    EXPECT_EQ(ok(0x64).payload, le16(65535));
    EXPECT_EQ(ok(0x66).payload, rectBytes(0, 0, 1199, 1599));
    EXPECT_EQ(ok(0x68, {9}).payload, rectBytes(-1, 5, 6, 7));
    EXPECT_EQ(ok(0x6A).payload, (std::vector<std::uint8_t>{9, 8, 0x34, 0x12, 7, 6}));
    EXPECT_EQ(ok(0x6C).payload, (std::vector<std::uint8_t>{200}));
    EXPECT_EQ(ok(0x6E).payload, (std::vector<std::uint8_t>{0x42}));
    EXPECT_EQ(ok(0x77, {0}).payload, rectBytes(1, 2, 3, 4));
    EXPECT_EQ(ok(0x79).payload, rectBytes(100, 100, 900, 700));
    EXPECT_EQ(ok(0x7B).payload, (std::vector<std::uint8_t>{11, 12}));

    const auto s = sim->settings();
    EXPECT_EQ(s.direction, 3);
    EXPECT_EQ(s.areaMasks[15].judge, 0x23);
    EXPECT_EQ(s.other04, 0x1234);
}

TEST_F(SimTcpTest, MalformedRequestsGetADeviceErrorAndTheLinkCarriesOn) {
    ASSERT_TRUE(client->sendRaw({0x12, 0x34, 0x56}));
    auto r = client->readResponse();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->start, 0xFE);
    EXPECT_EQ(r->status, 0xE1);
    EXPECT_TRUE(r->payload.empty());

    EXPECT_EQ(statusOf(0x00, {0}), 0xE2);       // payload where none belongs
    EXPECT_EQ(statusOf(0x05, {1, 0, 0}), 0xE2); // too short
    EXPECT_EQ(statusOf(0x04, {}), 0xE0);        // no such command
    EXPECT_EQ(statusOf(0x01, {4}), 0xE3);       // direction 4
    EXPECT_EQ(statusOf(0x0E, {0xFF}), 0xE3);    // unknown speed
    EXPECT_EQ(statusOf(0x62, {16}), 0xE3);      // slot out of range
    EXPECT_EQ(statusOf(0x68, {10}), 0xE3);
    EXPECT_EQ(statusOf(0x77, {16}), 0xE3);
    EXPECT_EQ(statusOf(0x7A, {1, 2, 0, 0, 0, 0}), 0xE3); // wrong fixed bytes
    EXPECT_EQ(statusOf(0x03, {1, 0, 0x03}), 0xE3);       // no image kind 3
    EXPECT_EQ(statusOf(0x03, {1, 0, 0x11}), 0xE3);
    auto badCode = restartPayload(0x00);
    badCode[0] = 'X';
    EXPECT_EQ(statusOf(0xFF, badCode), 0xE3);
    EXPECT_EQ(statusOf(0xFF, restartPayload(0x01)), 0xE3);
    // Two frames in one write are both answered, in order, and nothing was restarted or changed.
    ASSERT_TRUE(client->sendRaw({0xFE, 0x02, 0x00, 0x00, 0xFE, 0x6E, 0x00, 0x00}));
    auto a = client->readResponse();
    auto b = client->readResponse();
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->payload.size(), 1u);
    EXPECT_EQ(b->payload.size(), 1u);
    EXPECT_EQ(sim->settings(), SensorSettings{});
}

TEST_F(SimTcpTest, AnIncompleteRequestIsForgottenAfterTheReceiveTimeout) {
    ok(0x19, le16(100));
    ASSERT_TRUE(client->sendRaw({0xFE, 0x00}));
    std::this_thread::sleep_for(500ms);
    // Had the two bytes been kept, this frame would be read as a 0x00FE-byte payload.
    const auto r = ok(0x00);
    EXPECT_EQ(r.payload.size(), 19u);
}

TEST_F(SimTcpTest, DetectionResponsesFollowTheLayoutForEveryImageCode) {
    for (std::uint8_t code : {0x00, 0x01, 0x02, 0x20, 0x21, 0x22}) {
        for (std::uint16_t flags : {0x0000, 0x0001, 0x4000, 0x6000, 0x2001}) {
            const auto d = detect(flags, code);
            const int kind = code & 0x0F;
            EXPECT_EQ(d.width, kind == 1 ? 320 : kind == 2 ? 160 : 0);
            EXPECT_EQ(d.height, kind == 1 ? 240 : kind == 2 ? 120 : 0);
            if (flags == 0) {
                EXPECT_EQ(d.count, 0u) << "an image-only request has no records";
            }
            bool plain = false;
            for (std::size_t i = 0; i < d.count; ++i) {
                plain |= (d.info[i] & 0xE000) == 0;
                EXPECT_GE(d.info[i] & 0x3FF, 500) << "below the threshold";
                EXPECT_EQ(d.info[i] & 0x1C00, 0);
                EXPECT_GE(d.boxes[i][0], 0);
                EXPECT_LE(d.boxes[i][2], 1599);
                EXPECT_LE(d.boxes[i][3], 1199);
                EXPECT_LE(d.boxes[i][0], d.boxes[i][2]);
            }
            EXPECT_EQ(d.state, plain ? 1 : 0);
        }
    }
}

TEST_F(SimTcpTest, PortraitMountingTurnsPictureAndFrame) {
    ok(0x01, {1});
    const auto big = detect(0x0001, 0x01);
    EXPECT_EQ(big.width, 240);
    EXPECT_EQ(big.height, 320);
    const auto small = detect(0x0001, 0x02);
    EXPECT_EQ(small.width, 120);
    EXPECT_EQ(small.height, 160);
    for (int i = 0; i < 30; ++i) {
        for (const auto& b : detect(0x0001, 0x00).boxes) {
            EXPECT_LE(b[2], 1199);
            EXPECT_LE(b[3], 1599);
        }
    }
}

TEST_F(SimTcpTest, MotionBlockFollowsAreaAndMasks) {
    const auto blockOf = [&](const Detection& d) {
        const auto& p = d.response.payload;
        const std::size_t at = 6 + 10 * d.count + (d.width ? 4 + std::size_t(d.width) * d.height : 0);
        EXPECT_EQ(u16At(p, at), 128);
        EXPECT_EQ(u16At(p, at + 2), 128);
        return std::vector<std::uint8_t>(p.begin() + static_cast<long>(at + 4), p.end());
    };
    int moving = 0;
    for (int i = 0; i < 20; ++i) {
        const auto block = blockOf(detect(0x4000, 0x22));
        ASSERT_EQ(block.size(), 16384u);
        moving += std::count_if(block.begin(), block.end(), [](auto v) { return v != 0; }) > 0;
    }
    EXPECT_GT(moving, 10) << "people walking through make a difference block";

    // Masking the whole frame zeroes every cell, frame after frame.
    auto mm = rectBytes(0, 0, 1600, 1200);
    mm.insert(mm.begin(), 7);
    ok(0x76, mm);
    for (int i = 0; i < 10; ++i) {
        const auto block = blockOf(detect(0x4000, 0x20));
        EXPECT_EQ(std::count(block.begin(), block.end(), 0), 16384);
    }
}

TEST_F(SimTcpTest, ExclusionBitsFollowTheSensorSettings) {
    // A size window no box fits: every record is excluded by size and the indicator is off.
    ok(0x07, {20, 0, 20, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    std::size_t seen = 0;
    for (int i = 0; i < 10; ++i) {
        const auto d = detect(0x0001, 0x00);
        seen += d.count;
        for (auto info : d.info) {
            EXPECT_EQ(info & 0xE000, 0x4000);
        }
        EXPECT_EQ(d.state, 0);
    }
    EXPECT_GT(seen, 0u);
    ok(0x07, {20, 0, 0x40, 0x06, 0, 0, 0, 0, 0, 0, 0, 0});

    // An area mask over the whole frame judged by centre point excludes everything.
    auto mask = rectBytes(0, 0, 1600, 1200);
    mask.insert(mask.begin(), 4);
    mask.push_back(0x80);
    ok(0x61, mask);
    for (int i = 0; i < 5; ++i) {
        for (auto info : detect(0x0001, 0x00).info) {
            EXPECT_EQ(info & 0xE000, 0x8000);
        }
    }
    mask.back() = 0xFF; // without a judge rule the mask excludes nothing
    ok(0x61, mask);
    for (int i = 0; i < 5; ++i) {
        for (auto info : detect(0x0001, 0x00).info) {
            EXPECT_EQ(info & 0xE000, 0);
        }
    }

    // A box that stays put (the plant) registered as a false detection gets bit 13 next time.
    auto first = detect(0x0001, 0x00);
    auto second = detect(0x0001, 0x00);
    std::optional<std::array<std::int16_t, 4>> still;
    for (const auto& b : second.boxes) {
        if (std::find(first.boxes.begin(), first.boxes.end(), b) != first.boxes.end()) {
            still = b;
        }
    }
    ASSERT_TRUE(still) << "the seeded scene has a static object";
    auto fr = rectBytes((*still)[0], (*still)[1], (*still)[2], (*still)[3]);
    fr.insert(fr.begin(), 0);
    ok(0x67, fr);
    const auto third = detect(0x0001, 0x00);
    bool flagged = false;
    for (std::size_t i = 0; i < third.count; ++i) {
        if (third.boxes[i] == *still) {
            flagged = true;
            EXPECT_EQ(third.info[i] & 0xE000, 0x2000);
        }
    }
    EXPECT_TRUE(flagged);

    // Outside the human detection area nothing is reported; above every value neither.
    ok(0x65, rectBytes(0, 0, 1, 1));
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(detect(0x0001, 0x00).count, 0u);
    }
    ok(0x65, rectBytes(-1, -1, -1, -1));
    ok(0x05, {0xE8, 0x03, 0, 0, 0, 0, 0, 0}); // 1000
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(detect(0x0001, 0x00).count, 0u);
    }
}

TEST_F(SimTcpTest, SameSeedAndRequestsGiveTheSameBytes) {
    const auto run = [](std::uint64_t seed) {
        SimConfig c;
        c.tcp = TcpEndpoint{"127.0.0.1", 0};
        c.seed = seed;
        Simulator s(c);
        std::string error;
        EXPECT_TRUE(s.start(error)) << error;
        auto cl = RawClient::connectTcp(s.tcpPort());
        std::vector<std::uint8_t> all;
        for (int i = 0; i < 6; ++i) {
            cl->send(0x03, {0x01, 0x40, static_cast<std::uint8_t>(i % 2 ? 0x22 : 0x01)});
            auto r = cl->readResponse();
            EXPECT_TRUE(r);
            all.insert(all.end(), r->payload.begin(), r->payload.end());
        }
        return all;
    };
    const auto a = run(5);
    EXPECT_EQ(a, run(5));
    EXPECT_NE(a, run(6));
}

TEST_F(SimTcpTest, FaultsAbnormalChecksumAndErrorStatus) {
    FaultSet f;
    std::string error;
    ASSERT_TRUE(f.add("abnormal", error));
    sim->setFaults(f);
    auto r = client->exchange(0x00);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 0x50);
    EXPECT_EQ(r->payload.size(), 19u) << "0x50 carries the usual payload";
    r = client->exchange(0x05, {7, 0, 0, 0, 0, 0, 0, 0});
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 0x50);
    EXPECT_EQ(sim->settings().threshold, 7) << "the command was carried out";
    r = client->exchange(0xFF, restartPayload(0x00));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 0x50);
    EXPECT_FALSE(client->closedWithin(200ms)) << "a restart answered with 0x50 keeps the link";

    FaultSet c;
    ASSERT_TRUE(c.add("checksum", error));
    sim->setFaults(c);
    r = client->exchange(0x03, {1, 0, 0});
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 0);
    const std::size_t n = r->payload[0];
    std::uint16_t sum = 0;
    for (std::size_t i = 0; i < 4 + 10 * n; ++i) {
        sum = static_cast<std::uint16_t>(sum + r->payload[i]);
    }
    EXPECT_NE(u16At(r->payload, 4 + 10 * n), sum);

    FaultSet e;
    ASSERT_TRUE(e.add("error=0xF3@0x05", error));
    sim->setFaults(e);
    EXPECT_EQ(statusOf(0x05, {9, 0, 0, 0, 0, 0, 0, 0}), 0xF3);
    EXPECT_EQ(sim->settings().threshold, 7) << "a refused command changes nothing";
    EXPECT_EQ(ok(0x00).payload.size(), 19u) << "other commands are not affected";
}

TEST_F(SimTcpTest, FaultForgetAcknowledgesWritesWithoutStoringThem) {
    FaultSet f;
    std::string error;
    ASSERT_TRUE(f.add("forget@0x05", error));
    sim->setFaults(f);
    const auto before = sim->settings().threshold;
    auto r = client->exchange(0x05, {7, 0, 0, 0, 0, 0, 0, 0});
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 0x00);
    EXPECT_EQ(sim->settings().threshold, before);
    r = client->exchange(0x07, {30, 0, 0x20, 0x03, 0, 0, 0, 0, 0, 0, 0, 0});
    ASSERT_TRUE(r);
    EXPECT_EQ(sim->settings().sizeMin, 30) << "other commands are stored";
}

TEST_F(SimTcpTest, FaultsSilentDropAfterAndDelay) {
    FaultSet s;
    std::string error;
    ASSERT_TRUE(s.add("silent", error));
    sim->setFaults(s);
    ASSERT_TRUE(client->send(0x00));
    EXPECT_TRUE(client->quietFor(300ms));
    sim->setFaults({});
    EXPECT_EQ(ok(0x00).payload.size(), 19u);

    FaultSet d;
    ASSERT_TRUE(d.add("drop-after=10", error));
    sim->setFaults(d);
    ASSERT_TRUE(client->send(0x00));
    auto part = client->readExactly(10, 5000ms);
    ASSERT_TRUE(part);
    EXPECT_EQ((*part)[0], 0xFE);
    EXPECT_TRUE(client->closedWithin(5000ms));
    sim->setFaults({});
    auto again = RawClient::connectTcp(sim->tcpPort());
    ASSERT_TRUE(again);
    client.emplace(std::move(*again));
    EXPECT_EQ(ok(0x00).payload.size(), 19u);

    FaultSet late;
    ASSERT_TRUE(late.add("delay=300", error));
    sim->setFaults(late);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ok(0x00).payload.size(), 19u);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 300ms);
}

TEST_F(SimTcpTest, RestartClosesTheLinkStaysSilentAndComesBack) {
    sim.reset();
    SimConfig c;
    c.restartSilence = 2000ms;
    startSim(c);
    ok(0x05, {0x2C, 0x01, 0, 0, 0, 0, 0, 0}); // 300
    const auto port = sim->tcpPort();
    EXPECT_TRUE(ok(0xFF, restartPayload(0x00)).payload.empty());
    EXPECT_TRUE(client->closedWithin(5000ms));
    EXPECT_FALSE(RawClient::connectTcp(port)) << "nobody listens while the sensor restarts";
    std::optional<RawClient> back;
    for (int i = 0; i < 100 && !back; ++i) {
        std::this_thread::sleep_for(100ms);
        back = RawClient::connectTcp(port);
    }
    ASSERT_TRUE(back) << "the sensor is back on the same port";
    client.emplace(std::move(*back));
    EXPECT_EQ(u16At(ok(0x06).payload, 0), 300) << "a plain restart keeps the settings";
}

TEST_F(SimTcpTest, RestartAndInitializeRestoresFactorySettingsButKeepsTheSpeed) {
    ok(0x05, {0x2C, 0x01, 0, 0, 0, 0, 0, 0});
    ok(0x0E, {4});
    EXPECT_EQ(sim->settings().baudRate, 460800u);
    ok(0xFF, restartPayload(0x5A));
    EXPECT_TRUE(client->closedWithin(5000ms));
    std::optional<RawClient> back;
    for (int i = 0; i < 100 && !back; ++i) {
        std::this_thread::sleep_for(100ms);
        back = RawClient::connectTcp(sim->tcpPort());
    }
    ASSERT_TRUE(back);
    client.emplace(std::move(*back));
    EXPECT_EQ(u16At(ok(0x06).payload, 0), 500);
    SensorSettings expected;
    expected.baudRate = 460800;
    EXPECT_EQ(sim->settings(), expected);
}

TEST_F(SimTcpTest, ASecondClientIsRefusedAtOnceWhileTheFirstIsServed) {
    EXPECT_EQ(ok(0x00).payload.size(), 19u);
    auto second = RawClient::connectTcp(sim->tcpPort());
    ASSERT_TRUE(second);
    second->send(0x02);
    EXPECT_TRUE(second->closedWithin(1s)) << "a refusal, not silence";
    EXPECT_EQ(ok(0x02).payload.size(), 1u) << "the first client is served on";
    client.reset();
    auto third = RawClient::connectTcp(sim->tcpPort());
    ASSERT_TRUE(third);
    const auto r = third->exchange(0x02);
    ASSERT_TRUE(r) << "the next client is served once the first has left";
    EXPECT_EQ(r->payload.size(), 1u);
}

TEST_F(SimTcpTest, AClientIdleForTheReceiveTimeoutGivesWayToAWaitingOne) {
    ok(0x19, le16(200));
    // Idle, and then with half a request that never ends: either way the next client is served.
    for (const bool halfRequest : {false, true}) {
        if (halfRequest) {
            ASSERT_TRUE(client->sendRaw({0xFE, 0x00}));
        }
        std::this_thread::sleep_for(300ms);
        auto next = RawClient::connectTcp(sim->tcpPort());
        ASSERT_TRUE(next);
        const auto r = next->exchange(0x02);
        ASSERT_TRUE(r) << (halfRequest ? "after half a request" : "after an idle client");
        EXPECT_EQ(r->payload.size(), 1u);
        EXPECT_TRUE(client->closedWithin(1s));
        client.emplace(std::move(*next));
    }
}

TEST_F(SimTcpTest, StopIsCleanWhileAClientWaitsForADelayedAnswer) {
    FaultSet late;
    std::string error;
    ASSERT_TRUE(late.add("delay=60000", error));
    sim->setFaults(late);
    ASSERT_TRUE(client->send(0x00));
    std::this_thread::sleep_for(50ms);
    sim->stop(); // must not wait a minute: the test's own time-out would catch a hang
    EXPECT_TRUE(client->closedWithin(5000ms));
}

class SimStateTest : public ::testing::Test {
protected:
    std::string path = (std::filesystem::temp_directory_path() /
                        ("orlo-sim-run-state-" + std::to_string(::getpid()) + ".txt"))
                           .string();
    void TearDown() override { std::filesystem::remove(path); }

    SimConfig config() {
        SimConfig c;
        c.tcp = TcpEndpoint{"127.0.0.1", 0};
        c.stateFile = path;
        return c;
    }
};

TEST_F(SimStateTest, SettingsSurviveARunAndABrokenFileIsRefused) {
    {
        Simulator s(config());
        std::string error;
        ASSERT_TRUE(s.start(error)) << error;
        auto c = RawClient::connectTcp(s.tcpPort());
        ASSERT_TRUE(c);
        auto r = c->exchange(0x05, {0x39, 0x05, 0, 0, 0, 0, 0, 0}); // 1337
        ASSERT_TRUE(r);
        r = c->exchange(0x0E, {1});
        ASSERT_TRUE(r);
    }
    {
        Simulator s(config());
        std::string error;
        ASSERT_TRUE(s.start(error)) << error;
        EXPECT_EQ(s.settings().threshold, 1337);
        EXPECT_EQ(s.settings().baudRate, 38400u);
        auto c = RawClient::connectTcp(s.tcpPort());
        auto r = c->exchange(0x06);
        ASSERT_TRUE(r);
        EXPECT_EQ(u16At(r->payload, 0), 1337);
    }
    {
        auto c = config();
        c.baud = 230400; // an explicit speed wins over the stored one
        Simulator s(c);
        std::string error;
        ASSERT_TRUE(s.start(error)) << error;
        EXPECT_EQ(s.settings().baudRate, 230400u);
    }
    std::ofstream(path) << "threshold=oops\n";
    Simulator s(config());
    std::string error;
    EXPECT_FALSE(s.start(error));
    EXPECT_NE(error.find(path), std::string::npos) << error;
    std::ifstream in(path);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content, "threshold=oops\n") << "a refused state file is left as it was";
}

TEST(SimStart, RefusesWithoutLinksOnABusyPortAndWithAnUnwritableStateFile) {
    std::string error;
    Simulator none(SimConfig{});
    EXPECT_FALSE(none.start(error));
    EXPECT_FALSE(error.empty());

    SimConfig nowhere;
    nowhere.tcp = TcpEndpoint{"127.0.0.1", 0};
    nowhere.stateFile = "/nonexistent-orlo-dir/state.txt";
    Simulator lost(nowhere);
    error.clear();
    EXPECT_FALSE(lost.start(error));
    EXPECT_NE(error.find("/nonexistent-orlo-dir"), std::string::npos) << error;

    SimConfig c;
    c.tcp = TcpEndpoint{"127.0.0.1", 0};
    Simulator first(c);
    ASSERT_TRUE(first.start(error)) << error;
    c.tcp->port = first.tcpPort();
    Simulator second(c);
    error.clear();
    EXPECT_FALSE(second.start(error));
    EXPECT_NE(error.find(std::to_string(first.tcpPort())), std::string::npos) << error;
}

} // namespace
} // namespace orlo::sim::test
