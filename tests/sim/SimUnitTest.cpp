#include "sim/DetectionJudge.h"
#include "sim/FaultSet.h"
#include "sim/RequestReader.h"
#include "sim/Scene.h"
#include "sim/SensorView.h"
#include "sim/SimOptions.h"
#include "sim/StateFile.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace orlo::sim {
namespace {

TEST(RequestReader, CutsFramesAcrossFeedsAndReportsGarbageOnce) {
    RequestReader reader;
    const std::uint8_t part1[] = {0x12, 0x34, 0xFE, 0x05, 0x02};
    reader.feed(part1, sizeof part1);
    auto e = reader.next();
    ASSERT_TRUE(e);
    EXPECT_TRUE(e->garbage);
    EXPECT_FALSE(reader.next()); // header still incomplete
    EXPECT_TRUE(reader.midFrame());
    const std::uint8_t part2[] = {0x00, 0xAA, 0xBB, 0xFE, 0x00, 0x00, 0x00};
    reader.feed(part2, sizeof part2);
    e = reader.next();
    ASSERT_TRUE(e);
    EXPECT_FALSE(e->garbage);
    EXPECT_EQ(e->request.code, 0x05);
    EXPECT_EQ(e->request.payload, (std::vector<std::uint8_t>{0xAA, 0xBB}));
    e = reader.next();
    ASSERT_TRUE(e);
    EXPECT_EQ(e->request.code, 0x00);
    EXPECT_TRUE(e->request.payload.empty());
    EXPECT_FALSE(reader.next());
    EXPECT_FALSE(reader.midFrame());
}

TEST(FaultSet, ParsesCombinationsAndScopes) {
    FaultSet f;
    std::string error;
    ASSERT_TRUE(f.add("delay=200,error=0xF3@0x03", error)) << error;
    ASSERT_TRUE(f.add("drop-after=10@3,checksum", error)) << error;
    auto detection = f.effectFor(std::uint8_t{0x03});
    EXPECT_EQ(detection.errorStatus, std::optional<std::uint8_t>(0xF3));
    EXPECT_EQ(detection.dropAfter, std::optional<std::size_t>(10));
    EXPECT_EQ(detection.delay.count(), 200);
    EXPECT_TRUE(detection.checksum);
    auto info = f.effectFor(std::uint8_t{0x00});
    EXPECT_FALSE(info.errorStatus);
    EXPECT_FALSE(info.dropAfter);
    EXPECT_EQ(info.delay.count(), 200);
    EXPECT_FALSE(f.effectFor(std::nullopt).errorStatus);
}

TEST(FaultSet, RejectsBadListsWithoutAddingAnything) {
    for (const char* bad : {"bogus", "error", "error=0x00", "error=0x50", "error=0x100", "delay=x",
                            "silent=1", "abnormal@0x1FF", "checksum,nope", ""}) {
        FaultSet f;
        std::string error;
        EXPECT_FALSE(f.add(bad, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
        EXPECT_TRUE(f.empty()) << bad;
    }
}

TEST(SimOptions, DefaultsAndEveryOption) {
    SimCommandLine cmd;
    std::string error;
    ASSERT_TRUE(parseSimCommandLine({}, cmd, error)) << error;
    ASSERT_TRUE(cmd.config.tcp);
    EXPECT_EQ(cmd.config.tcp->host, "127.0.0.1");
    EXPECT_EQ(cmd.config.tcp->port, 9600);
    EXPECT_FALSE(cmd.config.pty);
    EXPECT_EQ(cmd.config.restartSilence.count(), 5000);
    EXPECT_TRUE(cmd.config.throttle);

    SimCommandLine all;
    ASSERT_TRUE(
        parseSimCommandLine({"--pty", "--tcp", "0.0.0.0:0", "--baud", "460800", "--no-throttle", "--state",
                             "s.txt", "--restart-seconds", "0.25", "--seed", "42", "--fault", "silent@0x03"},
                            all, error))
        << error;
    EXPECT_TRUE(all.config.pty);
    EXPECT_TRUE(all.config.ptyLink.empty());
    EXPECT_EQ(all.config.tcp->host, "0.0.0.0");
    EXPECT_EQ(all.config.tcp->port, 0);
    EXPECT_EQ(all.config.baud, std::optional<std::uint32_t>(460800));
    EXPECT_FALSE(all.config.throttle);
    EXPECT_EQ(all.config.stateFile, "s.txt");
    EXPECT_EQ(all.config.restartSilence.count(), 250);
    EXPECT_EQ(all.config.seed, 42u);
    EXPECT_TRUE(all.config.faults.effectFor(std::uint8_t{3}).silent);

    SimCommandLine link;
    ASSERT_TRUE(parseSimCommandLine({"--pty", "/tmp/x", "--tcp", "9700"}, link, error));
    EXPECT_EQ(link.config.ptyLink, "/tmp/x");
    EXPECT_EQ(link.config.tcp->port, 9700);
}

TEST(SimOptions, BadValuesAreRefusedWithAMessage) {
    for (auto args : std::vector<std::vector<std::string>>{{"--baud", "57600"},
                                                           {"--baud"},
                                                           {"--tcp", "host:"},
                                                           {"--tcp", "70000"},
                                                           {"--restart-seconds", "-1"},
                                                           {"--seed", "x"},
                                                           {"--fault", "error=0x50"},
                                                           {"--frobnicate"}}) {
        SimCommandLine cmd;
        std::string error;
        EXPECT_FALSE(parseSimCommandLine(args, cmd, error)) << args[0];
        EXPECT_FALSE(error.empty());
    }
    const std::string help = simUsage();
    for (const char* word : {"abnormal", "checksum", "silent", "error=0xNN", "drop-after=N", "delay=MS"}) {
        EXPECT_NE(help.find(word), std::string::npos) << word;
    }
}

TEST(SimOptions, TheInformationTextIsStoredInTheSensorsCharacterSet) {
    const auto field = [](std::initializer_list<std::uint8_t> bytes) {
        std::array<std::uint8_t, kDeviceInfoTextSize> text{};
        std::copy(bytes.begin(), bytes.end(), text.begin());
        return text;
    };
    const auto parsed = [](const std::string& text) {
        SimCommandLine cmd;
        std::string error;
        EXPECT_TRUE(parseSimCommandLine({"--info-text", text}, cmd, error)) << text << ": " << error;
        return cmd.config.infoText.value_or(std::array<std::uint8_t, kDeviceInfoTextSize>{});
    };
    // 入口 in CP932, then a blank and A.
    EXPECT_EQ(field({0x93, 0xFC, 0x8C, 0xFB, ' ', 'A'}), parsed("入口 A"));
    // Bytes as they are, a backslash, and a byte that is no CP932 character on its own.
    EXPECT_EQ(field({0x1B, '[', '2', 'J', '\\', 0x81}), parsed("\\x1b[2J\\\\\\x81"));
    // Twenty bytes at most, never half a double-byte character: 19 letters leave no room for 入.
    const auto cut = parsed("ABCDEFGHIJKLMNOPQRS入");
    EXPECT_EQ('S', cut[18]);
    EXPECT_EQ(0, cut[19]);
    SimCommandLine none;
    std::string error;
    ASSERT_TRUE(parseSimCommandLine({}, none, error));
    EXPECT_FALSE(none.config.infoText);
    for (const std::string bad : {"\\x4", "\\xZZ", "\\q", "\xff\xfe"}) {
        SimCommandLine cmd;
        EXPECT_FALSE(parseSimCommandLine({"--info-text", bad}, cmd, error)) << bad;
    }
}

TEST(SimOptions, TheInformationTextReplacesTheStoredOne) {
    SimConfig config;
    config.tcp = TcpEndpoint{"127.0.0.1", 0};
    config.infoText = std::array<std::uint8_t, kDeviceInfoTextSize>{'G', 'a', 't', 'e'};
    Simulator simulator(config);
    std::string error;
    ASSERT_TRUE(simulator.start(error)) << error;
    EXPECT_EQ(config.infoText, simulator.settings().deviceInfoText);
}

class StateFileTest : public ::testing::Test {
protected:
    std::string path =
        (std::filesystem::temp_directory_path() / ("orlo-sim-state-" + std::to_string(::getpid()) + ".txt"))
            .string();
    void TearDown() override { std::filesystem::remove(path); }
};

TEST_F(StateFileTest, RoundTripsEverySetting) {
    SensorSettings s;
    s.direction = 3;
    s.operatingMode = 7;
    s.baudRate = 38400;
    s.threshold = 4464;
    s.sizeMin = 30;
    s.sizeMax = 900;
    s.areaMasks[15] = {{-5, 10, 300, 400}, 35};
    s.motionMasks[2] = {1, 2, 3, 4};
    s.falseRects[9] = {100, 200, 300, 400};
    s.humanArea = {0, 0, 800, 600};
    s.motionArea = {10, 10, 20, 20};
    s.deviceInfoText = {0x93, 0x8C, 0x8B, 0x9E, 'A', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF};
    s.usbSendTimeoutMs = 100;
    s.usbReceiveTimeoutMs = 20000;
    s.other01 = 65535;
    s.other04 = 1234;
    s.other27 = 9;
    std::string error;
    ASSERT_TRUE(saveStateFile(path, s, error)) << error;
    SensorSettings back;
    ASSERT_EQ(loadStateFile(path, back, error), StateLoad::Loaded) << error;
    EXPECT_EQ(back, s);
}

TEST_F(StateFileTest, MissingAndBrokenFilesLeaveSettingsAndFileAlone) {
    SensorSettings s;
    s.threshold = 77;
    std::string error;
    EXPECT_EQ(loadStateFile(path, s, error), StateLoad::Missing);
    EXPECT_EQ(s.threshold, 77);

    const std::string broken = "threshold=12\nsizeMin=abc\n";
    std::ofstream(path) << broken;
    EXPECT_EQ(loadStateFile(path, s, error), StateLoad::Invalid);
    EXPECT_NE(error.find(":2:"), std::string::npos) << error;
    EXPECT_EQ(s.threshold, 77); // nothing taken from a file that is refused
    for (const char* line : {"direction=4\n", "threshold=70000\n", "areaMask.16=1,2,3,4,5\n",
                             "humanArea=1,2,3\n", "deviceInfoText=00\n", "baudRate=57600\n", "nonsense\n"}) {
        std::ofstream(path) << line;
        EXPECT_EQ(loadStateFile(path, s, error), StateLoad::Invalid) << line;
    }
}

// A sensor box with default value well above the factory threshold.
SensorBox box(int l, int t, int r, int b, int value = 800) {
    return {l, t, r, b, value};
}

TEST(DetectionJudge, AreaMaskJudgeRules) {
    SensorSettings s;
    s.areaMasks[3] = {{100, 100, 200, 200}, kJudgeCentre};
    DetectionJudge j(s);
    EXPECT_TRUE(j.excludedByAreaMask(box(100, 100, 300, 300)));  // centre (200,200) on the edge
    EXPECT_FALSE(j.excludedByAreaMask(box(100, 100, 302, 302))); // centre (201,201)

    s.areaMasks[3].judge = kJudgeFoot;
    EXPECT_TRUE(j.excludedByAreaMask(box(120, 0, 180, 150)));    // foot (150,150) inside, centre above it
    EXPECT_FALSE(j.excludedByAreaMask(box(120, 0, 180, 90)));    // foot (150,90) above the mask
    EXPECT_FALSE(j.excludedByAreaMask(box(120, 150, 180, 250))); // foot (150,250) below

    s.areaMasks[3].judge = 50;
    EXPECT_TRUE(j.excludedByAreaMask(box(150, 100, 250, 200)));  // exactly half inside
    EXPECT_FALSE(j.excludedByAreaMask(box(151, 100, 251, 200))); // just under half
    s.areaMasks[3].judge = 100;
    EXPECT_TRUE(j.excludedByAreaMask(box(110, 110, 190, 190)));
    EXPECT_FALSE(j.excludedByAreaMask(box(110, 110, 210, 190)));

    s.areaMasks[3].judge = kJudgeNone; // a mask without a rule excludes nothing
    EXPECT_FALSE(j.excludedByAreaMask(box(110, 110, 190, 190)));
    s.areaMasks[3] = {{200, 200, 100, 100}, kJudgeCentre}; // edges given the other way round
    EXPECT_TRUE(j.excludedByAreaMask(box(140, 140, 160, 160)));
}

TEST(DetectionJudge, SizeFalseRectAreaAndThreshold) {
    SensorSettings s;
    s.sizeMin = 100;
    s.sizeMax = 200;
    DetectionJudge j(s);
    EXPECT_FALSE(j.excludedBySize(box(0, 0, 100, 30))); // max(w,h) = 100
    EXPECT_TRUE(j.excludedBySize(box(0, 0, 99, 99)));
    EXPECT_FALSE(j.excludedBySize(box(0, 0, 50, 200)));
    EXPECT_TRUE(j.excludedBySize(box(0, 0, 50, 201)));

    s.falseRects[9] = {0, 0, 100, 100};
    EXPECT_TRUE(j.excludedAsFalse(box(0, 0, 100, 100)));
    EXPECT_TRUE(j.excludedAsFalse(box(0, 0, 100, 200))); // IoU exactly one half
    EXPECT_FALSE(j.excludedAsFalse(box(0, 0, 100, 201)));
    EXPECT_FALSE(j.excludedAsFalse(box(500, 500, 600, 600)));

    EXPECT_TRUE(j.reported(box(0, 0, 10, 10, 500)));
    EXPECT_FALSE(j.reported(box(0, 0, 10, 10, 499)));
    s.humanArea = {0, 0, 400, 300};
    EXPECT_TRUE(j.reported(box(300, 200, 500, 400))); // centre (400,300) on the edge
    EXPECT_FALSE(j.reported(box(300, 200, 502, 400)));
}

TEST(DetectionJudge, RecordsCarryBitsValueAndIndicator) {
    SensorSettings s;
    s.sizeMax = 150;
    s.areaMasks[0] = {{0, 0, 100, 100}, kJudgeCentre};
    s.falseRects[0] = {1000, 1000, 1100, 1100};
    const auto records = DetectionJudge(s).judge(
        {box(0, 0, 100, 100, 2000), box(0, 0, 300, 300, 600), box(1000, 1000, 1100, 1100, 700)});
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].info, kInfoAreaMask | 1023);
    EXPECT_EQ(records[1].info, kInfoSizeMask | 600);
    EXPECT_EQ(records[2].info, kInfoFalseDetection | 700);
    EXPECT_EQ(DetectionJudge::stateByte(records), 0);
    const auto plain = DetectionJudge(s).judge({box(500, 500, 600, 600)});
    EXPECT_EQ(DetectionJudge::stateByte(plain), 1);
}

std::vector<std::uint8_t> picture(const Scene& scene, std::uint8_t direction, int w, int h) {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(w) * h);
    SensorView(scene, direction).renderPicture(w, h, out);
    return out;
}

TEST(SensorView, PicturesTurnWithTheMountingDirection) {
    Scene scene(7);
    scene.advance();
    const auto p0 = picture(scene, 0, 320, 240);
    const auto p1 = picture(scene, 1, 240, 320);
    const auto p2 = picture(scene, 2, 320, 240);
    const auto p3 = picture(scene, 3, 240, 320);
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 320; ++x) {
            const auto v = p0[y * 320 + x];
            ASSERT_EQ(p2[(239 - y) * 320 + (319 - x)], v);
            ASSERT_EQ(p1[x * 240 + (239 - y)], v);
            ASSERT_EQ(p3[(319 - x) * 240 + y], v);
        }
    }
    // The boxes turn with the picture: a landscape box (l,t,r,b) is (1199-b.., l..) in portrait.
    const auto d0 = SensorView(scene, 0).detections();
    const auto d2 = SensorView(scene, 2).detections();
    ASSERT_EQ(d0.size(), d2.size());
    for (std::size_t i = 0; i < d0.size(); ++i) {
        EXPECT_NEAR(d2[i].left, 1600 - d0[i].right, 1);
        EXPECT_NEAR(d2[i].bottom, 1200 - d0[i].top, 1);
    }
    for (const auto& b : SensorView(scene, 1).detections()) {
        EXPECT_LE(b.right, 1199);
        EXPECT_LE(b.bottom, 1599);
    }
}

TEST(Scene, SameSeedSameFramesOtherSeedOtherFrames) {
    Scene a(11), b(11), c(12);
    for (int i = 0; i < 50; ++i) {
        a.advance();
        b.advance();
        c.advance();
    }
    EXPECT_EQ(picture(a, 0, 160, 120), picture(b, 0, 160, 120));
    EXPECT_NE(picture(a, 0, 160, 120), picture(c, 0, 160, 120));
}

TEST(Scene, PeopleAreVisibleAndMoving) {
    Scene scene(3);
    std::size_t frames = 0, withPeople = 0, moving = 0;
    for (int i = 0; i < 200; ++i, ++frames) {
        scene.advance();
        if (scene.candidates().size() >= 2) { // plant and at least one more
            ++withPeople;
        }
        std::vector<std::uint8_t> block(128 * 128);
        SensorView(scene, 0).renderDifference(Rect16{}, {}, block);
        if (std::count_if(block.begin(), block.end(), [](auto v) { return v > 40; }) > 20) {
            ++moving;
        }
    }
    EXPECT_GT(withPeople, frames / 2);
    EXPECT_GT(moving, frames / 2);
}

} // namespace
} // namespace orlo::sim
