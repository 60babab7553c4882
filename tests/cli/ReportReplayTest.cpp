#include "cli/CommandLine.h"
#include "cli/Orloctl.h"
#include "core/imaging/PngConverter.h"
#include "core/platform/CodePage.h"
#include "core/platform/FileIo.h"
#include "core/platform/IniDocument.h"
#include "core/settings/ModeList.h"
#include "sim/Simulator.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempDirectory.h"

#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <regex>
#include <sstream>

namespace orlo::cli {
namespace {

using namespace std::chrono_literals;

struct ToolRun {
    int status = 0;
    std::string out;
    std::string err;
};

std::vector<std::uint8_t> Base64Decoded(const std::string& text) {
    static const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::vector<std::uint8_t> bytes;
    std::uint32_t bits = 0;
    int count = 0;
    for (const char c : text) {
        const auto index = alphabet.find(c);
        if (index == std::string::npos) {
            break; // padding
        }
        bits = (bits << 6) | static_cast<std::uint32_t>(index);
        count += 6;
        if (count >= 8) {
            count -= 8;
            bytes.push_back(static_cast<std::uint8_t>((bits >> count) & 0xFF));
        }
    }
    return bytes;
}

// "Section.Key" -> value of every value cell of a report.
std::map<std::string, std::string> ReportValues(const std::string& html) {
    std::map<std::string, std::string> values;
    const std::regex cell("<td data-key=\"([^\"]+)\">([^<]*)</td>");
    for (auto it = std::sregex_iterator(html.begin(), html.end(), cell); it != std::sregex_iterator(); ++it) {
        values[(*it)[1]] = (*it)[2];
    }
    return values;
}

// The detection log lines without their time field, which differs between runs.
std::vector<std::string> WithoutTimes(const std::string& lines) {
    std::vector<std::string> out;
    std::istringstream in(lines);
    for (std::string line; std::getline(in, line);) {
        out.push_back(line.substr(line.find(',')));
    }
    return out;
}

class ReportReplayTest : public ::testing::Test {
protected:
    test::TempDirectory directory;

    static std::unique_ptr<sim::Simulator> Start(sim::SimConfig config) {
        config.tcp = sim::TcpEndpoint{"127.0.0.1", 0};
        auto simulator = std::make_unique<sim::Simulator>(config);
        std::string error;
        EXPECT_TRUE(simulator->start(error)) << error;
        return simulator;
    }
    ToolRun Orloctl(const sim::Simulator& sensor, const std::filesystem::path& dir,
                    std::vector<std::string> args) {
        std::vector<std::string> full = {"--lan", "127.0.0.1:" + std::to_string(sensor.tcpPort()), "--dir",
                                         dir.string()};
        full.insert(full.end(), args.begin(), args.end());
        std::ostringstream out;
        std::ostringstream err;
        const int status = RunOrloctl(full, out, err);
        return {status, out.str(), err.str()};
    }
    std::filesystem::path File(const char* name) const { return directory.Path() / name; }
    // A sensor with something in every kind of region, so the report has values worth comparing.
    void Arrange(const sim::Simulator& sensor) {
        const std::vector<std::vector<std::string>> settings = {
            {"set", "area-masks", "0,100,100,500,400,center", "3,900,700,1300,1100,overlap:40"},
            {"set", "motion-masks", "1,1000,100,1400,500"},
            {"set", "false-rects", "0,50,50,300,300"},
            {"set", "areas", "human", "50", "50", "1550", "1150"},
            {"set", "info-text", "Gate <2> & \"A\""},
            {"set", "threshold", "420"},
            {"set", "usb-timeouts", "4000", "2500"},
        };
        for (const auto& args : settings) {
            const ToolRun run = Orloctl(sensor, directory.Path(), args);
            ASSERT_EQ(EXIT_OK, run.status) << run.err;
        }
    }
};

TEST_F(ReportReplayTest, ReportHoldsEveryValueOfTheBackupAndADecodablePicture) {
    const auto sensor = Start({});
    Arrange(*sensor);
    const ToolRun report = Orloctl(*sensor, directory.Path(), {"report", File("report.html").string()});
    ASSERT_EQ(EXIT_OK, report.status) << report.err;
    ASSERT_EQ(EXIT_OK, Orloctl(*sensor, directory.Path(), {"export", File("backup.ini").string()}).status);

    const std::string html = test::FileBytes(File("report.html"));
    const std::map<std::string, std::string> values = ReportValues(html);
    const IniDocument backup = IniDocument::Parse(test::FileBytes(File("backup.ini")));
    std::size_t keys = 0;
    for (const std::string& section : backup.Sections()) {
        for (const auto& [key, value] : backup.Keys(section)) {
            ++keys;
            const auto found = values.find(section + "." + key);
            ASSERT_NE(values.end(), found) << section << "." << key << " is missing from the report";
            // The report is UTF-8 and escapes HTML's own characters.
            std::string expected = *Cp932ToUtf8(value);
            expected = std::regex_replace(expected, std::regex("&"), "&amp;");
            expected = std::regex_replace(expected, std::regex("<"), "&lt;");
            expected = std::regex_replace(expected, std::regex(">"), "&gt;");
            expected = std::regex_replace(expected, std::regex("\""), "&quot;");
            EXPECT_EQ(expected, found->second) << section << "." << key;
        }
    }
    EXPECT_EQ(keys, values.size()) << "the report has values the backup does not";
    EXPECT_EQ(5u + 16 * 5 + 16 * 4 + 3 + 18 + 10, keys); // the last ten: the false-detection rectangles
    EXPECT_EQ("420", values.at("Ditection.Threshold"));
    EXPECT_EQ("40", values.at("AreaMask4.JudgeFlag"));

    const std::string marker = "src=\"data:image/png;base64,";
    const auto start = html.find(marker);
    ASSERT_NE(std::string::npos, start);
    const auto end = html.find('"', start + marker.size());
    const std::string picture = html.substr(start + marker.size(), end - start - marker.size());
    CImageData decoded;
    ASSERT_EQ(ImageStatus::Ok, CPngConverter::Decode(Base64Decoded(picture), decoded));
    EXPECT_EQ(640, decoded.Width());
    EXPECT_EQ(480, decoded.Height());
    // The header names the link, the model and its version; the false-detection rectangle is listed.
    EXPECT_NE(std::string::npos, html.find("LAN 127.0.0.1:" + std::to_string(sensor->tcpPort())));
    EXPECT_NE(std::string::npos, html.find("Orlo-X1"));
    EXPECT_NE(std::string::npos, html.find("1.2.0.5"));
    EXPECT_NE(std::string::npos, html.find("50, 50, 300, 300"));
}

TEST_F(ReportReplayTest, TheModeIsNamedFromTheModeListOfTheDirectory) {
    const auto sensor = Start({});
    ASSERT_EQ(EXIT_OK, Orloctl(*sensor, directory.Path(), {"set", "mode", "2"}).status);
    const auto modeMeaning = [&] {
        const ToolRun report = Orloctl(*sensor, directory.Path(), {"report", File("report.html").string()});
        EXPECT_EQ(EXIT_OK, report.status) << report.err;
        const std::string html = test::FileBytes(File("report.html"));
        const auto cell = html.find("data-key=\"Camera.Mode\">2</td><td></td><td>");
        return cell == std::string::npos ? std::string() : html.substr(cell, html.find("</tr>", cell) - cell);
    };
    const std::string unnamed = modeMeaning();
    ASSERT_FALSE(unnamed.empty());
    EXPECT_EQ(std::string::npos, unnamed.find("低誤検出モード")) << unnamed;

    std::string list;
    std::string error;
    ASSERT_TRUE(EncodeModeList(
        {{0, "s.tbl", "s.tbl", "標準モード", ""}, {2, "l.tbl", "l.tbl", "低誤検出モード", ""}}, list, error))
        << error;
    std::filesystem::create_directories(directory.Path() / "conf");
    ASSERT_TRUE(WriteFileAtomically(directory.Path() / "conf" / "aml.dat", list));
    EXPECT_NE(std::string::npos, modeMeaning().find(" (低誤検出モード)</td>")) << modeMeaning();
}

TEST_F(ReportReplayTest, AFailedReadLeavesTheTargetAlone) {
    sim::SimConfig config;
    std::string error;
    // Everything is read but the detection run with the picture, which the sensor refuses.
    ASSERT_TRUE(config.faults.add("error=0xF3@0x03", error)) << error;
    const auto sensor = Start(config);
    const std::filesystem::path target = File("report.html");
    ASSERT_TRUE(WriteFileAtomically(target, "earlier report"));
    const ToolRun report = Orloctl(*sensor, directory.Path(), {"report", target.string()});
    EXPECT_EQ(EXIT_DEVICE_FAILED, report.status);
    EXPECT_NE(std::string::npos, report.err.find("(result -243)")) << report.err;
    EXPECT_EQ("earlier report", test::FileBytes(target));
    // No temporary file is left beside it.
    EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(directory.Path()),
                               std::filesystem::directory_iterator()));
}

TEST_F(ReportReplayTest, AReportThatCannotBeWrittenSaysWhy) {
    const auto sensor = Start({});
    const ToolRun report =
        Orloctl(*sensor, directory.Path(), {"report", (File("no-such-dir") / "r.html").string()});
    EXPECT_EQ(EXIT_DEVICE_FAILED, report.status);
    EXPECT_NE(std::string::npos, report.err.find("cannot write")) << report.err;
}

TEST_F(ReportReplayTest, LogOptionWritesTheCommandLogWithoutTheSwitchFile) {
    const auto sensor = Start({});
    ASSERT_EQ(EXIT_OK, Orloctl(*sensor, directory.Path(), {"info"}).status);
    EXPECT_FALSE(std::filesystem::exists(File("CmdLog.log")));
    ASSERT_EQ(EXIT_OK, Orloctl(*sensor, directory.Path(), {"--log", "info"}).status);
    const std::string log = test::FileBytes(File("CmdLog.log"));
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ("\xFF\xFE", log.substr(0, 2));
    EXPECT_FALSE(std::filesystem::exists(File("outputlog")));
}

TEST_F(ReportReplayTest, ARecordedSessionReplaysToTheSameDetectionsAndPicture) {
    sim::SimConfig config;
    config.seed = 7;
    const auto sensor = Start(config);
    Arrange(*sensor);
    const std::filesystem::path recorded = directory.Path() / "recorded";
    const std::filesystem::path replayed = directory.Path() / "replayed";
    std::filesystem::create_directories(recorded);
    std::filesystem::create_directories(replayed);
    const std::vector<std::string> detect = {"detect", "--count", "12", "--flags", "4001", "--blocks"};
    std::vector<std::string> recording = {"--log"};
    recording.insert(recording.end(), detect.begin(), detect.end());
    recording.insert(recording.end(), {"--png", (recorded / "last.png").string()});
    const ToolRun original = Orloctl(*sensor, recorded, recording);
    ASSERT_EQ(EXIT_OK, original.status) << original.err;

    sim::SimConfig replayConfig;
    replayConfig.replayLog = (recorded / "CmdLog.log").string();
    // The simulator reports from its own thread, also while the test reads.
    std::mutex reportsMutex;
    std::vector<std::string> reports;
    replayConfig.report = [&](const std::string& line) {
        std::lock_guard lock(reportsMutex);
        reports.push_back(line);
    };
    const auto unmatchedSoFar = [&] {
        std::lock_guard lock(reportsMutex);
        return reports;
    };
    const auto replay = Start(replayConfig);
    std::vector<std::string> again = detect;
    again.insert(again.end(), {"--png", (replayed / "last.png").string()});
    const ToolRun played = Orloctl(*replay, replayed, again);
    ASSERT_EQ(EXIT_OK, played.status) << played.err;

    const auto lines = WithoutTimes(original.out);
    ASSERT_EQ(12u, lines.size());
    EXPECT_EQ(lines, WithoutTimes(played.out));
    EXPECT_EQ(test::FileBytes(recorded / "last.png"), test::FileBytes(replayed / "last.png"));
    const auto unmatched = unmatchedSoFar();
    EXPECT_TRUE(unmatched.empty()) << (unmatched.empty() ? "" : unmatched.front());
    // The scene moved during the recording, so equal runs are not equal by accident.
    EXPECT_NE(lines.front(), lines.back());

    // The recording is used up: a further request gets no answer and is reported.
    const ToolRun beyond = Orloctl(*replay, replayed, {"get", "threshold"});
    EXPECT_EQ(EXIT_DEVICE_FAILED, beyond.status);
    const auto afterwards = unmatchedSoFar();
    ASSERT_FALSE(afterwards.empty());
    EXPECT_NE(std::string::npos, afterwards.front().find("no answer")) << afterwards.front();
}

TEST_F(ReportReplayTest, ATruncatedRecordingIsRefusedWithItsLine) {
    const auto sensor = Start({});
    ASSERT_EQ(EXIT_OK, Orloctl(*sensor, directory.Path(), {"--log", "info"}).status);
    const std::string log = test::FileBytes(File("CmdLog.log"));
    ASSERT_TRUE(WriteFileAtomically(File("cut.log"), log.substr(0, log.size() - 4)));
    sim::SimConfig config;
    config.tcp = sim::TcpEndpoint{"127.0.0.1", 0};
    config.replayLog = File("cut.log").string();
    sim::Simulator replay(config);
    std::string error;
    EXPECT_FALSE(replay.start(error));
    const auto lines = std::count(log.begin(), log.end(), '\n');
    EXPECT_NE(std::string::npos, error.find("line " + std::to_string(lines) + ": ")) << error;
    EXPECT_EQ(0, replay.tcpPort());
}

} // namespace
} // namespace orlo::cli
